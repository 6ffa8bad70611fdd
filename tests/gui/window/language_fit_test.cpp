// Every page of the window in each language the program speaks: the layout's geometry was made
// for the Hungarian texts, and every other language's texts must fit it whole as well.
#include "page_walk.h"
#include "test_language.h"

namespace trovel::testing {
namespace {

class LanguageFitTest : public PageWalkTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override { testing_support::SpeakForTests(GetParam()); }
    void TearDown() override {
        window.reset();
        testing_support::SpeakForTests();
    }
};

TEST_P(LanguageFitTest, NoTextOnAnyPageIsCutOrOverlapsAnother) {
    const std::vector<PageTexts> pages = WalkEveryPage();
    ASSERT_GE(pages.size(), 11u);
    for (const PageTexts& page : pages) {
        EXPECT_GE(page.shown, 3) << page.name;  // the walk really reached the page
        for (const std::string& problem : page.cut) ADD_FAILURE() << GetParam() << ", " << page.name << ": " << problem;
    }
}

// C speaks the program's own English; hu_HU the layout's Hungarian.
std::string LanguageName(const ::testing::TestParamInfo<const char*>& language) {
    const std::string locale = language.param;
    return locale == "C" ? "C" : locale.substr(0, 2) == "hu" ? "Hungarian" : "English";
}
INSTANTIATE_TEST_SUITE_P(Languages, LanguageFitTest, ::testing::Values("C", "en_US.UTF-8", "hu_HU.UTF-8"),
                         LanguageName);

// The measurement itself: a text longer than its fixed box, and two texts on top of each
// other, are both found.
TEST(CutTexts, FindsATextTooLongForItsBoxAndTwoTextsOnTopOfEachOther) {
    QWidget parent;
    parent.resize(300, 100);
    auto* label = new QLabel(QStringLiteral("A text far too long for the box it was given"), &parent);
    label->setObjectName(QStringLiteral("tooLong"));
    label->setGeometry(0, 0, 40, 20);
    EXPECT_EQ(CutTexts(&parent).size(), 1u);
    label->adjustSize();
    EXPECT_TRUE(CutTexts(&parent).empty());
    auto* other = new QCheckBox(QStringLiteral("Over it"), &parent);
    other->setGeometry(label->geometry().translated(10, 0));
    const std::vector<std::string> problems = CutTexts(&parent);
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems.back().find("overlap"), std::string::npos) << problems.back();
}

}  // namespace
}  // namespace trovel::testing
