// The JSON writer: valid UTF-8 whatever it is given, and the bytes kept where the text is not.
#include "cli/json.h"

#include <gtest/gtest.h>

#include <string>

namespace trovel::cli {
namespace {

using namespace std::string_literals;

TEST(JsonText, KeepsUtf8AndEscapesWhatJsonForbids) {
    EXPECT_EQ(JsonText("Zenék \"a\\b\"\n\t\x01\x7f"), "\"Zenék \\\"a\\\\b\\\"\\n\\t\\u0001\\u007f\"");
    EXPECT_EQ(JsonText("\xF0\x9F\x8E\xB5"), "\"\xF0\x9F\x8E\xB5\"");  // four bytes, U+1F3B5
}

TEST(JsonText, ReplacesEachByteThatIsNotPartOfWellFormedUtf8) {
    EXPECT_EQ(JsonText("M\xfasica"), "\"M\\ufffdsica\"");                // Latin-1
    EXPECT_EQ(JsonText("\xC0\xAF"), "\"\\ufffd\\ufffd\"");               // overlong "/"
    EXPECT_EQ(JsonText("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");    // a surrogate
    EXPECT_EQ(JsonText("\xF4\x90\x80\x80"), "\"\\ufffd\\ufffd\\ufffd\\ufffd\"");  // past U+10FFFF
    EXPECT_EQ(JsonText("a\xC3"), "\"a\\ufffd\"");                        // cut short
    EXPECT_EQ(JsonText("\xE2\x82x"), "\"\\ufffd\\ufffdx\"");
}

TEST(IsUtf8, TellsWellFormedFromNot) {
    EXPECT_TRUE(IsUtf8(""));
    EXPECT_TRUE(IsUtf8("Letöltések \xE2\x82\xAC \xF0\x9F\x8E\xB5 \xEF\xBF\xBF"));
    EXPECT_FALSE(IsUtf8("\x80"));
    EXPECT_FALSE(IsUtf8("\xE0\x80\xAF"));  // overlong
    EXPECT_FALSE(IsUtf8("\xF8\x88\x80\x80\x80"));
}

TEST(JsonObject, AddsTheBytesInHexBesideATextThatIsNotUtf8) {
    EXPECT_EQ(JsonObject().Text("path", "/a").Number("n", -3).Flag("ok", true).Raw("list", "[]").str(),
              "{\"path\": \"/a\", \"n\": -3, \"ok\": true, \"list\": []}");
    EXPECT_EQ(JsonObject().Text("path", "/\xff\x00z"s).str(), "{\"path\": \"/\\ufffd\\u0000z\", \"path_bytes\": \"2fff007a\"}");
}

}  // namespace
}  // namespace trovel::cli
