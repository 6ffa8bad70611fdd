#include "space/size_thread.h"

#include <QLabel>

#include <utility>

#include "app/about_window.h"
#include "app/main_window.h"
#include "catalogue/known_folder_catalogue.h"
#include "catalogue/row_widgets.h"
#include "space/size_text.h"

namespace trovel::space {

TSizeThread::TSizeThread(app::TForm1* form, bool vall, int operationID)
    : form_(form), vall_(vall), operationID_(operationID) {}

void TSizeThread::Post(std::function<void()> effect) {
    {
        std::lock_guard lock(effectsLock_);
        effects_.push_back(std::move(effect));
    }
    // The window's thread runs whatever is queued, in order, when the call arrives.
    QMetaObject::invokeMethod(this, &TSizeThread::RunEffects, Qt::QueuedConnection);
}

void TSizeThread::RunEffects() {
    std::deque<std::function<void()>> due;
    {
        std::lock_guard lock(effectsLock_);
        due.swap(effects_);
    }
    for (auto& effect : due) effect();
}

void TSizeThread::GetSize() {
    app::TForm1* form = form_;
    const catalogue::Tvkfo::GuiPost post = [this](std::function<void()> effect) { Post(std::move(effect)); };
    const auto scope = form->platform().EnterWorkerThread();
    try {
        const std::int64_t total = form->kfo().GetKFSize(vall_, operationID_, post);
        const SizeText text = SizeToStr(static_cast<long double>(total), form->platform().DecimalSeparator());
        const QString sum = QString::fromStdString(text.number + text.unit);
        post([form, sum] { catalogue::SetAutoSizedText(form->lsizesum, sum); });
    } catch (...) {
        // Out of memory or threads: what was measured stays, the rows come back and the
        // window is not left waiting. The sizes not measured are measured next time.
        post([form] { form->kfo().ShowAll(true); });
    }
    post([form] { form->VFAbout->EndWait(); });
}

}  // namespace trovel::space
