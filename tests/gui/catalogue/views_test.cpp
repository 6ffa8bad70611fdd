#include "catalogue_fixture.h"

namespace trovel::testing {
namespace {

class ViewsTest : public CatalogueTest {
protected:
    void SetUp() override {
        AddTypicalFolders();
        Build();
    }
    FolderRow* Named(const std::string& name) {
        for (FolderRow* row : folders().framearr)
            if (row->FolderDefinition.name == name) return row;
        return nullptr;
    }
    QWidget* Page() { return window->redirectPage; }
};

TEST_F(ViewsTest, FullListShowsEveryRowWithoutActionBoxes) {
    Named("Personal")->cbmove->show();
    Named("Personal")->cbcopied->show();
    folders().GetKFAll(window->overviewPage, window->pageScrollBar);
    EXPECT_EQ(Listed(window->overviewPage).size(), 6u);
    EXPECT_EQ(folders().Fkflistcount, 6u);
    EXPECT_EQ(window->lcheckedcount->text(), "0");
    for (FolderRow* row : folders().framearr) {
        EXPECT_TRUE(row->active);
        EXPECT_TRUE(row->cbmove->isHidden());
        EXPECT_TRUE(row->cbcopy->isHidden());
        EXPECT_TRUE(row->cbredirected->isHidden());
        EXPECT_TRUE(row->cbcopied->isHidden());
    }
    // Rows are laid 108 pixels apart in catalogue order.
    for (std::size_t k = 0; k < folders().framearr.size(); ++k)
        EXPECT_EQ(folders().framearr[k]->y(), static_cast<int>(108 * k + 3));
}

TEST_F(ViewsTest, RelocationListAdmitsOnlyExactCapabilityOneInTheChosenCategories) {
    folders().GetKFDefinedListRedirect(Page(), window->pageScrollBar);
    EXPECT_EQ(Listed(Page()), (std::vector<std::string>{"Common Documents", "My Music", "Personal (My Documents)"}));
    EXPECT_FALSE(Named("Downloads")->active);  // 0x101: redirectable but denied by policy
    EXPECT_FALSE(Named("Downloads")->IsAttached());
    for (const char* name : {"Personal", "My Music", "Common Documents"}) {
        FolderRow* row = Named(name);
        EXPECT_TRUE(row->cbmove->isVisibleTo(row) && row->cbmove->isEnabled()) << name;
        EXPECT_TRUE(row->cbcopy->isHidden()) << name;
    }
}

TEST_F(ViewsTest, FilterListNarrowsByCategoryAndClearsTicksOfRowsLeftOut) {
    QCheckBox user, common;
    user.setChecked(true);
    common.setChecked(false);
    QLabel count;
    folders().GetKFDefinedListRedirect(Page(), window->pageScrollBar);
    Named("Common Documents")->cbmove->setChecked(true);
    Named("Personal")->cbmove->setChecked(true);

    folders().FilterList(&user, &common, Page(), window->pageScrollBar, &count);
    EXPECT_EQ(Listed(Page()), (std::vector<std::string>{"My Music", "Personal (My Documents)"}));
    EXPECT_EQ(count.text(), "2");
    EXPECT_EQ(window->lcheckedcount->text(), "1");
    EXPECT_FALSE(Named("Common Documents")->cbmove->isChecked());
    EXPECT_TRUE(Named("Personal")->cbmove->isChecked());

    user.setChecked(false);
    common.setChecked(true);
    folders().FilterList(&user, &common, Page(), window->pageScrollBar, &count);
    EXPECT_EQ(Listed(Page()), (std::vector<std::string>{"Common Documents"}));

    common.setChecked(false);
    folders().FilterList(&user, &common, Page(), window->pageScrollBar, &count);
    EXPECT_TRUE(Listed(Page()).empty());
    EXPECT_EQ(folders().Fkflistcount, 0u);
    EXPECT_EQ(folders().Fkfselectedcount, 0u);
    EXPECT_EQ(count.text(), "0");
    for (FolderRow* row : folders().framearr) EXPECT_FALSE(row->cbmove->isChecked());
    EXPECT_FALSE(folders().CountTicked(catalogue::Operation::Move));
    EXPECT_FALSE(window->pageScrollBar->isVisibleTo(window.get()));
    EXPECT_EQ(window->pageScrollBar->maximum(), 0);
}

TEST_F(ViewsTest, ForwardPagesNarrowMoveToCopyToDelete) {
    folders().GetKFDefinedListRedirect(Page(), window->pageScrollBar);
    Named("Personal")->cbmove->setChecked(true);
    Named("My Music")->cbmove->setChecked(true);

    folders().GetKFDefinedListCopy(window->copyPage, window->pageScrollBar);
    EXPECT_EQ(Listed(window->copyPage), (std::vector<std::string>{"My Music", "Personal (My Documents)"}));
    EXPECT_EQ(window->lcheckedcount->text(), "2");  // copy boxes start ticked
    FolderRow* music = Named("My Music");
    EXPECT_FALSE(music->cbmove->isEnabled());
    EXPECT_TRUE(music->cbmove->isChecked());
    EXPECT_TRUE(music->cbcopy->isVisibleTo(music) && music->cbcopy->isEnabled());
    EXPECT_TRUE(music->cbdelete->isHidden());
    EXPECT_FALSE(Named("Common Documents")->cbcopy->isChecked());
    EXPECT_TRUE(folders().CountTicked(catalogue::Operation::Copy));

    music->cbcopy->setChecked(false);
    EXPECT_TRUE(folders().CountTicked(catalogue::Operation::Copy));  // copying is optional
    folders().GetKFDefinedListDelete(window->deletePage);
    EXPECT_EQ(Listed(window->deletePage).size(), 2u);
    EXPECT_FALSE(music->cbcopy->isEnabled());
    EXPECT_FALSE(music->cbdelete->isEnabled());
    EXPECT_FALSE(music->cbdelete->isChecked());
    FolderRow* documents = Named("Personal");
    EXPECT_TRUE(documents->cbdelete->isVisibleTo(documents) && documents->cbdelete->isEnabled());
    EXPECT_TRUE(Named("Common Documents")->cbdelete->isHidden());

    // "All" on the delete page ticks only rows being copied.
    folders().CheckAll(true, catalogue::Operation::Delete, window->deletePage, window->pageScrollBar, window->lfolderslisted);
    EXPECT_TRUE(documents->cbdelete->isChecked());
    EXPECT_FALSE(music->cbdelete->isChecked());
    EXPECT_EQ(window->lcheckedcount->text(), "1");
    EXPECT_EQ(window->lfolderslisted->text(), "2");
    EXPECT_TRUE(window->bnext->isEnabled());
}

TEST_F(ViewsTest, CheckAllAndCountTickedCountSumAndHighlight) {
    folders().GetKFDefinedListRedirect(Page(), window->pageScrollBar);
    Named("Personal")->FolderSize = 1536;
    Named("My Music")->FolderSize = 1024;
    Named("Fonts")->setSelected(true);  // not listed: keeps its highlight

    folders().CheckAll(true, catalogue::Operation::Move, Page(), window->pageScrollBar, window->lfolderslisted);
    EXPECT_EQ(folders().Fkfselectedcount, 3u);
    EXPECT_EQ(window->lcheckedcount->text(), "3");
    EXPECT_EQ(window->lsizesum->text(), "2.50 KB");
    EXPECT_EQ(window->shared().selectedSizeSum, 2560);
    EXPECT_TRUE(window->bnext->isEnabled());
    EXPECT_TRUE(Named("Personal")->selected());
    EXPECT_TRUE(Named("Fonts")->selected());

    folders().CheckAll(false, catalogue::Operation::Move, Page(), window->pageScrollBar, window->lfolderslisted);
    EXPECT_EQ(folders().Fkfselectedcount, 0u);
    EXPECT_FALSE(window->bnext->isEnabled());
    EXPECT_FALSE(Named("Personal")->selected());
    EXPECT_EQ(window->lsizesum->text(), "0 bájt");
    EXPECT_EQ(window->shared().selectedSizeSum, 0);
    EXPECT_TRUE(Named("Fonts")->selected());

    // The delete and state boxes count but leave the size sum alone.
    window->shared().selectedSizeSum = 77;
    EXPECT_TRUE(folders().CountTicked(catalogue::Operation::Delete));
    EXPECT_TRUE(folders().CountTicked(catalogue::Operation::Redirected));
    EXPECT_EQ(window->shared().selectedSizeSum, 77);
}

TEST_F(ViewsTest, ScrollRangeFollowsTheListedRowsAndThePageHeight) {
    ASSERT_EQ(window->pageArea->height(), 426);
    folders().GetKFDefinedListRedirect(Page(), window->pageScrollBar);  // 3 rows
    EXPECT_FALSE(window->pageScrollBar->isVisibleTo(window.get()));
    EXPECT_EQ(window->pageScrollBar->maximum(), 0);
    folders().SetScrollBar(4);
    EXPECT_TRUE(window->pageScrollBar->isVisibleTo(window.get()));
    EXPECT_EQ(window->pageScrollBar->maximum(), 16);
    folders().SetScrollBar(0);
    EXPECT_FALSE(window->pageScrollBar->isVisibleTo(window.get()));
    EXPECT_EQ(window->pageScrollBar->maximum(), 0);
}

TEST_F(ViewsTest, ScrollingShiftsThePageChildrenAndAViewResetsIt) {
    window->pageArea->setCurrentWidget(window->overviewPage);
    folders().GetKFAll(window->overviewPage, window->pageScrollBar);
    ASSERT_EQ(window->pageScrollBar->maximum(), 108 * 6 + 10 - 426);
    FolderRow* first = folders().framearr.front();
    window->pageScrollBar->setValue(100);
    EXPECT_EQ(first->y(), 3 - 100);
    EXPECT_EQ(app::PageTag(window->overviewPage), 100);
    folders().GetKFAll(window->overviewPage, window->pageScrollBar);
    EXPECT_EQ(first->y(), 3);
    EXPECT_EQ(app::PageTag(window->overviewPage), 0);
}

TEST_F(ViewsTest, ShowAllAndHookItemsTouchOnlyActiveRows) {
    folders().GetKFDefinedListRedirect(Page(), window->pageScrollBar);
    folders().ShowAll(false);
    EXPECT_TRUE(Named("Personal")->isHidden());
    folders().HookItems(nullptr);
    for (FolderRow* row : folders().framearr) EXPECT_FALSE(row->IsAttached());
    folders().HookItems(window->statusPage);
    EXPECT_EQ(Listed(window->statusPage).size(), 3u);
    EXPECT_TRUE(Named("Personal")->isHidden());  // still hidden until shown again
    folders().ShowAll(true);
    EXPECT_FALSE(Named("Personal")->isHidden());
    EXPECT_FALSE(Named("Fonts")->IsAttached());
}

TEST_F(ViewsTest, AHighlightOutlivesAPageChangeUntilRecounted) {
    folders().GetKFDefinedListRedirect(Page(), window->pageScrollBar);
    FolderRow* music = Named("My Music");
    music->cbmove->setChecked(true);
    folders().CountTicked(catalogue::Operation::Move);
    ASSERT_TRUE(music->selected());
    folders().GetKFAll(window->overviewPage, window->pageScrollBar);
    EXPECT_TRUE(music->selected());
}

}  // namespace
}  // namespace trovel::testing
