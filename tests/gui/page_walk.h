#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "gui/space/drive_catalogue.h"
#include "gui/space/drive_row.h"
#include "gui/widgets/translated.h"
#include "gui/window/about_window.h"
#include "text_fit.h"

namespace trovel::testing {

// One text a page shows, and the widget that shows it.
struct ShownText {
    std::string widget;
    QString text;
};

// What one page of the walk showed.
struct PageTexts {
    std::string name;
    int shown = 0;  // texts seen on it
    std::vector<std::string> cut;
    std::vector<ShownText> texts;  // captions and tooltips
};

// The whole move path through the window as the user walks it, and the restore after it, with
// the wait window and the About box: every page the window has, each looked at as it stands.
class PageWalkTest : public CatalogueTest {
protected:
    std::vector<PageTexts> WalkEveryPage() {
        AddSystemFolderAndDrives();
        Add("Personal", "C:\\Users\\al\\Documents");
        Add("My Music", "C:\\Users\\al\\Music");
        Add("My Pictures", "C:\\Users\\al\\Pictures");
        Add("Common Documents", "C:\\Users\\Public\\Documents", platform::KF_CATEGORY_COMMON);
        Build();
        window->show();
        std::vector<PageTexts> pages;
        pages.push_back(Look("welcome", window.get()));
        window->ShowPage(window->overviewPage);
        pages.push_back(Look("overview", window.get()));
        window->ShowPage(window->redirectPage);
        QTest::mouseClick(window->lredirectall, Qt::LeftButton);
        pages.push_back(Look("redirect", window.get()));
        window->bnextClick();
        pages.push_back(Look("copy", window.get()));
        folders().FkfSizegot = true;
        window->bnextClick();
        pages.push_back(Look("delete", window.get()));
        window->bnextClick();
        pages.push_back(Look("drives", window.get()));
        for (space::DriveRow* drive : window->drives().vObjarr)
            if (drive->vDrive == "E:\\") QTest::mouseClick(drive->cbusethis, Qt::LeftButton);
        window->bnextClick();
        pages.push_back(Look("status", window.get()));

        // The wait window as a run shows it, with the longest lines it has.
        app::WaitAboutWindow* wait = window->waitWindow;
        wait->BeginWait(widgets::QTr(app::WaitAboutWindow::kRelocatingText));
        wait->waitBar->show();
        wait->lwait->show();
        window->SetProgressLine(widgets::QFill(widgets::QTr("In progress: %1"), {QStringLiteral("Common Documents")}));
        const std::string left = platform::Fill(platform::Tr(", about %1 left"), {"4 min"});
        wait->SetTransferLine(
            widgets::QFill(widgets::QTr("Copy: %1"), {QString::fromStdString("1.52 GB / 12.8 GB, 48.3 MB/s" + left)}));
        wait->OfferCancel([] {});
        pages.push_back(Look("wait window", wait));
        // The About box: the wait's lines gone.
        wait->OfferCancel({});
        wait->SetTransferLine({});
        wait->lnowisprocessing->clear();
        wait->waitBar->hide();
        wait->lwait->hide();
        pages.push_back(Look("about", wait));

        window->ShowPage(window->welcomePage);
        window->ShowPage(window->restorePage);
        QTest::mouseClick(window->lrestoreall, Qt::LeftButton);
        pages.push_back(Look("restore", window.get()));
        fake.messageBoxAnswer = platform::kIdNo;  // the folders only, not their content
        window->bnextClick();
        pages.push_back(Look("restored", window.get()));
        return pages;
    }

private:
    static PageTexts Look(const char* name, QWidget* root) {
        PageTexts page;
        page.name = name;
        page.cut = CutTexts(root);
        QList<QWidget*> widgets = root->findChildren<QWidget*>();
        widgets.prepend(root);
        for (QWidget* widget : widgets) {
            if (!widget->isVisibleTo(root)) continue;
            const std::string id = widget->objectName().toStdString();
            if (!widget->toolTip().isEmpty()) page.texts.push_back({id + " (tooltip)", widget->toolTip()});
            QString text;
            if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
            else if (auto* button = qobject_cast<QAbstractButton*>(widget)) text = button->text();
            else if (auto* combo = qobject_cast<QComboBox*>(widget))
                for (int i = 0; i < combo->count(); ++i) page.texts.push_back({id + " (item)", combo->itemText(i)});
            if (!text.isEmpty()) page.texts.push_back({id, text});
        }
        page.shown = static_cast<int>(page.texts.size());
        return page;
    }
};

}  // namespace trovel::testing
