#pragma once

#include <QThread>

#include <deque>
#include <functional>
#include <mutex>

namespace trovel::app {
class TForm1;
}

namespace trovel::space {

// The size worker: measures the chosen folders behind the wait window, shows the total
// in the header and closes the wait window. Its effects on widgets wait in a queue of
// its own and run on the window's thread, in the order made. The object lives on the
// window's thread and must outlive the run (the caller waits for it).
class TSizeThread : public QThread {
    Q_OBJECT
public:
    TSizeThread(app::TForm1* form, bool vall, int operationID);

    void GetSize();

protected:
    void run() override { GetSize(); }

private:
    void Post(std::function<void()> effect);
    void RunEffects();

    std::mutex effectsLock_;
    std::deque<std::function<void()>> effects_;
    app::TForm1* form_;
    const bool vall_;
    const int operationID_;
};

}  // namespace trovel::space
