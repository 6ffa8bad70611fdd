// The catalogue's size measurement: walks the chosen folders once each and writes
// their sizes on their rows. It runs on the size worker; every effect on widgets goes
// through `post`, which carries it to the window's thread in the order made here.
#include <QLabel>

#include <mutex>

#include "app/about_window.h"
#include "app/main_window.h"
#include "catalogue/folder_row.h"
#include "catalogue/known_folder_catalogue.h"
#include "catalogue/row_widgets.h"
#include "space/folder_walk.h"
#include "space/saturating.h"
#include "space/size_text.h"

namespace trovel::catalogue {
namespace {

bool Takes(TFrame1* row, bool vall, int operationID) {
    // A folder that is or holds the home folder would be measured as the whole home.
    if (row->Path.empty() || row->HoldsKeptFolder) return false;
    if (vall) return true;
    const QCheckBox* box = operationID == kCopyBox ? static_cast<QCheckBox*>(row->cbcopy)
                                                   : static_cast<QCheckBox*>(row->cbmove);
    return row->active && box->isChecked();
}

}  // namespace

std::int64_t Tvkfo::GetKFSize(bool vall, int operationID, const GuiPost& post) {
    post([this] { ShowAll(false); });
    const std::string separator = platform_.DecimalSeparator();
    std::int64_t total = 0;
    for (TFrame1* row : framearr) {
        if (!Takes(row, vall, operationID)) continue;
        if (!row->SizeGot) {
            space::WalkCounters counters;
            {
                std::lock_guard lock(FkfOwner->progressLock());
                const QString line = QStringLiteral("Folyamatban: ") + row->lfoldername->text();
                post([about = FkfOwner->VFAbout, line] { about->lnowisprocessing->setText(line); });
            }
            const std::int64_t size =
                row->FolderExcludePath.empty()
                    ? space::GetFileObjectSize(platform_, row->Path, counters)
                    : space::GetFileObjectSizeEX(platform_, row->Path, row->FolderExcludePath, counters);
            row->FolderSize = size;
            row->FoldersCount = counters.folders;
            row->FilesCount = counters.files;
            row->SizeGot = true;
            const space::SizeText text = space::SizeToStr(static_cast<long double>(size), separator);
            const QString label = QString::fromStdString(text.number + text.unit) + QStringLiteral(", ") +
                                  QString::number(counters.folders) + QStringLiteral(" mappa, ") +
                                  QString::number(counters.files) + QStringLiteral(" fájl");
            post([row, label] {
                // Placed 20 pixels right of the name, however long the name is.
                row->lsize->move(row->lfoldername->x() + row->lfoldername->width() + 20, row->lsize->y());
                SetAutoSizedText(row->lsize, label);
            });
        }
        total = space::SaturatingAdd(total, row->FolderSize);
    }
    FkfOwner->shared().selectedSizeSum = total;
    FkfSizegot = true;
    post([this] { ShowAll(true); });
    return total;
}

}  // namespace trovel::catalogue
