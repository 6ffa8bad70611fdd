#include "gui/window/left_pane.h"

#include <QCheckBox>
#include <QLabel>

#include <algorithm>

#include "gui/widgets/fonts.h"
#include "gui/widgets/row_widgets.h"
#include "gui/widgets/translated.h"

namespace trovel::app {

using widgets::kBold;
using widgets::kUnderline;
using widgets::Tahoma;

void AddHeading(QWidget* pane, const QString& heading) {
    auto* label = new QLabel(heading, pane);
    label->setObjectName(pane->objectName() + QStringLiteral("Heading"));
    label->setFont(Tahoma(16, kBold));
    label->move(3, 16);
    label->adjustSize();
}

void AddExplanation(QWidget* pane, const QString& text, int height) {
    auto* label = new QLabel(text, pane);
    label->setObjectName(pane->objectName() + QStringLiteral("Text"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Below a heading of two lines the text moves down with it.
    int top = 41;
    if (const auto* heading = pane->findChild<QLabel*>(pane->objectName() + QStringLiteral("Heading")))
        top = std::max(top, heading->geometry().bottom() + 4);
    label->setGeometry(8, top, 173, height);
}

widgets::ClickLabel* AddLink(QWidget* pane, const char* name, int y, const QString& caption) {
    auto* link = new widgets::ClickLabel(caption, pane);
    link->setObjectName(QString::fromLatin1(name));
    link->setFont(Tahoma(13, kUnderline));
    // Navy on the light panes of the layout; under a dark theme a colour that reads on it.
    QPalette palette = link->palette();
    const QColor colour = widgets::LinkColour(pane->palette());
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, colour);
    link->setPalette(palette);
    link->setCursor(Qt::PointingHandCursor);
    link->move(8, y);
    link->adjustSize();
    link->setAccessibleDescription(widgets::QTr("Link; Enter or Space follows it"));
    return link;
}

QCheckBox* AddBox(QWidget* pane, const char* name, int y, const QString& caption, bool ticked) {
    auto* box = new QCheckBox(caption, pane);
    box->setObjectName(QString::fromLatin1(name));
    box->move(8, y);
    box->adjustSize();
    box->setChecked(ticked);
    return box;
}

}  // namespace trovel::app
