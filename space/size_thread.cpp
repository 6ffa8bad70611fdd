#include "space/size_thread.h"

#include <QLabel>

#include "app/about_window.h"
#include "app/main_window.h"
#include "catalogue/known_folder_catalogue.h"
#include "catalogue/row_widgets.h"
#include "space/size_text.h"

namespace trovel::space {

TSizeThread::TSizeThread(app::TForm1* form, bool vall, int operationID)
    : form_(form), vall_(vall), operationID_(operationID) {}

void TSizeThread::GetSize() {
    app::TForm1* form = form_;
    // Effects reach the window's thread in the order they are posted.
    const catalogue::Tvkfo::GuiPost post = [form](std::function<void()> effect) {
        QMetaObject::invokeMethod(form, std::move(effect), Qt::QueuedConnection);
    };
    const std::int64_t total = form->kfo().GetKFSize(vall_, operationID_, post);
    const SizeText text = SizeToStr(static_cast<long double>(total));
    const QString sum = QString::fromStdString(text.number + text.unit);
    post([form, sum] { catalogue::SetAutoSizedText(form->lsizesum, sum); });
    post([form] { form->VFAbout->EndWait(); });
}

}  // namespace trovel::space
