#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace trovel::widgets {

// Carries a worker's effects on widgets to the thread the queue lives on (the window's)
// and runs them there in the order they were posted. Workers never touch a widget
// themselves; they post what is to be done.
class EffectQueue : public QObject {
    Q_OBJECT
public:
    using Effect = std::function<void()>;

    // From any thread: runs `effect` on the queue's thread after every effect posted before it.
    void Post(Effect effect);
    // From a worker: the same, then waits until it has run (a question box, say). Must not
    // be called on the queue's own thread, whose loop has to be running.
    void PostAndWait(Effect effect);

private:
    // Runs what is queued now, on the queue's thread.
    void RunDue();

    std::mutex lock_;
    std::deque<Effect> effects_;
};

}  // namespace trovel::widgets
