// Opening through the desktop session, without a desktop: the handler is caught.
#include <QDesktopServices>
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
