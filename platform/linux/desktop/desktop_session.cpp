// The parts of the Linux layer that go through the desktop session: icons from the
// icon theme, opening with the desktop's handler, message boxes and signing out.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDesktopServices>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QUrl>

#include <sys/stat.h>

#include <cstdlib>

#include "platform/linux/linux_platform.h"
#include "platform/linux/desktop/sign_out.h"
#include "platform/messages.h"

namespace trovel::platform::linux_desktop {
namespace {

constexpr int kIconSize = 48;

// Without a desktop theme (a bare session, the offscreen platform) look in the system's.
void EnsureIconTheme() {
    if (!QIcon::themeName().isEmpty() && QIcon::themeName() != QStringLiteral("hicolor")) return;
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(QStringLiteral("/usr/share/icons"))) paths << QStringLiteral("/usr/share/icons");
    QIcon::setThemeSearchPaths(paths);
    if (QDir(QStringLiteral("/usr/share/icons/Adwaita")).exists()) QIcon::setThemeName(QStringLiteral("Adwaita"));
}

// The bundled fallback: a folder, or a disk for drives, in a colour that tells the kind.
QImage DrawFallback(const QString& name) {
    QImage image(kIconSize, kIconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (name.startsWith(QStringLiteral("drive"))) {
        painter.setBrush(QColor(150, 154, 160));
        painter.setPen(QPen(QColor(90, 94, 100), 1.5));
        painter.drawRoundedRect(QRectF(4, 14, 40, 22), 4, 4);
        painter.setBrush(QColor(90, 200, 90));
        painter.drawEllipse(QPointF(36, 25), 2.5, 2.5);
        return image;
    }
    QColor colour(232, 184, 74);
    if (name.contains(QStringLiteral("music"))) colour = QColor(214, 120, 180);
    else if (name.contains(QStringLiteral("pictures"))) colour = QColor(110, 180, 110);
    else if (name.contains(QStringLiteral("videos"))) colour = QColor(200, 110, 90);
    else if (name.contains(QStringLiteral("documents"))) colour = QColor(90, 140, 210);
    else if (name.contains(QStringLiteral("download"))) colour = QColor(80, 170, 200);
    else if (name.contains(QStringLiteral("desktop"))) colour = QColor(120, 120, 200);
    else if (name.contains(QStringLiteral("trash"))) colour = QColor(160, 160, 160);
    QPainterPath folder;
    folder.moveTo(4, 12);
    folder.lineTo(18, 12);
    folder.lineTo(22, 16);
    folder.lineTo(44, 16);
    folder.lineTo(44, 40);
    folder.lineTo(4, 40);
    folder.closeSubpath();
    painter.setPen(QPen(colour.darker(140), 1.5));
    painter.setBrush(colour);
    painter.drawPath(folder);
    painter.setBrush(colour.lighter(120));
    painter.drawRect(QRectF(4, 20, 40, 20));
    return image;
}

bool Call(QDBusConnection bus, const char* service, const char* path, const char* interface, const char* method,
          const QVariantList& arguments = {}) {
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(QString::fromLatin1(service))) return false;
    // A plain method call: no introspection of the other side is needed to sign out.
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(service), QString::fromLatin1(path),
                                                      QString::fromLatin1(interface), QString::fromLatin1(method));
    call.setArguments(arguments);
    const QDBusMessage reply = bus.call(call, QDBus::Block);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

ShellIcon LinuxPlatform::ShellIconOf(const std::string& path) {
    EnsureIconTheme();
    const QString name = QString::fromStdString(IconNameOf(path));
    const QIcon themed = QIcon::fromTheme(name);
    QImage image = themed.isNull() ? DrawFallback(name)
                                   : themed.pixmap(kIconSize, kIconSize).toImage().convertToFormat(QImage::Format_ARGB32);
    if (image.size() != QSize(kIconSize, kIconSize))
        image = image.scaled(kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_ARGB32);
    ShellIcon icon;
    icon.width = image.width();
    icon.height = image.height();
    icon.themeName = name.toStdString();
    icon.argb.reserve(static_cast<std::size_t>(icon.width * icon.height));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) icon.argb.push_back(image.pixel(x, y));
    return icon;
}

bool LinuxPlatform::ShellOpen(const std::string& target) {
    // A path goes over as its bytes, percent-encoded: a name that is not UTF-8 stays itself.
    const QByteArray bytes = QByteArray::fromStdString(target);
    const QUrl url = bytes.startsWith('/') ? QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"))
                                           : QUrl(QString::fromStdString(target));
    return QDesktopServices::openUrl(url);
}

int LinuxPlatform::ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t style) {
    // A question is owned by the window that asks it, and centred on it; a message from a
    // worker has no owner, as the system's boxes have none then.
    const bool question = (style & 0xF) == kMbYesNo || (style & 0xF) == kMbYesNoCancel;
    QWidget* owner = question ? QApplication::activeWindow() : nullptr;
    QMessageBox box(owner);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setTextFormat(Qt::PlainText);  // error texts carry paths, which are never markup
    box.setText(QString::fromStdString(text));
    switch (style & 0xF0) {
        case kMbIconError: box.setIcon(QMessageBox::Critical); break;
        case kMbIconQuestion: box.setIcon(QMessageBox::Question); break;
        case kMbIconWarning: box.setIcon(QMessageBox::Warning); break;
        case kMbIconInformation: box.setIcon(QMessageBox::Information); break;
        default: break;
    }
    // The buttons speak the program's language, not Qt's (which has no Hungarian of its own here).
    const auto label = [&box](QMessageBox::StandardButton button, const char* english) {
        box.button(button)->setText(QString::fromUtf8(Tr(english)));
    };
    if ((style & 0xF) == kMbYesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        label(QMessageBox::Yes, TrLater("Yes"));
        label(QMessageBox::No, TrLater("No"));
        label(QMessageBox::Cancel, TrLater("Cancel"));
        const int answer = box.exec();
        return answer == QMessageBox::Yes ? kIdYes : answer == QMessageBox::No ? kIdNo : kIdCancel;
    }
    if ((style & 0xF) == kMbYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        label(QMessageBox::Yes, TrLater("Yes"));
        label(QMessageBox::No, TrLater("No"));
        return box.exec() == QMessageBox::Yes ? kIdYes : kIdNo;
    }
    box.setStandardButtons(QMessageBox::Ok);
    label(QMessageBox::Ok, TrLater("OK"));
    box.exec();
    return kIdOk;
}

bool SignOutThrough(const QDBusConnection& session, const QDBusConnection& system, std::string* route) {
    struct Route {
        const char* name;
        const char* service;
        const char* path;
        const char* interface;
        const char* method;
        QVariantList arguments;
    };
    // Mode 1 of GNOME and Cinnamon, and XFCE's (no dialog, save allowed): no second question.
    const Route desktops[] = {
        {"gnome", "org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager", "Logout",
         {QVariant::fromValue(1u)}},
        {"kde", "org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown", "logout", {}},
        {"kde-ksmserver", "org.kde.ksmserver", "/KSMServer", "org.kde.KSMServerInterface", "logout", {0, 0, 2}},
        {"xfce", "org.xfce.SessionManager", "/org/xfce/SessionManager", "org.xfce.Session.Manager", "Logout",
         {false, true}},
        {"cinnamon", "org.cinnamon.SessionManager", "/org/cinnamon/SessionManager", "org.cinnamon.SessionManager",
         "Logout", {QVariant::fromValue(1u)}},
    };
    for (const Route& desktop : desktops) {
        if (!Call(session, desktop.service, desktop.path, desktop.interface, desktop.method, desktop.arguments)) continue;
        if (route != nullptr) *route = desktop.name;
        return true;
    }
    // Then logind, which ends the session whatever still runs in it.
    const bool ended = Call(system, "org.freedesktop.login1", "/org/freedesktop/login1/session/auto",
                            "org.freedesktop.login1.Session", "Terminate");
    if (ended && route != nullptr) *route = "logind";
    return ended;
}

bool SessionBusAvailable() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0') return true;
    // A systemd user session has its bus at a fixed place, which the library finds by itself.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    return runtime != nullptr && *runtime != '\0' &&
           ::stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

namespace {
// The session bus only where there is one: asking for it otherwise may launch a bus daemon.
QDBusConnection SessionBus() {
    if (SessionBusAvailable()) return QDBusConnection::sessionBus();
    return QDBusConnection(QStringLiteral("trovel-no-session-bus"));  // never connected
}
}  // namespace

bool LinuxPlatform::SignOut(std::uint32_t, std::uint32_t) {
    return SignOutThrough(SessionBus(), QDBusConnection::systemBus());
}

bool LinuxPlatform::Notify(const std::string& title, const std::string& body) {
    QDBusConnection bus = SessionBus();
    const QString service = QStringLiteral("org.freedesktop.Notifications");
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(service)) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/Notifications"),
                                                      service, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName());
    call << QStringLiteral("Trovel") << 0u << QStringLiteral("io.github.trovel.Trovel") << QString::fromStdString(title)
         << QString::fromStdString(body) << QStringList() << hints << -1;
    // Not waited for: a slow notification service must not hold the window.
    return bus.send(call);
}

}  // namespace trovel::platform::linux_desktop
