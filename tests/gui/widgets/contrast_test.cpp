// Colours as the screen shows them: the rows and the links are read back from rendered
// pixels, under the default light palette (the layout's exact colours) and under a dark one
// (every text still readable: at least 4.5:1 against what lies behind it).
#include <QApplication>
#include <QImage>
#include <QPalette>

#include "catalogue_fixture.h"
#include "core/relocation/outcome_text.h"
#include "gui/widgets/row_widgets.h"

namespace trovel::testing {
namespace {

using widgets::ContrastRatio;

QPalette DarkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Link, QColor(42, 130, 218));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
    return dark;
}

// What a widget shows within its window: its background (the pixel at its top-left corner,
// which no glyph reaches) and its text (the pixel that stands out most from that).
struct Shown {
    QColor background;
    QColor text;
    double contrast = 1;
};
Shown Read(QWidget* widget) {
    const QImage image = widget->window()->grab(QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size()))
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    Shown shown;
    shown.background = image.pixelColor(0, 0);
    shown.text = shown.background;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const double contrast = ContrastRatio(pixel, shown.background);
            if (contrast > shown.contrast) {
                shown.contrast = contrast;
                shown.text = pixel;
            }
        }
    return shown;
}

class ContrastTest : public CatalogueTest {
protected:
    void Open(const QPalette& palette) {
        QApplication::setPalette(palette);
        Add("Personal", "C:\\Users\\al\\Documents");
        Add("My Music", "C:\\Users\\al\\Music");
        Build();
        window->show();
        window->ShowPage(window->redirectPage);
        row = Row(0);
        row->cbmove->setChecked(true);
        window->WMFolderCheck(1);  // chosen: light blue
        // A reason as a failed run shows it, in its own colour.
        Row(1)->ShowReason(QString::fromUtf8("Visszavonva: a másolást megszakította."), {}, false);
        Row(0)->ShowReason(QString::fromUtf8("Áthelyezve a tartalmával együtt."), {}, true);
        Row(0)->ldescription->show();
        Row(0)->ldescription->setText(QString::fromUtf8("A felhasználó dokumentumai"));
        Row(0)->lreason->hide();
    }
    void TearDown() override {
        window.reset();
        QApplication::setPalette(QApplication::style()->standardPalette());
    }
    std::vector<QWidget*> RowTexts() {
        return {row->lfoldername, row->lfolderpath, row->ldescription, row->cbmove, Row(1)->lfoldername,
                Row(1)->cbmove, Row(1)->lreason};
    }
    FolderRow* row = nullptr;
};

TEST_F(ContrastTest, UnderTheLightPaletteTheLayoutsColoursAreExact) {
    Open(QApplication::style()->standardPalette());
    EXPECT_EQ(Read(row->lfoldername).background, QColor(234, 244, 255));  // chosen
    EXPECT_EQ(Read(Row(1)->lfoldername).background, QColor(255, 255, 255));
    EXPECT_EQ(Read(row->lfoldername).text, QColor(0, 0, 0));
    EXPECT_EQ(Read(window->lredirectall).text, QColor(0, 0, 128));  // navy links
    EXPECT_EQ(Read(window->lredirectall).background, QApplication::palette().color(QPalette::Window));
    for (QWidget* text : RowTexts())
        EXPECT_GE(Read(text).contrast, 4.5) << text->objectName().toStdString();
}

TEST_F(ContrastTest, UnderADarkPaletteEveryRowTextAndLinkStillReads) {
    Open(DarkPalette());
    // The rows keep their light backgrounds, and their text stays dark with them.
    EXPECT_EQ(Read(row->lfoldername).background, QColor(234, 244, 255));
    EXPECT_EQ(Read(Row(1)->lfoldername).background, QColor(255, 255, 255));
    for (QWidget* text : RowTexts()) {
        const Shown shown = Read(text);
        EXPECT_GE(shown.contrast, 4.5) << text->objectName().toStdString() << " " << shown.text.name().toStdString()
                                       << " on " << shown.background.name().toStdString();
    }
    // The links are no longer navy on dark grey.
    for (QWidget* link : std::initializer_list<QWidget*>{window->lredirectall, window->lredirectgetsize,
                                                         window->redirectPane->findChild<QWidget*>("Label27")}) {
        const Shown shown = Read(link);
        EXPECT_EQ(shown.background, QColor(45, 45, 45));
        EXPECT_GE(shown.contrast, 4.5) << link->objectName().toStdString() << " " << shown.text.name().toStdString();
    }
}

TEST(ContrastRatio, MatchesTheGuidelinesFigures) {
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 0.01);
    EXPECT_NEAR(ContrastRatio(QColor(0, 0, 128), QColor(45, 45, 45)), 1.2, 0.1);
    EXPECT_NEAR(ContrastRatio(QColor(118, 118, 118), Qt::white), 4.54, 0.02);
}

}  // namespace
}  // namespace trovel::testing
