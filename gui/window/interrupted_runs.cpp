// Runs that did not end as they should: one killed halfway in an earlier session, offered for
// settling at start-up, and one the session's end would cut short, stopped and rolled back.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPushButton>
#include <QThread>

#include <memory>

#include "gui/catalogue/folder_row.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "gui/relocation/redirect_thread.h"
#include "gui/window/about_window.h"
#include "gui/window/main_window.h"
#include "platform/messages.h"

namespace trovel::app {

void MainWindow::AskAboutInterruptedRuns() {
    platform::KnownFolderManager* manager = folders_->Fkfm.get();
    if (manager == nullptr) return;
    const std::vector<platform::KnownFolderId> interrupted = manager->InterruptedRedirects();
    if (interrupted.empty()) return;
    // The folders by the names their rows show.
    std::string names;
    for (const platform::KnownFolderId& id : interrupted) {
        std::string name = id.ToString();
        for (const catalogue::FolderRow* row : folders_->framearr)
            if (row->FolderID == id && !row->lfoldername->text().isEmpty()) name = row->lfoldername->text().toStdString();
        names += (names.empty() ? "" : ", ") + name;
    }
    const std::string question =
        platform::Fill(platform::TrN("An earlier move was interrupted (%1). Should the program finish or undo it now?",
                                     "Earlier moves were interrupted (%1). Should the program finish or undo them now?",
                                     interrupted.size()),
                       {names});
    if (platform_.ShowMessageBox(question, "Trovel", platform::kMbYesNo | platform::kMbIconQuestion) != platform::kIdYes)
        return;  // each is settled before its folder's next move anyway

    // Behind the wait window: finishing a run deletes what it left at the old place, which
    // may take a while.
    std::vector<std::string> reports(interrupted.size());
    bool allSettled = true;
    const auto settle = [&] {
        const auto scope = platform_.EnterWorkerThread();
        for (std::size_t i = 0; i < interrupted.size(); ++i) {
            try {
                if (!platform::Succeeded(manager->RecoverRedirect(interrupted[i], reports[i]))) allSettled = false;
            } catch (...) {
                allSettled = false;
                reports[i] = platform::Tr("Settling the interrupted move failed.");
            }
        }
    };
    waitWindow->BeginWait();
    const std::unique_ptr<QThread> worker(QThread::create([&] {
        settle();
        QMetaObject::invokeMethod(this, [this] { EndWait(); }, Qt::QueuedConnection);
    }));
    worker->start();
    if (!worker->isRunning() && !worker->isFinished()) {
        waitWindow->EndWait();  // no thread to be had: settled here, on the window's thread
        settle();
    } else {
        waitWindow->ShowAbout(true);
        worker->wait();
    }
    std::string text;
    for (const std::string& report : reports) text += (text.empty() ? "" : "\n") + report;
    platform_.ShowMessageBox(text, "Trovel",
                             platform::kMbOk | (allSettled ? platform::kMbIconInformation : platform::kMbIconWarning));
}

void MainWindow::StopRunBeforeQuit() {
    if (runningRedirect_ == nullptr) return;
    // As the wait window's Mégse does: the folder in progress is rolled back, the rest left.
    waitWindow->bcancel->setEnabled(false);
    runningRedirect_->Cancel();
    WaitForRedirectWorker();
}

void MainWindow::WaitForRedirectWorker() {
    if (runningRedirect_ == nullptr) return;
    // The worker waits on the window's thread for some of its effects: they run meanwhile,
    // but nothing the user does.
    while (!runningRedirect_->wait(QDeadlineTimer(20)))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);  // its last effects
}

}  // namespace trovel::app
