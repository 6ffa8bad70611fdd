// The command line's entry: the arguments read, the command chosen and run on the core the
// wizard uses.
#include "cli/command_line.h"

#include <map>
#include <ostream>

#include "cli/arguments.h"
#include "cli/help.h"
#include "cli/session.h"

namespace trovel::cli {
namespace {

// Whatever the command wrote must have reached standard output whole; a full disk or a closed
// pipe is a failure, not a success with half a report.
int CheckedOutput(Console& console, int status) {
    console.out.flush();
    if (!console.out.fail()) return status;
    console.err << "trovel-cli: " << Tr("cannot write to standard output") << "\n";
    return status == kSucceeded ? kSomeFailed : status;
}

}  // namespace

int StoppedStatus(const Console& console) {
    const int signal = console.stopSignal != nullptr ? console.stopSignal->load() : 0;
    return 128 + (signal > 0 ? signal : 2);  // as a shell reports a program a signal ended; SIGINT when unknown
}

int RunCommandLine(const std::vector<std::string>& args, platform::Platform& platform, Console& console) {
    Request request;
    Session session(platform, console);
    const std::optional<std::string> problem = ParseArguments(args, request);
    session.SetCommand(request.command);
    if (problem) return session.Usage(*problem);
    if (request.version) {
        console.out << "trovel-cli " << TROVEL_VERSION << "\n";
        return CheckedOutput(console, kSucceeded);
    }
    if (request.command.empty()) {
        (request.help ? console.out : console.err) << HelpText({});
        return request.help ? CheckedOutput(console, kSucceeded) : kUsageError;
    }
    if (request.help) {
        console.out << HelpText(request.command);
        return CheckedOutput(console, kSucceeded);
    }
    // The administrator's command reads no registry: the home it works for is another user's.
    if (request.command == "prepare") return CheckedOutput(console, Prepare(session, request));
    const std::map<std::string, int (*)(Session&, const Request&)> commands = {
        {"list", List}, {"drives", Drives}, {"size", Size}, {"move", Move}, {"restore", Restore},
        {"recover", Recover}, {"history", History}, {"__complete", Complete}};
    if (!session.Open()) {
        console.err << "trovel-cli: " << Tr("the known-folder registry cannot be opened") << "\n";
        return kSomeFailed;
    }
    return CheckedOutput(console, commands.at(request.command)(session, request));
}

}  // namespace trovel::cli
