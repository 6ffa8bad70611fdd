#pragma once

#include <QThread>

#include <vector>

#include "gui/catalogue/known_folder_catalogue.h"
#include "gui/widgets/effect_queue.h"

namespace trovel::space {

// The size worker: measures the chosen folders (a snapshot made on the window's thread)
// behind the wait window, shows the total in the header and closes the wait window. Its
// effects on widgets run on the window's thread, in the order made. The object lives on
// the window's thread and must outlive the run (the caller waits for it).
class SizeWorker : public QThread {
    Q_OBJECT
public:
    SizeWorker(catalogue::FolderCatalogue& folders, catalogue::WizardWindow& window, bool all,
               catalogue::Operation operation);

    void GetSize();

protected:
    void run() override { GetSize(); }

private:
    catalogue::FolderCatalogue& folders_;
    catalogue::WizardWindow& window_;
    const std::vector<catalogue::FolderCatalogue::SizeTask> tasks_;
    widgets::EffectQueue effects_;
};

}  // namespace trovel::space
