// The catalogue's size measurement: walks the chosen folders once each and writes their
// sizes on their rows. It runs on the size worker from a snapshot of the rows; every effect
// on widgets goes through `post`, which carries it to the window's thread in the order made.
#include <QCheckBox>
#include <QLabel>

#include <mutex>

#include "gui/catalogue/folder_row.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "core/space/folder_walk.h"
#include "core/basics/saturating.h"
#include "core/space/size_text.h"
#include "gui/widgets/row_widgets.h"
#include "gui/widgets/translated.h"

namespace trovel::catalogue {

using widgets::QFill;
using widgets::QTr;
using widgets::QTrN;
namespace {

bool Takes(const FolderRow* row, bool all, Operation operation) {
    // A folder that is or holds the home folder would be measured as the whole home.
    if (row->Path.empty() || row->HoldsKeptFolder) return false;
    if (all) return true;
    const QCheckBox* box = operation == Operation::Copy ? static_cast<QCheckBox*>(row->cbcopy)
                                                   : static_cast<QCheckBox*>(row->cbmove);
    return row->active && box->isChecked();
}

}  // namespace

std::vector<FolderCatalogue::SizeTask> FolderCatalogue::SizeSnapshot(bool all, Operation operation) const {
    std::vector<SizeTask> tasks;
    for (FolderRow* row : framearr) {
        if (!Takes(row, all, operation)) continue;
        tasks.push_back({row, row->lfoldername->text(), row->Path, row->FolderExcludePath, row->SizeGot, row->FolderSize,
                         row->SizeIsLowerBound});
    }
    return tasks;
}

std::int64_t FolderCatalogue::GetKFSize(const std::vector<SizeTask>& tasks, const GuiPost& post, bool* lowerBound) {
    bool partial = false;
    post([this] { ShowAll(false); });
    const std::string separator = platform_.DecimalSeparator();
    std::string groupSeparator, grouping;
    platform::NumericLocaleGrouping(groupSeparator, grouping);
    const auto count = [&](std::uint64_t n) { return QString::fromStdString(space::CountText(n, groupSeparator, grouping)); };
    std::int64_t total = 0;
    for (const SizeTask& task : tasks) {
        std::int64_t size = task.size;
        partial = partial || (task.sizeGot && task.lowerBound);
        if (!task.sizeGot) {
            space::WalkCounters counters;
            {
                std::lock_guard lock(FkfOwner->progressLock());
                const QString line = QFill(QTr("In progress: %1"), {task.name});
                post([window = FkfOwner, line] { window->SetProgressLine(line); });
            }
            size = space::MeasureKnownFolder(platform_, task.path, task.excludePaths, counters);
            const space::SizeText text = space::SizeToStr(static_cast<long double>(size), separator);
            QString label =
                QString::fromStdString(text.number + text.unit) + QStringLiteral(", ") +
                QFill(QTrN("%1 folder", "%1 folders", counters.folders), {count(counters.folders)}) +
                QStringLiteral(", ") + QFill(QTrN("%1 file", "%1 files", counters.files), {count(counters.files)});
            // What could not be read is not in the size: it is said, never passed off as the whole.
            QString unreadable;
            partial = partial || counters.unreadable > 0;
            if (counters.unreadable > 0) {
                label = QFill(QTr("at least %1"), {label});
                unreadable = QFill(QTrN("The size is only a lower bound: %1 subfolder cannot be read, and its "
                                        "contents are not in it:",
                                        "The size is only a lower bound: %1 subfolders cannot be read, and their "
                                        "contents are not in it:",
                                        counters.unreadable),
                                   {count(counters.unreadable)});
                for (const std::string& path : counters.unreadablePaths)
                    unreadable += QStringLiteral("\n") + QString::fromStdString(path);
                if (counters.unreadable > counters.unreadablePaths.size()) unreadable += QStringLiteral("\n…");
            }
            post([row = task.row, size, counters, label, unreadable] {
                row->FolderSize = size;
                row->FoldersCount = counters.folders;
                row->FilesCount = counters.files;
                row->SizeGot = true;
                row->SizeIsLowerBound = !unreadable.isEmpty();
                // Placed 20 pixels right of the name, however long the name is.
                row->lsize->move(row->lfoldername->x() + row->lfoldername->width() + 20, row->lsize->y());
                widgets::SetAutoSizedText(row->lsize, label);
                row->lsize->setToolTip(unreadable);
                row->lsize->setAccessibleName(label);
                row->lsize->setAccessibleDescription(unreadable);
            });
        }
        total = space::SaturatingAdd(total, size);
    }
    if (lowerBound != nullptr) *lowerBound = partial;
    post([this, total] {
        FkfOwner->shared().selectedSizeSum = total;
        FkfSizegot = true;
        ShowAll(true);
    });
    return total;
}

void FolderCatalogue::ShowSizeSum(std::int64_t total, bool lowerBound) {
    const space::SizeText size = space::SizeToStr(static_cast<long double>(total), platform_.DecimalSeparator());
    QLabel* label = FkfOwner->sizeSumLabel();
    widgets::SetAutoSizedText(label, (lowerBound ? QStringLiteral("≥ ") : QString()) + QString::fromStdString(size.number + size.unit));
    label->setToolTip(QStringLiteral("   ") + QTr("Size of the selected folders") + QStringLiteral("   ") +
                      (lowerBound ? QStringLiteral("\n") + QTr("Lower bound: some subfolders cannot be read, and their "
                                                                "contents are not in it (the rows' tooltips name them).")
                                  : QString()));
}

}  // namespace trovel::catalogue
