// The window in a made-up language (tools/catalogues.py pseudo): every text a third longer than
// the English, accented, and between ⟦ ⟧. A text the catalogue never saw shows without the marks;
// a place too small for a longer language cuts it.
#include <cstdlib>
#include <set>

#include "page_walk.h"
#include "platform/system/user_language.h"
#include "test_language.h"

namespace trovel::testing {
namespace {

class PseudoLanguageTest : public PageWalkTest {
protected:
    void SetUp() override {
        // The made-up language has no locale of its own: LANGUAGE names it over C.UTF-8.
        ::setenv("LANGUAGE", "qps", 1);
        platform::SpeakLanguage("C.UTF-8", TROVEL_PSEUDO_LOCALE_DIR);
    }
    void TearDown() override {
        window.reset();
        testing_support::SpeakForTests();
    }
};

// Texts that are the user's data or the program's name, not messages: folder names, paths and
// descriptions from the platform, counts, drives' labels, and the title.
const std::set<std::string> kData = {"lfoldername", "lfolderpath", "ldescription", "lsizesum", "lcheckedcount",
                                     "lfolderslisted", "ldrvlabel", "lheader", "ltrovel", "Edit2"};

bool Marked(const QString& text) { return text.contains(QString::fromUtf8("⟦")) && text.contains(QString::fromUtf8("⟧")); }

TEST_F(PseudoLanguageTest, TheProgramSpeaksTheMadeUpLanguage) {
    EXPECT_EQ(platform::MessagesLanguage(), "qps");
    EXPECT_TRUE(Marked(QString::fromUtf8(platform::Tr("Cancel"))));
    EXPECT_EQ(std::string(platform::Tr("Alt+N")), "Alt+N");  // key names stay as the program reads them
}

TEST_F(PseudoLanguageTest, EveryTextOnEveryPageComesFromTheCatalogue) {
    const std::vector<PageTexts> pages = WalkEveryPage();
    ASSERT_GE(pages.size(), 11u);
    int checked = 0;
    for (const PageTexts& page : pages) {
        for (const ShownText& shown : page.texts) {
            const std::string widget = shown.widget.substr(0, shown.widget.find(' '));
            if (kData.count(widget) != 0 || shown.text.trimmed().isEmpty()) continue;
            ++checked;
            EXPECT_TRUE(Marked(shown.text)) << page.name << ": " << shown.widget << " shows \""
                                            << shown.text.toStdString() << "\", not from the catalogue";
        }
    }
    EXPECT_GT(checked, 60);  // the walk saw the pages' texts, not a few
}

TEST_F(PseudoLanguageTest, NoTextOnAnyPageIsCutOrOverlapsAnother) {
    for (const PageTexts& page : WalkEveryPage())
        for (const std::string& problem : page.cut) ADD_FAILURE() << page.name << ": " << problem;
}

}  // namespace
}  // namespace trovel::testing
