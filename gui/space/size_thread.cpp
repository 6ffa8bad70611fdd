#include "gui/space/size_thread.h"

#include <QLabel>

#include <utility>

#include "core/space/size_text.h"
#include "gui/widgets/row_widgets.h"

namespace trovel::space {

SizeWorker::SizeWorker(catalogue::FolderCatalogue& folders, catalogue::WizardWindow& window, bool all,
                       catalogue::Operation operation)
    : folders_(folders), window_(window), tasks_(folders.SizeSnapshot(all, operation)) {}

void SizeWorker::GetSize() {
    catalogue::WizardWindow* window = &window_;
    const catalogue::FolderCatalogue::GuiPost post = [this](std::function<void()> effect) { effects_.Post(std::move(effect)); };
    const auto scope = window_.platform().EnterWorkerThread();
    try {
        bool lowerBound = false;
        const std::int64_t total = folders_.GetKFSize(tasks_, post, &lowerBound);
        post([folders = &folders_, total, lowerBound] { folders->ShowSizeSum(total, lowerBound); });
    } catch (...) {
        // Out of memory or threads: what was measured stays, the rows come back and the
        // window is not left waiting. The sizes not measured are measured next time.
        post([folders = &folders_] { folders->ShowAll(true); });
    }
    post([window] { window->EndWait(); });
}

}  // namespace trovel::space
