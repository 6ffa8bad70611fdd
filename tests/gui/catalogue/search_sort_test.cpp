#include <QLineEdit>

#include "catalogue_fixture.h"

namespace trovel::testing {
namespace {

class SearchTest : public CatalogueTest {
protected:
    void SetUp() override {
        Add("Personal", "C:\\Users\\al\\Documents");
        Add("My Music", "D:\\Zene");
        Add("Árvíz", "C:\\Users\\al\\árvíz");
        Add("Fonts", "C:\\Windows\\Fonts");
        Build();
        page = window->overviewPage;
        folders().GetKFAll(page, window->pageScrollBar);
    }
    std::vector<std::string> Find(const QString& text, bool inname = true, bool inpath = true) {
        folders().FindItems(text, inname, inpath, page, window->pageScrollBar, window->lfolderslisted);
        return Listed(page);
    }
    QWidget* page = nullptr;
};

TEST_F(SearchTest, MatchesNamesAndPathsAsAsciiFoldedSubstrings) {
    EXPECT_EQ(Find("doc", true, false), (std::vector<std::string>{"Personal (My Documents)"}));
    EXPECT_EQ(Find("zene", true, false), std::vector<std::string>{});
    EXPECT_EQ(Find("zene", false, true), (std::vector<std::string>{"My Music"}));
    EXPECT_EQ(Find("USERS"), (std::vector<std::string>{"Personal (My Documents)", "Árvíz"}));
    EXPECT_EQ(window->lfolderslisted->text(), "2");
    EXPECT_EQ(folders().Fkflistcount, 2u);
    // A name hit and a path hit both count once; the row is listed once.
    EXPECT_EQ(Find("fonts"), (std::vector<std::string>{"Fonts"}));
}

TEST_F(SearchTest, NonAsciiLettersMustMatchCaseExactly) {
    EXPECT_EQ(Find("árvíz", true, false), std::vector<std::string>{});
    EXPECT_EQ(Find("Árvíz", true, false), (std::vector<std::string>{"Árvíz"}));
    EXPECT_EQ(Find("ÁRVÍZ", true, true), std::vector<std::string>{});
}

TEST_F(SearchTest, StarOrEmptyListsEveryActiveRowAgain) {
    Find("music");
    EXPECT_EQ(Find("*").size(), 4u);
    Find("music");
    EXPECT_EQ(Find("").size(), 4u);
    // "*" is special only as the whole text.
    EXPECT_TRUE(Find("*doc").empty());
}

TEST_F(SearchTest, BothBoxesOffListsNothingAndBlanksArePartOfTheText) {
    EXPECT_TRUE(Find("music", false, false).empty());
    EXPECT_EQ(Find(" music"), (std::vector<std::string>{"My Music"}));
    EXPECT_TRUE(Find("music ").empty());
    EXPECT_TRUE(Find(" fonts").empty());
}

TEST_F(SearchTest, SearchLeavesActiveTicksAndCountsAlone) {
    for (FolderRow* row : folders().framearr) row->cbmove->setChecked(true);
    folders().Fkfselectedcount = 3;
    Find("music");
    for (FolderRow* row : folders().framearr) {
        EXPECT_TRUE(row->active);
        EXPECT_TRUE(row->cbmove->isChecked());
    }
    EXPECT_EQ(folders().Fkfselectedcount, 3u);
}

TEST_F(CatalogueTest, SortsAreStableAndPutPrefixesFirst) {
    Add("music", "C:\\b");
    Add("Music", "C:\\a");
    Add("Music Library", "C:\\a");
    Add("_under", "C:\\c");
    Add("MUSIC", "C:\\A");
    Build();
    EXPECT_EQ(Order(), (std::vector<std::string>{"music", "Music", "MUSIC", "Music Library", "_under"}));
    folders().SortByPath();
    EXPECT_EQ(folders().vSortCriteria, 1);
    EXPECT_EQ(Order(), (std::vector<std::string>{"Music", "MUSIC", "Music Library", "music", "_under"}));
}

TEST_F(CatalogueTest, SizeSortPutsLargestFirstAndUnmeasuredLastInOrder) {
    for (const char* name : {"a", "b", "c", "d", "e"}) Add(name, std::string("C:\\") + name);
    Build();
    Row(1)->FolderSize = 10;
    Row(3)->FolderSize = 30;
    Row(4)->FolderSize = 10;
    folders().Sort(2);
    EXPECT_EQ(folders().vSortCriteria, 2);
    EXPECT_EQ(Order(), (std::vector<std::string>{"d", "b", "e", "a", "c"}));
    folders().Sort(7);  // no such order: nothing moves
    EXPECT_EQ(Order(), (std::vector<std::string>{"d", "b", "e", "a", "c"}));
}

TEST_F(SearchTest, ResortingDuringASearchLaysOutOnlyTheFoundRows) {
    Find("users");  // lists Personal and Árvíz
    folders().Sort(0);  // by name they come last, after the two rows the search took off
    EXPECT_EQ(Order(), (std::vector<std::string>{"Fonts", "My Music", "Personal (My Documents)", "Árvíz"}));
    // The found rows take the first places, within the search's scroll range; the others stay off the page.
    EXPECT_EQ(folders().framearr[2]->y(), 3);
    EXPECT_EQ(folders().framearr[3]->y(), 111);
    EXPECT_TRUE(folders().framearr[2]->IsAttached());
    EXPECT_FALSE(folders().framearr[0]->IsAttached());
    EXPECT_FALSE(folders().framearr[1]->IsAttached());
}

}  // namespace
}  // namespace trovel::testing
