#include "core/space/size_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "test_language.h"

namespace trovel::space {
namespace {

struct Case {
    long double count;
    const char* number;
    const char* unit;
};

TEST(SizeToStr, RendersEachUnitWithAFullStop) {
    const Case cases[] = {
        {0, "0", " bájt"},
        {1, "1", " bájt"},
        {1023, "1023", " bájt"},
        {1024, "1.00", " KB"},
        {1536, "1.50", " KB"},
        {1048575, "1024.00", " KB"},  // 1023.999... rounds up; the unit stays
        {1048576, "1.00", " MB"},
        {13107200, "12.50", " MB"},
        {5368709120.0L, "5.00", " GB"},
        {1099511627776.0L, "1.00", " TB"},
        {std::ldexp(1.0L, 50), "1024.00", " TB"},
        {std::ldexp(20000.0L, 40), "20000.00", " TB"},
        {-512, "-512", " bájt"},
        {-2048, "-2.00", " KB"},
        {-31457280, "-30.00", " MB"},
        {9223372036854775807.0L, "8388608.00", " TB"},
    };
    for (const Case& c : cases) {
        const SizeText text = SizeToStr(c.count, ".");
        EXPECT_EQ(text.number, c.number) << static_cast<double>(c.count);
        EXPECT_EQ(text.unit, c.unit) << static_cast<double>(c.count);
    }
}

TEST(SizeToStr, EnglishNamesTheBinaryUnitsAsIecDoes) {
    testing_support::SpeakForTests("C");
    const auto unit = [](long double count) { return SizeToStr(count, ".").unit; };
    EXPECT_EQ(unit(1024.0L), " KiB");
    EXPECT_EQ(unit(1048576.0L), " MiB");
    EXPECT_EQ(unit(1073741824.0L), " GiB");
    EXPECT_EQ(unit(1099511627776.0L), " TiB");
    EXPECT_EQ(unit(5.0L), " bytes");
    testing_support::SpeakForTests();
    EXPECT_EQ(unit(1073741824.0L), " GB");  // the window's Hungarian size words
}

TEST(SizeToStr, RoundsToTheNearestHundredth) {
    EXPECT_EQ(SizeToStr(1034, ".").number, "1.01");   // 1.0097...
    EXPECT_EQ(SizeToStr(1029, ".").number, "1.00");   // 1.0048...
    EXPECT_EQ(SizeToStr(2047, ".").number, "2.00");   // 1.999...
    EXPECT_EQ(SizeToStr(10239, ".").number, "10.00");  // 9.999...
}

// Restores the numeric locale the test found.
class NumericLocale {
public:
    explicit NumericLocale(const char* name) : saved_(std::setlocale(LC_NUMERIC, nullptr)) {
        active_ = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
    bool active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

TEST(SizeToStr, FollowsTheProcessLocale) {
    {
        NumericLocale english("en_US.UTF-8");
        if (!english.active()) GTEST_SKIP() << "en_US.UTF-8 is not generated on this machine";
        EXPECT_EQ(SizeToStr(1536).number, "1.50");
    }
    NumericLocale hungarian("hu_HU.UTF-8");
    if (!hungarian.active()) GTEST_SKIP() << "hu_HU.UTF-8 is not generated on this machine";
    EXPECT_EQ(LocaleDecimalSeparator(), ",");
    const SizeText text = SizeToStr(1536);
    EXPECT_EQ(text.number, "1,50");
    EXPECT_EQ(text.unit, " KB");
    EXPECT_EQ(SizeToStr(-2048).number, "-2,00");
    EXPECT_EQ(SizeToStr(512).number, "512");
}

TEST(CountText, GroupsDigitsAsTheLocaleSays) {
    EXPECT_EQ(CountText(0, ",", "\3"), "0");
    EXPECT_EQ(CountText(999, ",", "\3"), "999");
    EXPECT_EQ(CountText(1000, ",", "\3"), "1,000");
    EXPECT_EQ(CountText(1234567, ",", "\3"), "1,234,567");  // the last size repeats
    EXPECT_EQ(CountText(1234567, ".", "\3\3"), "1.234.567");
    EXPECT_EQ(CountText(12345678, ",", "\3\2"), "1,23,45,678");  // Indian grouping
    EXPECT_EQ(CountText(1234567, ",", std::string("\3\x7f")), "1234,567");  // CHAR_MAX: no more groups
    EXPECT_EQ(CountText(1234567, "", "\3"), "1234567");
    EXPECT_EQ(CountText(1234567, ",", ""), "1234567");
    EXPECT_EQ(CountText(18446744073709551615ULL, "\u00a0", "\3"),
              "18\u00a0446\u00a0744\u00a0073\u00a0709\u00a0551\u00a0615");
}

TEST(CountText, FollowsTheProcessLocale) {
    {
        NumericLocale plain("C");
        EXPECT_EQ(CountText(1234567), "1234567");
    }
    {
        NumericLocale english("en_US.UTF-8");
        if (!english.active()) GTEST_SKIP() << "en_US.UTF-8 is not generated on this machine";
        EXPECT_EQ(CountText(1234567), "1,234,567");
    }
    NumericLocale hungarian("hu_HU.UTF-8");
    if (!hungarian.active()) GTEST_SKIP() << "hu_HU.UTF-8 is not generated on this machine";
    EXPECT_EQ(CountText(1234567), "1.234.567");
    EXPECT_EQ(CountText(42), "42");
}

}  // namespace
}  // namespace trovel::space
