#pragma once

#include <QProgressBar>

class QVariantAnimation;

namespace trovel::space {

// A progress bar with the three states of the system's bars, drawn green (normal),
// red (error) and yellow (paused), that glides back when its position goes down while
// smooth reverse is on.
class StateProgressBar : public QProgressBar {
    Q_OBJECT
public:
    enum State { Normal, Error, Paused };

    explicit StateProgressBar(QWidget* parent = nullptr);

    State state() const { return state_; }
    void setState(State state);
    bool smoothReverse() const { return smoothReverse_; }
    void setSmoothReverse(bool on) { smoothReverse_ = on; }

    // The position the bar stands at, or is gliding to.
    int position() const { return position_; }
    void setPosition(int position);

private:
    State state_ = Error;
    bool smoothReverse_ = true;
    int position_ = 0;
    QVariantAnimation* glide_;
};

}  // namespace trovel::space
