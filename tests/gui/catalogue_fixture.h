#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/window/main_window.h"
#include "gui/widgets/window_messages.h"
#include "gui/catalogue/folder_row.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "gui/widgets/row_widgets.h"
#include "platform/fake/fake_platform.h"
#include "platform/known_folder_ids.h"

namespace trovel::testing {

using catalogue::FolderRow;
using platform::fake::FakeFolder;
using platform::fake::FakePlatform;

// Records the window messages the main window receives, and passes them on.
class MessageRecorder : public QObject {
public:
    std::vector<std::pair<int, qintptr>> messages;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == widgets::WM_FOLDERCHECK || event->type() == widgets::WM_DRIVESELECT)
            messages.emplace_back(event->type(), static_cast<widgets::WindowMessage*>(event)->wParam);
        return false;
    }
};

// A main window over a fake registry. Tests add folders, then call Build().
class CatalogueTest : public ::testing::Test {
protected:
    FakeFolder& Add(const std::string& name, const std::string& path, std::uint32_t category = 4,
                    std::uint32_t capability = 1) {
        FakeFolder& folder = fake.AddFolder(name, path);
        folder.category = category;
        folder.capability = capability;
        return folder;
    }

    // The start most run tests share: the system's fixed Windows folder, and two fixed drives,
    // System (C:, where the system is) and Data (E:, offered).
    void AddSystemFolderAndDrives() {
        constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;
        FakeFolder& windows = Add("Windows", "C:\\Windows", platform::KF_CATEGORY_FIXED, 0);
        windows.id = platform::FOLDERID_Windows;
        fake.volumes.push_back({"C:\\", platform::DriveType::Fixed, "System", true, {50 * kGiB, 100 * kGiB, 50 * kGiB}, true});
        fake.volumes.push_back({"E:\\", platform::DriveType::Fixed, "Data", true, {70 * kGiB, 200 * kGiB, 70 * kGiB}, true});
    }

    void Build() {
        window = std::make_unique<app::MainWindow>(fake);
        window->installEventFilter(&recorder);
    }

    catalogue::FolderCatalogue& folders() { return window->folders(); }

    // The row made for the n-th registered folder, wherever the sorts put it.
    FolderRow* Row(int n) { return window->findChild<FolderRow*>(QStringLiteral("F%1").arg(n)); }

    // Names of the rows in the catalogue's order, listed or not.
    std::vector<std::string> Order() {
        std::vector<std::string> names;
        for (FolderRow* row : folders().framearr) names.push_back(row->lfoldername->text().toStdString());
        return names;
    }

    // Names of the rows attached to `page`, top to bottom.
    std::vector<std::string> Listed(QWidget* page) {
        std::vector<std::pair<int, std::string>> placed;
        for (FolderRow* row : folders().framearr)
            if (row->parentWidget() == page) placed.emplace_back(row->y(), row->lfoldername->text().toStdString());
        std::sort(placed.begin(), placed.end());
        std::vector<std::string> names;
        for (auto& [top, name] : placed) names.push_back(name);
        return names;
    }

    // A typical registry: per-user, common, fixed and denied folders.
    void AddTypicalFolders() {
        Add("Personal", "C:\\Users\\al\\Documents");
        Add("My Music", "C:\\Users\\al\\Music");
        Add("Common Documents", "C:\\Users\\Public\\Documents", platform::KF_CATEGORY_COMMON);
        Add("Fonts", "C:\\Windows\\Fonts", platform::KF_CATEGORY_FIXED, 0x200);
        Add("Downloads", "C:\\Users\\al\\Downloads", platform::KF_CATEGORY_PERUSER, 0x101);
        Add("RecycleBinFolder", "", platform::KF_CATEGORY_VIRTUAL, 0);
    }

    FakePlatform fake;
    MessageRecorder recorder;
    std::unique_ptr<app::MainWindow> window;
};

}  // namespace trovel::testing
