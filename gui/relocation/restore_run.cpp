// The restore with content: the ticked folders go through the relocation run to their
// default places, with the wait window; and what the record says of each folder's last move.
#include <QCheckBox>
#include <QLabel>

#include "gui/catalogue/folder_row.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "gui/widgets/row_widgets.h"
#include "platform/messages.h"

namespace trovel::catalogue {

std::vector<FolderCatalogue::RunTask> FolderCatalogue::RestoreSnapshot() {
    std::vector<RunTask> tasks;
    for (FolderRow* row : framearr) {
        if (!row->active || !row->cbmove->isChecked()) {
            row->Detach();
            row->active = false;
            continue;
        }
        RunTask task;
        task.row = row;
        task.choice.id = row->FolderID;
        task.choice.name = row->lfoldername->text().toStdString();
        task.choice.move = true;
        task.choice.copy = true;
        task.choice.deleteSource = true;  // the content comes back: nothing of it stays behind
        task.choice.exclusions = row->FolderExcludeList;
        tasks.push_back(std::move(task));
    }
    return tasks;
}

void FolderCatalogue::ShowRestoredRows() {
    for (FolderRow* row : framearr)
        if (row->active) row->cbcopied->setVisible(false);
}

void FolderCatalogue::ShowLastMoves() {
    if (!Fkfm) return;
    const std::vector<platform::RelocationRecord> records = Fkfm->RelocationHistory();
    for (FolderRow* row : framearr) {
        const platform::RelocationRecord* last =
            platform::LastDone(records, row->FolderDefinition.relativePath, row->FolderDefinition.name);
        if (last == nullptr) continue;
        // "2026-12-10T02:30:00Z" as "2026-12-10 02:30 (UTC)".
        const std::string when = last->time.substr(0, 10) + " " + last->time.substr(11, 5) + " (UTC)";
        const std::string move = last->from + " → " + last->to;
        const std::string text = last->operation == "restore"
                                     ? platform::Fill(platform::Tr("Last put back: %1, %2"), {when, move})
                                     : platform::Fill(platform::Tr("Last moved: %1, %2"), {when, move});
        row->setToolTip(QString::fromStdString(text));
    }
}

}  // namespace trovel::catalogue
