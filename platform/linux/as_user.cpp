#include "platform/linux/as_user.h"

#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "platform/messages.h"

namespace trovel::platform::linux_desktop {
namespace {

// The child's messages, one packet each on a SOCK_SEQPACKET pair (so threads never interleave).
constexpr char kProgress = 'P';
constexpr char kResult = 'R';
constexpr char kPhase = 'F';
constexpr std::size_t kMaxPacket = 65536;
// The child's exit code when it could not become the user.
constexpr int kDropFailedExit = 3;

volatile sig_atomic_t childStopRequested = 0;

void OnStopSignal(int) { childStopRequested = 1; }

bool SendPacket(int fd, const std::string& packet) {
    for (;;) {
        if (::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(packet.size())) return true;
        if (errno != EINTR) return false;
    }
}

template <typename T>
void Append(std::string& packet, T value) {
    packet.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
bool Take(const std::string& packet, std::size_t& at, T& value) {
    if (packet.size() < at + sizeof value) return false;
    std::memcpy(&value, packet.data() + at, sizeof value);
    at += sizeof value;
    return true;
}

[[noreturn]] void RunChild(int fd, const UserIdentity& user, const std::function<AsUserOutcome(const RedirectHooks&)>& body) {
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    ::sigemptyset(&stop.sa_mask);
    ::sigaction(SIGTERM, &stop, nullptr);
    ::sigaction(SIGINT, &stop, nullptr);
    if (!DropToUser(user)) ::_exit(kDropFailedExit);

    RedirectHooks hooks;
    hooks.progress = [fd](std::uint64_t bytesDone, std::uint64_t bytesTotal, std::uint64_t filesDone,
                          std::uint64_t filesTotal) {
        std::string packet(1, kProgress);
        Append(packet, bytesDone);
        Append(packet, bytesTotal);
        Append(packet, filesDone);
        Append(packet, filesTotal);
        SendPacket(fd, packet);
    };
    hooks.phase = [fd](const std::string& phase) { SendPacket(fd, std::string(1, kPhase) + phase); };
    // A byte from the parent, or the parent gone, stops the run as a cancel would.
    hooks.cancelled = [fd] {
        if (childStopRequested) return true;
        pollfd wait{fd, POLLIN, 0};
        return ::poll(&wait, 1, 0) > 0;
    };
    AsUserOutcome outcome;
    try {
        outcome = body(hooks);
    } catch (const std::exception& error) {
        outcome = {kFail, error.what()};
    } catch (...) {
        outcome = {kFail, {}};
    }
    std::string packet(1, kResult);
    Append(packet, outcome.result);
    packet += outcome.errorText.substr(0, kMaxPacket - packet.size());
    const bool sent = SendPacket(fd, packet);
    // Stays until the parent has read the result and closed its end: a byte of the parent's
    // left unread here would otherwise reset the connection and lose the result on its way.
    ::shutdown(fd, SHUT_WR);
    for (char byte;;) {
        const ssize_t got = ::recv(fd, &byte, 1, 0);
        if (got == 0 || (got < 0 && errno != EINTR)) break;
    }
    ::_exit(sent ? 0 : 1);
}

}  // namespace

std::optional<UserIdentity> UserToActFor(const std::string& home) {
    if (::geteuid() != 0 || home.empty()) return std::nullopt;
    struct stat info {};
    if (::lstat(home.c_str(), &info) != 0 || info.st_uid == 0) return std::nullopt;
    UserIdentity user;
    user.uid = info.st_uid;
    user.gid = info.st_gid;
    std::vector<char> buffer(16384);
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(info.st_uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
        user.gid = found->pw_gid;
        user.name = found->pw_name;
        int count = 64;
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        if (::getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) {
            groups.resize(static_cast<std::size_t>(count));
            if (::getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) count = 0;
        }
        groups.resize(static_cast<std::size_t>(count));
        user.groups = groups;
    }
    if (user.groups.empty()) user.groups = {user.gid};
    return user;
}

bool DropToUser(const UserIdentity& user) {
    if (user.uid == 0) return false;
    if (::setgroups(user.groups.size(), user.groups.data()) != 0) return false;
    if (::setresgid(user.gid, user.gid, user.gid) != 0) return false;
    if (::setresuid(user.uid, user.uid, user.uid) != 0) return false;
    // No way back: were root to be had again, none of the above counted.
    if (::setuid(0) == 0 || ::seteuid(0) == 0 || ::setgid(0) == 0) return false;
    return ::getuid() == user.uid && ::geteuid() == user.uid && ::getegid() == user.gid;
}

AsUserOutcome RunAsUser(const UserIdentity& user, const RedirectHooks& hooks,
                        const std::function<AsUserOutcome(const RedirectHooks& childHooks)>& body) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
        return {kFail, std::string(platform::Tr("Cannot start the process that runs with the user's rights: ")) + std::strerror(errno)};
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(pair[0]);
        ::close(pair[1]);
        return {kFail, std::string(platform::Tr("Cannot start the process that runs with the user's rights: ")) + std::strerror(error)};
    }
    if (child == 0) {
        ::close(pair[0]);
        RunChild(pair[1], user, body);
    }
    ::close(pair[1]);
    const int fd = pair[0];

    std::optional<AsUserOutcome> outcome;
    bool cancelSent = false;
    std::string packet(kMaxPacket, '\0');
    for (;;) {
        if (!cancelSent && hooks.cancelled && hooks.cancelled()) {
            cancelSent = true;
            ::send(fd, "x", 1, MSG_NOSIGNAL);
        }
        pollfd wait{fd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, 100);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        const ssize_t got = ::recv(fd, packet.data(), packet.size(), 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // the child is gone
        const std::string message = packet.substr(0, static_cast<std::size_t>(got));
        std::size_t at = 1;
        if (message[0] == kProgress) {
            std::uint64_t bytesDone = 0, bytesTotal = 0, filesDone = 0, filesTotal = 0;
            if (Take(message, at, bytesDone) && Take(message, at, bytesTotal) && Take(message, at, filesDone) &&
                Take(message, at, filesTotal) && hooks.progress)
                hooks.progress(bytesDone, bytesTotal, filesDone, filesTotal);
        } else if (message[0] == kPhase) {
            if (hooks.phase) hooks.phase(message.substr(1));
        } else if (message[0] == kResult) {
            HResult result = kFail;
            if (Take(message, at, result)) outcome = AsUserOutcome{result, message.substr(at)};
            break;  // the last word: closing lets the child end
        }
    }
    ::close(fd);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (outcome) return *outcome;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kDropFailedExit)
        return {kAccessDenied, platform::Tr("Could not switch to the user's rights: ") +
                                   (user.name.empty() ? std::to_string(user.uid) : user.name)};
    return {kFail, platform::Tr("The process running with the user's rights ended unexpectedly.")};
}

}  // namespace trovel::platform::linux_desktop
