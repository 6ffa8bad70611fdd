#pragma once

#include <QString>

class QCheckBox;
class QWidget;

namespace trovel::widgets {
class ClickLabel;
}

namespace trovel::app {

// The parts of a left-pane page: a bold heading, a wrapped explanation, links and boxes.
void AddHeading(QWidget* pane, const QString& heading);
void AddExplanation(QWidget* pane, const QString& text, int height);
widgets::ClickLabel* AddLink(QWidget* pane, const char* name, int y, const QString& caption);
QCheckBox* AddBox(QWidget* pane, const char* name, int y, const QString& caption, bool ticked);

}  // namespace trovel::app
