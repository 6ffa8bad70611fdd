// trovel-prepare-target: the one step of a relocation that needs root, run through pkexec.
// It makes the drive's copy of the calling user's home folder on a drive the user cannot
// write, after checking everything again itself: the caller is not trusted with anything.
//
//   trovel-prepare-target [--user USER] [--home HOME] [--] DRIVE FOLDER
//
// The user is the one pkexec names (PKEXEC_UID); --user serves root calling it directly.
// Exit statuses: 0 made or already there, 2 bad arguments, 3 not root, 4 unknown user or
// unusable home, 5 not a local fixed drive, 6 not mounted at boot, 7 the home's or the boot
// drive, 8 not the user's place on the drive, 9 a link on the path, 10 the drive changed,
// 11 a folder could not be made.
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "core/space/target_preparation.h"
#include "platform/linux/linux_platform.h"

namespace {

using trovel::space::PrepareRefusal;

constexpr std::size_t kLongestArgument = 4096;

int Finish(PrepareRefusal refusal, const std::string& text) {
    const int status = trovel::space::ExitStatusOf(refusal);
    if (!text.empty()) std::cerr << "trovel-prepare-target: " << text << "\n";
    return status;
}

}  // namespace

int main(int argc, char* argv[]) {
    ::umask(077);
    ::openlog("trovel-prepare-target", LOG_PID, LOG_AUTHPRIV);
    std::vector<std::string> words;
    std::string userArgument;
    std::string home;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.empty() || arg.size() > kLongestArgument)
            return Finish(PrepareRefusal::BadArguments, "an argument is empty or too long");
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--user" || arg == "--home")) {
            if (i + 1 >= argc) return Finish(PrepareRefusal::BadArguments, arg + " needs a value");
            std::string& value = arg == "--user" ? userArgument : home;
            if (!value.empty()) return Finish(PrepareRefusal::BadArguments, arg + " given twice");
            value = argv[++i];
            if (value.empty() || value.size() > kLongestArgument)
                return Finish(PrepareRefusal::BadArguments, arg + " is empty or too long");
        } else if (!optionsEnded && arg.starts_with("-")) {
            return Finish(PrepareRefusal::BadArguments, "unknown option: " + arg);
        } else {
            words.push_back(arg);
        }
    }
    if (words.size() != 2)
        return Finish(PrepareRefusal::BadArguments,
                      "usage: trovel-prepare-target [--user USER] [--home HOME] [--] DRIVE FOLDER");

    // pkexec names the user who asked; a direct caller is root and names one.
    const char* pkexecUid = std::getenv("PKEXEC_UID");
    std::string who = pkexecUid != nullptr ? pkexecUid : "";
    if (!who.empty() && !userArgument.empty())
        return Finish(PrepareRefusal::BadArguments, "--user is for root calling directly, not through pkexec");
    if (who.empty()) who = userArgument;
    if (who.empty()) return Finish(PrepareRefusal::BadArguments, "no user: run it through pkexec, or give --user");

    // The system's own places only: nothing from the caller's environment.
    trovel::platform::linux_desktop::Environment environment;
    trovel::platform::linux_desktop::LinuxSystem system(environment);
    trovel::space::PrepareRequest request;
    if (!system.UserAccountOf(who, request.user))
        return Finish(PrepareRefusal::UnknownUser, "unknown user: " + who);
    request.driveRoot = words[0];
    request.folder = words[1];
    request.home = home;
    const trovel::space::PrepareOutcome outcome = trovel::space::PrepareTarget(system, request);
    if (outcome.refusal == PrepareRefusal::None) {
        ::syslog(LOG_NOTICE, "%s %s for %s (uid %u)", outcome.made ? "made" : "found, unchanged", outcome.folder.c_str(),
                 request.user.name.c_str(), request.user.uid);
    } else {
        ::syslog(LOG_WARNING, "refused %s on %s for %s (uid %u): %s", words[1].c_str(), words[0].c_str(),
                 request.user.name.c_str(), request.user.uid, outcome.text.c_str());
    }
    return Finish(outcome.refusal, outcome.text);
}
