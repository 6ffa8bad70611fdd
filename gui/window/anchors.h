#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace trovel::app {

enum Anchor { kAnchorLeft = 1, kAnchorTop = 2, kAnchorRight = 4, kAnchorBottom = 8 };

// Keeps controls at fixed distances from the sides they are anchored to when their
// parent is resized: both opposite sides stretch the control, one side moves it.
class Anchors {
public:
    explicit Anchors(QSize designSize) : designSize_(designSize) {}

    void Add(QWidget* widget, int anchors) { items_.push_back({widget, widget->geometry(), anchors}); }
    void Apply(QSize size) const;

private:
    struct Item {
        QWidget* widget;
        QRect design;
        int anchors;
    };
    QSize designSize_;
    std::vector<Item> items_;
};

}  // namespace trovel::app
