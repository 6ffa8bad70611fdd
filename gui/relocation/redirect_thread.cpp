#include "gui/relocation/redirect_thread.h"

#include <utility>

#include "core/basics/path_slicing.h"

namespace trovel::relocation {

RedirectWorker::RedirectWorker(catalogue::FolderCatalogue& folders, catalogue::WizardWindow& window, QWidget* statusPage,
                               std::string destdrv)
    : folders_(folders), window_(window), statusPage_(statusPage), destdrv_(std::move(destdrv)),
      driveDevice_(window.shared().chosenDriveDevice), driveMountId_(window.shared().chosenDriveMountId), tasks_(folders.RedirectSnapshot()) {}

RedirectWorker::RedirectWorker(catalogue::FolderCatalogue& folders, catalogue::WizardWindow& window, QWidget* statusPage,
                               std::string destdrv, std::vector<catalogue::FolderCatalogue::RunTask> tasks)
    : folders_(folders), window_(window), statusPage_(statusPage), destdrv_(std::move(destdrv)),
      // The default places are no drive that was chosen.
      driveDevice_(destdrv_ == kDefaultPlace ? 0 : window.shared().chosenDriveDevice),
      driveMountId_(destdrv_ == kDefaultPlace ? 0 : window.shared().chosenDriveMountId), tasks_(std::move(tasks)) {}

void RedirectWorker::Execute() {
    catalogue::FolderCatalogue::RunEffects effects;
    effects.post = [this](std::function<void()> effect) { effects_.Post(std::move(effect)); };
    effects.postAndWait = [this](std::function<void()> effect) { effects_.PostAndWait(std::move(effect)); };
    effects.cancel = [this] { Cancel(); };
    effects.cancelled = [this] { return cancelled_.load(); };
    const auto scope = window_.platform().EnterWorkerThread();
    try {
        folders_.Redirect(statusPage_, {destdrv_, driveDevice_, driveMountId_}, tasks_, effects);
    } catch (...) {
        // Out of memory or threads: the rows processed so far show their outcome; the window
        // is not left waiting.
    }
    // Whatever ended the run, the wait window closes, last.
    effects.post([window = &window_] { window->EndWait(); });
}

}  // namespace trovel::relocation
