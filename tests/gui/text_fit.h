#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <string>
#include <vector>

#include "gui/widgets/fonts.h"

namespace trovel::testing {

// Where a widget's text is drawn, in its own coordinates, measured with its font the way the
// style lays it out: what a text of another length would need in the fixed geometry.
inline QRect DrawnText(const QWidget* widget) {
    if (const auto* box = qobject_cast<const QCheckBox*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect contents = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        const QRect text = box->fontMetrics().boundingRect(QRect(0, 0, 100000, 100000), Qt::TextShowMnemonic, box->text());
        return QRect(contents.left(), contents.top(), text.width(), std::min(contents.height(), text.height()));
    }
    if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const QRect text =
            button->fontMetrics().boundingRect(QRect(0, 0, 100000, 100000), Qt::TextShowMnemonic, button->text());
        return QStyle::alignedRect(button->layoutDirection(), Qt::AlignCenter, text.size(), contents);
    }
    const auto* label = qobject_cast<const QLabel*>(widget);
    if (label == nullptr) return {};
    const QRect contents = label->contentsRect();
    if (label->wordWrap()) {
        const QMargins margins = label->contentsMargins();
        const int height = label->heightForWidth(label->width()) - margins.top() - margins.bottom();
        return QRect(contents.left(), contents.top(), contents.width(), height);
    }
    const QRect text = label->fontMetrics().boundingRect(QRect(0, 0, 100000, 100000), 0, label->text());
    return QStyle::alignedRect(label->layoutDirection(), label->alignment(), text.size(), contents);
}

// The shown texts of `root`'s labels, buttons and check boxes that are cut (by their own box or
// by a widget they lie in), that overlap another shown text, or whose accents the box cuts off:
// one line each, empty when every text is whole.
inline std::vector<std::string> CutTexts(QWidget* root) {
    std::vector<std::string> problems;
    std::vector<std::pair<QWidget*, QRect>> drawn;  // in the top-level window's coordinates
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        const auto* label = qobject_cast<QLabel*>(widget);
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        if (label == nullptr && button == nullptr) continue;
        const QString text = label != nullptr ? label->text() : button->text();
        if (text.isEmpty() || !widget->isVisibleTo(root)) continue;
        if (label != nullptr && !label->pixmap().isNull()) continue;
        const std::string name = widget->objectName().toStdString() + " \"" + text.toStdString() + "\"";
        const QRect own = DrawnText(widget);
        if (!widget->rect().contains(own))
            problems.push_back(name + " is cut by its own box (it needs " + std::to_string(own.width()) + "x" +
                               std::to_string(own.height()) + " at " + std::to_string(own.x()) + "," +
                               std::to_string(own.y()) + " in " + std::to_string(widget->width()) + "x" +
                               std::to_string(widget->height()) + ")");
        if (const auto* box = qobject_cast<const QCheckBox*>(widget); box != nullptr && widgets::AccentOverflow(box) > 0)
            problems.push_back(name + " has its accents cut off");
        // Across the widgets it lies in, up to its window: wholly within each one's width, and
        // within its parent's height too.
        QRect there = own;
        QRect inWindow = own;  // the part not hidden by a widget it lies in (scrolled off a page)
        bool cut = false;
        for (QWidget* inner = widget; !inner->isWindow() && inner->parentWidget() != nullptr;
             inner = inner->parentWidget()) {
            there.translate(inner->pos());
            QWidget* outer = inner->parentWidget();
            if (!cut && (inner == widget ? !outer->rect().contains(there)
                                         : there.left() < 0 || there.right() > outer->width() - 1)) {
                problems.push_back(name + " is cut by " + outer->objectName().toStdString());
                cut = true;
            }
            inWindow = inWindow.translated(inner->pos()) & outer->rect();
        }
        drawn.emplace_back(widget, inWindow);
    }
    for (std::size_t i = 0; i < drawn.size(); ++i)
        for (std::size_t j = i + 1; j < drawn.size(); ++j) {
            QWidget* a = drawn[i].first;
            QWidget* b = drawn[j].first;
            if (a->isAncestorOf(b) || b->isAncestorOf(a) || a->window() != b->window()) continue;
            if (drawn[i].second.isValid() && drawn[i].second.intersects(drawn[j].second))
                problems.push_back(a->objectName().toStdString() + " and " + b->objectName().toStdString() + " overlap");
        }
    return problems;
}

}  // namespace trovel::testing
