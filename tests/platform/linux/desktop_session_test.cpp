// Opening through the desktop session, without a desktop: the handler is caught; and the
// message boxes.
#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QObject>
#include <QUrl>

#include <gtest/gtest.h>

#include "platform/linux/linux_platform.h"

namespace trovel::platform::linux_desktop {

// Receives what would have gone to the desktop's handler.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

namespace {

TEST(DesktopSession, OpensFoldersAsFilesAndAddressesAsThemselves) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    LinuxPlatform platform{Environment{}};
    EXPECT_TRUE(platform.ShellOpen("/mnt/data/Zenék és dalok"));
    EXPECT_TRUE(platform.ShellOpen("https://example.org/donate"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(catcher.urls.size(), 2u);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(QStringLiteral("/mnt/data/Zenék és dalok")));
    EXPECT_EQ(catcher.urls[1], QUrl(QStringLiteral("https://example.org/donate")));
}

}  // namespace
}  // namespace trovel::platform::linux_desktop

#include "desktop_session_test.moc"

namespace trovel::platform::linux_desktop {
namespace {

// The question box answers in Hungarian, as the rest of the window does.
TEST(DesktopSession, MessageBoxesHaveHungarianButtons) {
    LinuxPlatform platform;
    QStringList captions;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        for (QAbstractButton* button : box->buttons()) captions << button->text();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(platform.ShowMessageBox("Megteszi ezt most?", "Trovel", kMbYesNo | kMbIconQuestion), kIdNo);
    captions.sort();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Igen"), QStringLiteral("Nem")}));
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
