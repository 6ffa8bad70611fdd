// The relocation run: every active folder in the catalogue's order to the chosen drive, on
// the relocation worker. The worker reads nothing of the rows; it has their snapshot, and
// every change to a row, a label or the wait window goes through the effects, in order.
#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>

#include <mutex>

#include "gui/catalogue/folder_row.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "core/basics/path_slicing.h"
#include "core/relocation/outcome_text.h"
#include "core/relocation/transfer_pace.h"
#include "core/space/drive_list.h"
#include "platform/messages.h"
#include "gui/widgets/row_widgets.h"
#include "gui/widgets/translated.h"

namespace trovel::catalogue {
namespace {

using relocation::FolderOutcome;

void ShowPath(FolderRow* row, const std::string& path) {
    row->Path = path;  // the path label opens where the folder now is
    row->ShowPathText(QString::fromStdString(path));
}

void ShowLine(FolderRow* row, const relocation::OutcomeLine& line) {
    row->ShowReason(QString::fromStdString(line.brief), QString::fromStdString(line.full), line.success);
}

// Follows the content move of one folder: the transfer line under the progress line, which
// names the stage (copy, verify, delete), with bytes, rate and time left while copying, a few
// times a second; and the cancel button from the first report on (a backend that reports
// progress can also stop) until the old content is being deleted, which is past stopping.
class TransferReport {
public:
    TransferReport(const FolderCatalogue::RunEffects& effects, WizardWindow* window, std::string separator)
        : effects_(effects), window_(window), pace_(std::move(separator)) {}

    void operator()(std::uint64_t bytesDone, std::uint64_t bytesTotal) {
        {
            std::lock_guard lock(mutex_);
            if (!phase_.empty() && phase_ != "copy") return;  // a late copy report says nothing now
        }
        const auto report = pace_.Next(bytesDone, bytesTotal);
        if (!report) return;
        if (report->first)
            effects_.post([window = window_, cancel = effects_.cancel] { window->OfferCancel(cancel); });
        const QString text = widgets::QFill(widgets::QTr("Copy: %1"), {QString::fromStdString(report->text)});
        effects_.post([window = window_, text] { window->SetTransferLine(text); });
    }

    // A stage begins: the copy's line comes with its first report; the others say their name.
    void Phase(const std::string& phase) {
        {
            std::lock_guard lock(mutex_);
            phase_ = phase;
            shown_ = true;
        }
        if (phase == "verify") {
            effects_.post([window = window_] {
                window->SetTransferLine(widgets::QTr("Verifying the copy…"));
            });
        } else if (phase == "delete") {
            effects_.post([window = window_] {
                window->SetTransferLine(widgets::QTr("Deleting the old contents…"));
                window->OfferCancel({});
            });
        }
    }

    // The folder is done: the line and the button go.
    void End() {
        bool shown = pace_.End();
        {
            std::lock_guard lock(mutex_);
            shown = shown || shown_;
            phase_.clear();
            shown_ = false;
        }
        if (!shown) return;
        effects_.post([window = window_] {
            window->SetTransferLine({});
            window->OfferCancel({});
        });
    }

private:
    const FolderCatalogue::RunEffects& effects_;
    WizardWindow* window_;
    relocation::TransferPace pace_;
    std::mutex mutex_;
    std::string phase_;
    bool shown_ = false;
};

}  // namespace

std::vector<FolderCatalogue::RunTask> FolderCatalogue::RedirectSnapshot() const {
    std::vector<RunTask> tasks;
    for (FolderRow* row : framearr) {
        if (!row->active) continue;
        RunTask task;
        task.row = row;
        task.choice.id = row->FolderID;
        task.choice.name = row->lfoldername->text().toStdString();
        task.choice.move = row->cbmove->isChecked();
        task.choice.copy = row->cbcopy->isChecked();
        task.choice.deleteSource = row->cbdelete->isChecked();
        task.choice.exclusions = row->FolderExcludeList;
        tasks.push_back(std::move(task));
    }
    return tasks;
}

void FolderCatalogue::ShowProcessed(FolderRow* row, int shown) {
    row->cbredirected->setVisible(true);
    row->cbcopied->setVisible(true);
    row->cbmove->setEnabled(false);
    row->cbcopy->setEnabled(false);
    row->cbdelete->setEnabled(false);
    row->lsize->hide();
    PlaceRow(row, shown);
}

void FolderCatalogue::ShowOutcome(FolderRow* row, const relocation::FolderResult& result,
                                   const relocation::RunContext& context) {
    ShowLine(row, relocation::RelocationLine(result, context));
    switch (result.outcome) {
        case FolderOutcome::RelocatedWithContent:
        case FolderOutcome::Redirected:
        case FolderOutcome::AlreadyThere:
            row->cbredirected->setChecked(true);
            // Already there: nothing was copied now, and what the box said before still holds.
            if (result.outcome != FolderOutcome::AlreadyThere)
                row->cbcopied->setChecked(result.outcome == FolderOutcome::RelocatedWithContent);
            if (!row->selected()) row->setSelected(true);
            ShowPath(row, result.destination);
            break;
        case FolderOutcome::Failed:
            row->cbredirected->setChecked(false);
            row->cbcopied->setChecked(false);
            if (row->selected()) row->setSelected(false);
            break;
        case FolderOutcome::Skipped:
        case FolderOutcome::Checked: break;  // nothing was done: the boxes stay as they were
    }
}

void FolderCatalogue::Redirect(QWidget*, const ChosenDrive& drive, const std::vector<RunTask>& tasks,
                               const RunEffects& effects) {
    WizardWindow* window = FkfOwner;
    effects.post([window] { window->listScrollBar()->setValue(0); });
    int shown = 0;
    int relocated = 0;
    bool stopped = false;
    TransferReport report(effects, window, platform_.DecimalSeparator());
    // The manager follows this run's copies while it lasts, however it ends.
    struct HooksInPlace {
        platform::KnownFolderManager* manager;
        ~HooksInPlace() {
            if (manager != nullptr) manager->SetRedirectHooks({});
        }
    } hooksInPlace{Fkfm.get()};
    if (Fkfm) {
        platform::RedirectHooks hooks;
        hooks.progress = [&report](std::uint64_t bytes, std::uint64_t total, std::uint64_t, std::uint64_t) {
            report(bytes, total);
        };
        hooks.cancelled = effects.cancelled;
        hooks.phase = [&report](const std::string& phase) { report.Phase(phase); };
        if (drive.device != 0 || drive.mountId != 0) {
            hooks.driveRoot = drive.root;
            hooks.driveDevice = drive.device;
            hooks.driveMountId = drive.mountId;
        }
        Fkfm->SetRedirectHooks(std::move(hooks));
    }
    // On a drive only an administrator may write, the administrator makes the user's place
    // there once, before the first write; without that approval no folder is started.
    const std::string place =
        relocation::DestinationOnDrive(drive.root, window->shared().profilePath, platform_.Style());
    if (!tasks.empty() && !place.empty() && !platform_.CanCreateFolder(place) && platform_.AdministratorCanPrepare()) {
        {
            std::lock_guard lock(FkfOwner->progressLock());
            const QString line = widgets::QTr("Waiting for an administrator's approval");
            effects.postAndWait([window, line] { window->SetProgressLine(line); });
        }
        std::string text;
        if (platform_.AskAdministratorToPrepare(drive.root, place, text) != platform::Approval::Given) {
            stopped = true;  // every folder is shown, none started
            const std::string reason = std::string(platform::Tr("not started")) + ": " +
                                       (text.empty() ? std::string(space::NeedsAdministratorText()) : text);
            effects.postAndWait([this, reason] { platform_.ShowMessageBox(reason, "Trovel", platform::kMbIconWarning); });
        }
    }
    for (const RunTask& task : tasks) {
        {
            // The line names the folder before its shell call starts, which may take an hour.
            std::lock_guard lock(FkfOwner->progressLock());
            const QString line = widgets::QFill(widgets::QTr("In progress: %1"), {QString::fromStdString(task.choice.name)});
            effects.postAndWait([window, line] { window->SetProgressLine(line); });
        }
        effects.post([this, row = task.row, shown] { ShowProcessed(row, shown); });
        relocation::FolderResult result;  // skipped, until a call says otherwise
        relocation::RunContext context;
        context.copy = task.choice.copy;
        context.notStarted = stopped;
        if (!stopped) {
            if (!Fkfm) result.outcome = FolderOutcome::Failed;
            else result = relocation::RelocateFolder(platform_, *Fkfm, task.choice, drive.root);
            report.End();
        }
        if (result.raised) {
            // The system's text for the calling thread's last error is read here, on that thread.
            const std::string text = relocation::ErrorBoxText(task.choice.name, platform_.LastErrorText(), result.errorText);
            effects.postAndWait([this, text] {
                platform_.ShowMessageBox(text, "Trovel 2", platform::kMbIconInformation);
            });
        }
        if (result.busy) {
            // Another run of this folder is under way: said at once, in a box of its own.
            const std::string text = result.errorText;
            effects.postAndWait([this, text] { platform_.ShowMessageBox(text, "Trovel", platform::kMbIconWarning); });
        }
        // A stopped copy: the folder was rolled back, and the rest are left as they are.
        if (result.cancelled) stopped = true;
        if (result.outcome == FolderOutcome::RelocatedWithContent || result.outcome == FolderOutcome::Redirected ||
            result.outcome == FolderOutcome::AlreadyThere)
            ++relocated;
        effects.post([this, row = task.row, result, context] { ShowOutcome(row, result, context); });
        ++shown;
    }
    effects.post([this, window, shown, relocated] {
        Fkflistcount = static_cast<std::uint32_t>(shown);
        Fkfselectedcount = static_cast<std::uint32_t>(relocated);
        widgets::SetAutoSizedText(window->checkedCountLabel(), QString::number(relocated));
        widgets::SetAutoSizedText(window->listedCountLabel(), QString::number(shown));
        SetScrollBar(shown);
    });
}

void FolderCatalogue::ResetToDefault(QWidget* Obj, QScrollBar* scrollBar) {
    if (scrollBar != nullptr) scrollBar->setValue(0);
    int shown = 0;
    int restored = 0;
    for (FolderRow* row : framearr) {
        if (!row->active || !row->cbmove->isChecked()) {
            row->Detach();
            row->active = false;
            continue;
        }
        row->AttachTo(Obj);
        row->cbredirected->setVisible(true);
        row->cbmove->setEnabled(false);
        PlaceRow(row, shown);
        relocation::FolderResult result;
        result.outcome = FolderOutcome::Failed;
        if (Fkfm) result = relocation::RestoreFolder(*Fkfm, row->FolderID, platform_.Style());
        const bool ok = result.outcome == FolderOutcome::Redirected;
        row->cbredirected->setChecked(ok);
        ShowLine(row, relocation::RestoreLine(result));
        if (ok) {
            ShowPath(row, result.destination);
            ++restored;
        }
        ++shown;
    }
    Fkflistcount = static_cast<std::uint32_t>(shown);
    Fkfselectedcount = static_cast<std::uint32_t>(restored);
    widgets::SetAutoSizedText(FkfOwner->checkedCountLabel(), QString::number(restored));
    SetScrollBar(shown);
}

}  // namespace trovel::catalogue
