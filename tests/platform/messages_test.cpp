// Values put into a text: in the order the translation asks for, and never expanded again.
#include <gtest/gtest.h>

#include "platform/messages.h"
#include "test_language.h"

namespace trovel::platform {
namespace {

TEST(Fill, PutsEachValueWhereTheTextNamesIt) {
    EXPECT_EQ(Fill("Cannot read the journal (%1): %2", {"Permission denied", "/j"}),
              "Cannot read the journal (Permission denied): /j");
    // A language that names the path first.
    EXPECT_EQ(Fill("%2: %1", {"a", "b"}), "b: a");
    EXPECT_EQ(Fill("%1 and %1", {"x"}), "x and x");
}

TEST(Fill, AValueHoldingAPlaceholderStaysAsItIs) {
    EXPECT_EQ(Fill("%1 (%2)", {"/home/al/100%2 done", "why"}), "/home/al/100%2 done (why)");
}

TEST(Fill, APlaceholderWithoutAValueAndAStrayPercentStayVisible) {
    EXPECT_EQ(Fill("%1 of %3", {"a", "b"}), "a of %3");
    EXPECT_EQ(Fill("100% sure, %", {}), "100% sure, %");
}

TEST(Messages, AnEmptyTextStaysEmptyUnderEveryCatalogue) {
    // gettext keeps its catalogue's header under the empty key.
    EXPECT_STREQ(Tr(""), "");
}

TEST(Messages, WithoutACatalogueTheTextsAreTheirEnglish) {
    UseMessageCatalogue(nullptr);
    EXPECT_EQ(MessagesLanguage(), "C");
    EXPECT_STREQ(Tr("Cannot open"), "Cannot open");
    EXPECT_STREQ(TrN("file", "files", 1), "file");
    EXPECT_STREQ(TrN("file", "files", 0), "files");
    testing_support::SpeakForTests();
}

}  // namespace
}  // namespace trovel::platform
