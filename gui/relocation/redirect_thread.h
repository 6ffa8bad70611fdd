#pragma once

#include <QThread>

#include <atomic>
#include <string>
#include <vector>

#include "gui/catalogue/known_folder_catalogue.h"
#include "gui/widgets/effect_queue.h"

namespace trovel::relocation {

// The relocation worker: runs the catalogue's Redirect over a snapshot of the active rows,
// made on the window's thread when the worker is made, then closes the wait window. Its
// effects run on the window's thread in the order made. The object lives on the window's
// thread and must outlive the run (the caller waits for it).
class RedirectWorker : public QThread {
    Q_OBJECT
public:
    RedirectWorker(catalogue::FolderCatalogue& folders, catalogue::WizardWindow& window, QWidget* statusPage, std::string destdrv);
    // Over the tasks given (a restore with content), not the active rows' boxes.
    RedirectWorker(catalogue::FolderCatalogue& folders, catalogue::WizardWindow& window, QWidget* statusPage,
                   std::string destdrv, std::vector<catalogue::FolderCatalogue::RunTask> tasks);

    void Execute();
    // From the window's thread: stop the content copy in progress (rolled back) and the rest.
    void Cancel() { cancelled_ = true; }

protected:
    void run() override { Execute(); }

private:
    catalogue::FolderCatalogue& folders_;
    catalogue::WizardWindow& window_;
    QWidget* const statusPage_;
    const std::string destdrv_;
    const std::uint64_t driveDevice_;   // the chosen drive as it was when chosen
    const std::uint64_t driveMountId_;
    const std::vector<catalogue::FolderCatalogue::RunTask> tasks_;
    std::atomic<bool> cancelled_{false};
    widgets::EffectQueue effects_;
};

}  // namespace trovel::relocation
