#include "catalogue_fixture.h"

namespace trovel::testing {
namespace {

class ViewsTest : public CatalogueTest {
protected:
    void SetUp() override {
        AddTypicalFolders();
        Build();
    }
    TFrame1* Named(const std::string& name) {
        for (TFrame1* row : kfo().framearr)
            if (row->FolderDefinition.name == name) return row;
        return nullptr;
    }
    QWidget* Page() { return window->Redirect; }
};

TEST_F(ViewsTest, FullListShowsEveryRowWithoutActionBoxes) {
    Named("Personal")->cbmove->show();
    Named("Personal")->cbcopied->show();
    kfo().GetKFAll(window->TSListAll, window->ScrollBar1);
    EXPECT_EQ(Listed(window->TSListAll).size(), 6u);
    EXPECT_EQ(kfo().Fkflistcount, 6u);
    EXPECT_EQ(window->lcheckedcount->text(), "0");
    for (TFrame1* row : kfo().framearr) {
        EXPECT_TRUE(row->active);
        EXPECT_TRUE(row->cbmove->isHidden());
        EXPECT_TRUE(row->cbcopy->isHidden());
        EXPECT_TRUE(row->cbredirected->isHidden());
        EXPECT_TRUE(row->cbcopied->isHidden());
    }
    // Rows are laid 108 pixels apart in catalogue order.
    for (std::size_t k = 0; k < kfo().framearr.size(); ++k)
        EXPECT_EQ(kfo().framearr[k]->y(), static_cast<int>(108 * k + 3));
}

TEST_F(ViewsTest, RelocationListAdmitsOnlyExactCapabilityOneInTheChosenCategories) {
    kfo().GetKFDefinedListRedirect(Page(), window->ScrollBar1);
    EXPECT_EQ(Listed(Page()), (std::vector<std::string>{"Common Documents", "My Music", "Personal (My Documents)"}));
    EXPECT_FALSE(Named("Downloads")->active);  // 0x101: redirectable but denied by policy
    EXPECT_FALSE(Named("Downloads")->IsAttached());
    for (const char* name : {"Personal", "My Music", "Common Documents"}) {
        TFrame1* row = Named(name);
        EXPECT_TRUE(row->cbmove->isVisibleTo(row) && row->cbmove->isEnabled()) << name;
        EXPECT_TRUE(row->cbcopy->isHidden()) << name;
    }
}

TEST_F(ViewsTest, FilterListNarrowsByCategoryAndClearsTicksOfRowsLeftOut) {
    QCheckBox user, common;
    user.setChecked(true);
    common.setChecked(false);
    QLabel count;
    kfo().GetKFDefinedListRedirect(Page(), window->ScrollBar1);
    Named("Common Documents")->cbmove->setChecked(true);
    Named("Personal")->cbmove->setChecked(true);

    kfo().FilterList(&user, &common, Page(), window->ScrollBar1, &count);
    EXPECT_EQ(Listed(Page()), (std::vector<std::string>{"My Music", "Personal (My Documents)"}));
    EXPECT_EQ(count.text(), "2");
    EXPECT_EQ(window->lcheckedcount->text(), "1");
    EXPECT_FALSE(Named("Common Documents")->cbmove->isChecked());
    EXPECT_TRUE(Named("Personal")->cbmove->isChecked());

    user.setChecked(false);
    common.setChecked(true);
    kfo().FilterList(&user, &common, Page(), window->ScrollBar1, &count);
    EXPECT_EQ(Listed(Page()), (std::vector<std::string>{"Common Documents"}));

    common.setChecked(false);
    kfo().FilterList(&user, &common, Page(), window->ScrollBar1, &count);
    EXPECT_TRUE(Listed(Page()).empty());
    EXPECT_EQ(kfo().Fkflistcount, 0u);
    EXPECT_EQ(kfo().Fkfselectedcount, 0u);
    EXPECT_EQ(count.text(), "0");
    for (TFrame1* row : kfo().framearr) EXPECT_FALSE(row->cbmove->isChecked());
    EXPECT_FALSE(kfo().IsThereChecked(1));
    EXPECT_FALSE(window->ScrollBar1->isVisibleTo(window.get()));
    EXPECT_EQ(window->ScrollBar1->maximum(), 0);
}

TEST_F(ViewsTest, ForwardPagesNarrowMoveToCopyToDelete) {
    kfo().GetKFDefinedListRedirect(Page(), window->ScrollBar1);
    Named("Personal")->cbmove->setChecked(true);
    Named("My Music")->cbmove->setChecked(true);

    kfo().GetKFDefinedListCopy(window->TSCopy, window->ScrollBar1);
    EXPECT_EQ(Listed(window->TSCopy), (std::vector<std::string>{"My Music", "Personal (My Documents)"}));
    EXPECT_EQ(window->lcheckedcount->text(), "2");  // copy boxes start ticked
    TFrame1* music = Named("My Music");
    EXPECT_FALSE(music->cbmove->isEnabled());
    EXPECT_TRUE(music->cbmove->isChecked());
    EXPECT_TRUE(music->cbcopy->isVisibleTo(music) && music->cbcopy->isEnabled());
    EXPECT_TRUE(music->cbdelete->isHidden());
    EXPECT_FALSE(Named("Common Documents")->cbcopy->isChecked());
    EXPECT_TRUE(kfo().IsThereChecked(2));

    music->cbcopy->setChecked(false);
    EXPECT_TRUE(kfo().IsThereChecked(2));  // copying is optional
    kfo().GetKFDefinedListDelete(window->TSDelete);
    EXPECT_EQ(Listed(window->TSDelete).size(), 2u);
    EXPECT_FALSE(music->cbcopy->isEnabled());
    EXPECT_FALSE(music->cbdelete->isEnabled());
    EXPECT_FALSE(music->cbdelete->isChecked());
    TFrame1* documents = Named("Personal");
    EXPECT_TRUE(documents->cbdelete->isVisibleTo(documents) && documents->cbdelete->isEnabled());
    EXPECT_TRUE(Named("Common Documents")->cbdelete->isHidden());

    // "All" on the delete page ticks only rows being copied.
    kfo().CheckAll(true, 3, window->TSDelete, window->ScrollBar1, window->lfolderslisted);
    EXPECT_TRUE(documents->cbdelete->isChecked());
    EXPECT_FALSE(music->cbdelete->isChecked());
    EXPECT_EQ(window->lcheckedcount->text(), "1");
    EXPECT_EQ(window->lfolderslisted->text(), "2");
    EXPECT_TRUE(window->bnext->isEnabled());
}

TEST_F(ViewsTest, CheckAllAndIsThereCheckedCountSumAndHighlight) {
    kfo().GetKFDefinedListRedirect(Page(), window->ScrollBar1);
    Named("Personal")->FolderSize = 1536;
    Named("My Music")->FolderSize = 1024;
    Named("Fonts")->setSelected(true);  // not listed: keeps its highlight

    kfo().CheckAll(true, 1, Page(), window->ScrollBar1, window->lfolderslisted);
    EXPECT_EQ(kfo().Fkfselectedcount, 3u);
    EXPECT_EQ(window->lcheckedcount->text(), "3");
    EXPECT_EQ(window->lsizesum->text(), "2.50 KB");
    EXPECT_EQ(window->shared().selectedSizeSum, 2560);
    EXPECT_TRUE(window->bnext->isEnabled());
    EXPECT_TRUE(Named("Personal")->selected());
    EXPECT_TRUE(Named("Fonts")->selected());

    kfo().CheckAll(false, 1, Page(), window->ScrollBar1, window->lfolderslisted);
    EXPECT_EQ(kfo().Fkfselectedcount, 0u);
    EXPECT_FALSE(window->bnext->isEnabled());
    EXPECT_FALSE(Named("Personal")->selected());
    EXPECT_EQ(window->lsizesum->text(), "0 bytes");
    EXPECT_EQ(window->shared().selectedSizeSum, 0);
    EXPECT_TRUE(Named("Fonts")->selected());

    // The delete and state boxes count but leave the size sum alone.
    window->shared().selectedSizeSum = 77;
    EXPECT_TRUE(kfo().IsThereChecked(3));
    EXPECT_TRUE(kfo().IsThereChecked(4));
    EXPECT_EQ(window->shared().selectedSizeSum, 77);
}

TEST_F(ViewsTest, ScrollRangeFollowsTheListedRowsAndThePageHeight) {
    ASSERT_EQ(window->PageControl1->height(), 426);
    kfo().GetKFDefinedListRedirect(Page(), window->ScrollBar1);  // 3 rows
    EXPECT_FALSE(window->ScrollBar1->isVisibleTo(window.get()));
    EXPECT_EQ(window->ScrollBar1->maximum(), 0);
    kfo().SetScrollBar(4);
    EXPECT_TRUE(window->ScrollBar1->isVisibleTo(window.get()));
    EXPECT_EQ(window->ScrollBar1->maximum(), 16);
    kfo().SetScrollBar(0);
    EXPECT_FALSE(window->ScrollBar1->isVisibleTo(window.get()));
    EXPECT_EQ(window->ScrollBar1->maximum(), 0);
}

TEST_F(ViewsTest, ScrollingShiftsThePageChildrenAndAViewResetsIt) {
    window->PageControl1->setCurrentWidget(window->TSListAll);
    kfo().GetKFAll(window->TSListAll, window->ScrollBar1);
    ASSERT_EQ(window->ScrollBar1->maximum(), 108 * 6 + 10 - 426);
    TFrame1* first = kfo().framearr.front();
    window->ScrollBar1->setValue(100);
    EXPECT_EQ(first->y(), 3 - 100);
    EXPECT_EQ(app::PageTag(window->TSListAll), 100);
    kfo().GetKFAll(window->TSListAll, window->ScrollBar1);
    EXPECT_EQ(first->y(), 3);
    EXPECT_EQ(app::PageTag(window->TSListAll), 0);
}

TEST_F(ViewsTest, ShowAllAndHookItemsTouchOnlyActiveRows) {
    kfo().GetKFDefinedListRedirect(Page(), window->ScrollBar1);
    kfo().ShowAll(false);
    EXPECT_TRUE(Named("Personal")->isHidden());
    kfo().HookItems(nullptr);
    for (TFrame1* row : kfo().framearr) EXPECT_FALSE(row->IsAttached());
    kfo().HookItems(window->TSStatus);
    EXPECT_EQ(Listed(window->TSStatus).size(), 3u);
    EXPECT_TRUE(Named("Personal")->isHidden());  // still hidden until shown again
    kfo().ShowAll(true);
    EXPECT_FALSE(Named("Personal")->isHidden());
    EXPECT_FALSE(Named("Fonts")->IsAttached());
}

TEST_F(ViewsTest, AHighlightOutlivesAPageChangeUntilRecounted) {
    kfo().GetKFDefinedListRedirect(Page(), window->ScrollBar1);
    TFrame1* music = Named("My Music");
    music->cbmove->setChecked(true);
    kfo().IsThereChecked(1);
    ASSERT_TRUE(music->selected());
    kfo().GetKFAll(window->TSListAll, window->ScrollBar1);
    EXPECT_TRUE(music->selected());
}

}  // namespace
}  // namespace trovel::testing
