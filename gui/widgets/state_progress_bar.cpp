#include "gui/widgets/state_progress_bar.h"

#include <QVariantAnimation>

namespace trovel::space {

StateProgressBar::StateProgressBar(QWidget* parent) : QProgressBar(parent), glide_(new QVariantAnimation(this)) {
    setRange(0, 100);
    setTextVisible(false);
    glide_->setDuration(250);
    connect(glide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) { setValue(value.toInt()); });
    setState(Error);
}

void StateProgressBar::setState(State state) {
    state_ = state;
    static const QColor kColours[] = {QColor(6, 176, 37), QColor(218, 38, 38), QColor(218, 203, 38)};
    QPalette palette = this->palette();
    palette.setColor(QPalette::Highlight, kColours[state]);
    setPalette(palette);
}

void StateProgressBar::setPosition(int position) {
    position_ = position;
    glide_->stop();
    if (smoothReverse_ && position < value() && isVisible()) {
        glide_->setStartValue(value());
        glide_->setEndValue(position);
        glide_->start();
    } else {
        setValue(position);
    }
}

}  // namespace trovel::space
