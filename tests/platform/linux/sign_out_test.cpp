// Signing out, against session managers mocked on private buses (python3-dbusmock):
// never against the real session of whoever runs the tests.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QThread>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/linux/desktop/sign_out.h"
#include "temp_dir.h"

#ifndef TROVEL_EXIT_HELPER
#define TROVEL_EXIT_HELPER ""
#endif

namespace trovel::platform::linux_desktop {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

// A dbus-daemon of the test's own, ended with the test.
class PrivateBus {
public:
    explicit PrivateBus(const char* name) : name_(name) {
        FILE* pipe = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
        if (pipe == nullptr) return;
        std::array<char, 512> line{};
        if (std::fgets(line.data(), line.size(), pipe) != nullptr) address_ = line.data();
        if (std::fgets(line.data(), line.size(), pipe) != nullptr) pid_ = std::atoi(line.data());
        ::pclose(pipe);
        while (!address_.empty() && address_.back() == '\n') address_.pop_back();
    }
    ~PrivateBus() {
        for (const pid_t mock : mocks_) {
            ::kill(mock, SIGTERM);
            ::waitpid(mock, nullptr, 0);
        }
        QDBusConnection::disconnectFromBus(QString::fromLatin1(name_));
        if (pid_ > 0) ::kill(pid_, SIGTERM);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool Up() const { return !address_.empty() && pid_ > 0; }
    QDBusConnection Connection() const {
        return QDBusConnection::connectToBus(QString::fromStdString(address_), QString::fromLatin1(name_));
    }

    // A mock object with one method, waited for until its name is on the bus.
    bool Mock(const char* service, const char* path, const char* interface, const char* method,
              const char* signature) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
            if (std::freopen("/dev/null", "w", stdout) == nullptr) ::_exit(126);  // the mock logs every call
            ::execl(kPython, kPython, "-m", "dbusmock", "--session", service, path, interface, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (child < 0) return false;
        mocks_.push_back(child);
        QDBusConnection bus = Connection();
        for (int wait = 0; wait < 100 && !bus.interface()->isServiceRegistered(QString::fromLatin1(service)); ++wait)
            QThread::msleep(50);
        if (!bus.interface()->isServiceRegistered(QString::fromLatin1(service))) return false;
        const QDBusMessage added = bus.call(MockCall(service, path, "AddMethod",
                                                     {QString::fromLatin1(interface), QString::fromLatin1(method),
                                                      QString::fromLatin1(signature), QString(), QString()}));
        return added.type() == QDBusMessage::ReplyMessage;
    }

    // The arguments of every call of `method` the mock received, as texts.
    std::vector<std::vector<std::string>> Calls(const char* service, const char* path, const char* method) {
        const QDBusMessage reply =
            Connection().call(MockCall(service, path, "GetMethodCalls", {QString::fromLatin1(method)}));
        std::vector<std::vector<std::string>> calls;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return calls;
        const QDBusArgument list = reply.arguments().at(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            list.beginStructure();
            qulonglong time = 0;
            QVariantList arguments;
            list >> time >> arguments;
            list.endStructure();
            std::vector<std::string> texts;
            for (const QVariant& argument : arguments) texts.push_back(argument.toString().toStdString());
            calls.push_back(texts);
        }
        list.endArray();
        return calls;
    }

private:
    static QDBusMessage MockCall(const char* service, const char* path, const char* method, const QVariantList& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(service), QString::fromLatin1(path),
                                                          QStringLiteral("org.freedesktop.DBus.Mock"),
                                                          QString::fromLatin1(method));
        call.setArguments(arguments);
        return call;
    }

public:
    const std::string& Address() const { return address_; }

private:
    const char* name_;
    std::string address_;
    pid_t pid_ = 0;
    std::vector<pid_t> mocks_;
};

class SignOutTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v dbus-daemon >/dev/null 2>&1") != 0 ||
            std::system((std::string(kPython) + " -c 'import dbusmock' 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "needs dbus-daemon and python3-dbusmock";
        ASSERT_TRUE(session.Up());
        ASSERT_TRUE(system.Up());
    }
    bool SignOut(std::string& route) { return SignOutThrough(session.Connection(), system.Connection(), &route); }

    PrivateBus session{"trovel-test-session"};
    PrivateBus system{"trovel-test-system"};
};

TEST_F(SignOutTest, EachDesktopIsAskedWithoutASecondQuestion) {
    struct Desktop {
        const char* route;
        const char* service;
        const char* path;
        const char* interface;
        const char* method;
        const char* signature;
        std::vector<std::string> arguments;
    };
    const Desktop desktops[] = {
        {"cinnamon", "org.cinnamon.SessionManager", "/org/cinnamon/SessionManager", "org.cinnamon.SessionManager",
         "Logout", "u", {"1"}},
        {"xfce", "org.xfce.SessionManager", "/org/xfce/SessionManager", "org.xfce.Session.Manager", "Logout", "bb",
         {"false", "true"}},
        {"kde", "org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown", "logout", "", {}},
        {"gnome", "org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager", "Logout", "u",
         {"1"}},
    };
    ASSERT_TRUE(system.Mock("org.freedesktop.login1", "/org/freedesktop/login1/session/auto",
                            "org.freedesktop.login1.Session", "Terminate", ""));
    // Added one by one: each newcomer is asked before the ones already there, as the order says.
    for (const Desktop& desktop : desktops) {
        ASSERT_TRUE(session.Mock(desktop.service, desktop.path, desktop.interface, desktop.method, desktop.signature))
            << desktop.route;
        std::string route;
        EXPECT_TRUE(SignOut(route));
        EXPECT_EQ(route, desktop.route);
        const auto calls = session.Calls(desktop.service, desktop.path, desktop.method);
        ASSERT_EQ(calls.size(), 1u) << desktop.route;
        EXPECT_EQ(calls[0], desktop.arguments) << desktop.route;
    }
    EXPECT_TRUE(system.Calls("org.freedesktop.login1", "/org/freedesktop/login1/session/auto", "Terminate").empty());
}

TEST_F(SignOutTest, LogindEndsTheSessionOnlyWhenNoDesktopAnswers) {
    std::string route;
    EXPECT_FALSE(SignOut(route));  // nobody at all: a failure, not a pretended sign-out
    ASSERT_TRUE(system.Mock("org.freedesktop.login1", "/org/freedesktop/login1/session/auto",
                            "org.freedesktop.login1.Session", "Terminate", ""));
    EXPECT_TRUE(SignOut(route));
    EXPECT_EQ(route, "logind");
    EXPECT_EQ(system.Calls("org.freedesktop.login1", "/org/freedesktop/login1/session/auto", "Terminate").size(), 1u);
}

// The wizard's Exit on the restored page, in a helper process on the mock buses: it signs out
// once when a folder was restored, not when none was, and the close box never does.
TEST_F(SignOutTest, ExitOnTheLastPageSignsOutOnlyAfterSomethingWasDone) {
    ASSERT_TRUE(session.Mock("org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager",
                             "Logout", "u"));
    testing::TempDir home;
    home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Elsewhere\"\n");
    home.Write("xdg/user-dirs.defaults", "MUSIC=Music\n");
    home.MakeDir("Elsewhere");
    const auto run = [&](const char* mode) {
        const std::string command = "env QT_QPA_PLATFORM=offscreen DBUS_SESSION_BUS_ADDRESS='" + session.Address() +
                                    "' DBUS_SYSTEM_BUS_ADDRESS='" + system.Address() + "' " + TROVEL_EXIT_HELPER +
                                    " '" + home.path() + "' " + mode + " >/dev/null 2>&1";
        return std::system(command.c_str());
    };
    const auto logouts = [&] {
        return session.Calls("org.gnome.SessionManager", "/org/gnome/SessionManager", "Logout").size();
    };
    EXPECT_EQ(run("nothing-and-exit"), 0);
    EXPECT_EQ(logouts(), 0u);
    EXPECT_EQ(run("restore-and-close"), 0);
    EXPECT_EQ(logouts(), 0u);
    EXPECT_EQ(run("restore-and-exit"), 0);
    EXPECT_EQ(logouts(), 1u);
}

// Without a bus named in the environment, none is asked for: the library would launch one.
TEST(SessionBus, IsAskedForOnlyWhereTheEnvironmentHasOne) {
    const auto keep = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    };
    const auto address = keep("DBUS_SESSION_BUS_ADDRESS");
    const auto runtime = keep("XDG_RUNTIME_DIR");
    testing::TempDir empty;
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::setenv("XDG_RUNTIME_DIR", empty.path().c_str(), 1);
    EXPECT_FALSE(SessionBusAvailable());
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "", 1);
    EXPECT_FALSE(SessionBusAvailable());
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus", 1);
    EXPECT_TRUE(SessionBusAvailable());
    if (address) ::setenv("DBUS_SESSION_BUS_ADDRESS", address->c_str(), 1);
    else ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    if (runtime) ::setenv("XDG_RUNTIME_DIR", runtime->c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
