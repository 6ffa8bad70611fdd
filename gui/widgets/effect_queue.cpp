#include "gui/widgets/effect_queue.h"

#include <condition_variable>
#include <memory>
#include <utility>

namespace trovel::widgets {

void EffectQueue::Post(Effect effect) {
    {
        std::lock_guard lock(lock_);
        effects_.push_back(std::move(effect));
    }
    // One call per effect: the queue's thread runs whatever is queued, in order, when it arrives.
    QMetaObject::invokeMethod(this, &EffectQueue::RunDue, Qt::QueuedConnection);
}

void EffectQueue::PostAndWait(Effect effect) {
    struct Done {
        std::mutex lock;
        std::condition_variable changed;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    Post([effect = std::move(effect), done] {
        // Whatever the effect does, the worker is let go.
        struct Release {
            Done& state;
            ~Release() {
                std::lock_guard lock(state.lock);
                state.done = true;
                state.changed.notify_all();
            }
        } release{*done};
        effect();
    });
    std::unique_lock lock(done->lock);
    done->changed.wait(lock, [&] { return done->done; });
}

void EffectQueue::RunDue() {
    std::deque<Effect> due;
    {
        std::lock_guard lock(lock_);
        due.swap(effects_);
    }
    for (Effect& effect : due) effect();
}

}  // namespace trovel::widgets
