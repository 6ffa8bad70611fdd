// The window on a screen too small for it: 1280 x 1024 at scale 2 is 640 x 512 to lay out in.
#include <QComboBox>
#include <QScrollBar>

#include "catalogue_fixture.h"
#include "gui/window/screen_fit.h"

namespace trovel::testing {
namespace {

class ScreenFitTest : public CatalogueTest {
protected:
    void SetUp() override {
        for (int n = 0; n < 8; ++n) Add("Folder " + std::to_string(n), "C:\\f" + std::to_string(n));
        Build();
    }
    // Whether `widget` can be brought wholly into the frame's view.
    static bool Reachable(app::ScreenFitFrame& frame, QWidget* widget) {
        frame.ensureWidgetVisible(widget, 0, 0);
        const QRect inView(widget->mapTo(frame.viewport(), QPoint(0, 0)), widget->size());
        return frame.viewport()->rect().contains(inView);
    }
};

TEST_F(ScreenFitTest, OnALargeScreenTheWindowIsItself) {
    EXPECT_EQ(app::FitToScreen(*window, QRect(0, 0, 1920, 1040)), nullptr);
    EXPECT_TRUE(window->isWindow());
}

TEST_F(ScreenFitTest, AtScale2OnA1280x1024ScreenItScrollsWithinTheScreenAndEveryButtonIsReachable) {
    const QRect available(0, 0, 640, 512 - 24);  // less a panel
    auto frame = app::FitToScreen(*window, available);
    ASSERT_NE(frame, nullptr);
    frame->show();
    window->ShowPage(window->redirectPage);
    EXPECT_FALSE(window->isWindow());
    // Frame and all, within the screen.
    EXPECT_LE(frame->width() + app::kFrameAllowance.width(), available.width());
    EXPECT_LE(frame->height() + app::kFrameAllowance.height(), available.height());
    EXPECT_EQ(window->size(), QSize(762, 498));  // the layout itself is kept
    for (QWidget* button : std::initializer_list<QWidget*>{window->bnext, window->bprevious, window->bexit, window->babout,
                                                          window->cbsort})
        EXPECT_TRUE(Reachable(*frame, button)) << button->objectName().toStdString();
    // Exit closes the frame with the window.
    window->bexitClick();
    EXPECT_FALSE(frame->isVisible());
    frame.reset();
    EXPECT_TRUE(window->isWindow());  // handed back, not deleted
}

}  // namespace
}  // namespace trovel::testing
