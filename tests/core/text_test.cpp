#include "core/basics/text.h"

#include <gtest/gtest.h>

namespace trovel::catalogue {
namespace {

int Compare(const char* a, const char* b) { return CompareAsciiFolded(Utf8ToUtf16(a), Utf8ToUtf16(b)); }

TEST(CompareAsciiFolded, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(Compare("music", "MUSIC"), 0);
    EXPECT_LT(Compare("apple", "Banana"), 0);
    EXPECT_GT(Compare("Zebra", "apple"), 0);
    // 'a' folds to 'A' (0x41), which sorts before '_' (0x5F); unfolded it would come after.
    EXPECT_LT(Compare("a", "_"), 0);
    // Accented letters are not folded: 'á' (U+00E1) and 'Á' (U+00C1) differ, and both follow ASCII.
    EXPECT_NE(Compare("á", "Á"), 0);
    EXPECT_GT(Compare("á", "Á"), 0);
    EXPECT_GT(Compare("Á", "Z"), 0);
}

TEST(CompareAsciiFolded, PrefixComesFirst) {
    EXPECT_LT(Compare("Music", "Music Library"), 0);
    EXPECT_GT(Compare("Music Library", "music"), 0);
    EXPECT_LT(Compare("", "a"), 0);
    EXPECT_EQ(Compare("", ""), 0);
}

TEST(CompareAsciiFolded, OrdersByUtf16CodeUnit) {
    // U+FF21 (fullwidth A) is one unit above U+E000; U+1F600 is a surrogate pair starting 0xD83D,
    // so by code unit it sorts before both, unlike by code point.
    EXPECT_LT(Compare("\xF0\x9F\x98\x80", "\xEE\x80\x80"), 0);
    EXPECT_LT(Compare("\xEE\x80\x80", "\xEF\xBC\xA1"), 0);
}

TEST(Utf, RoundTripsAndCountsUtf16Units) {
    const std::string text = "Dokumentumok \xC3\xA1\xC3\x89 \xF0\x9F\x98\x80";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf8ToUtf16(text).size(), 18u);
    // A stray byte becomes one replacement character instead of being dropped or overread.
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD\uFFFD");
}

TEST(AsciiUpper, ChangesOnlyAToZ) {
    EXPECT_EQ(AsciiUpper(u"doc árvíz"), u"DOC áRVíZ");
    EXPECT_EQ(AsciiUpper(std::string("c:\\users\\\xC3\xA1")), "C:\\USERS\\\xC3\xA1");
    EXPECT_TRUE(EqualsAsciiFolded("C:\\Users\\A\\", "c:\\users\\a\\"));
    EXPECT_FALSE(EqualsAsciiFolded("C:\\\xC3\x81", "C:\\\xC3\xA1"));
    EXPECT_FALSE(EqualsAsciiFolded("C:\\a", "C:\\a\\"));
}

}  // namespace
}  // namespace trovel::catalogue
