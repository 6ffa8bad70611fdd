// The command line's entry: the arguments read, the command chosen and run on the core the
// wizard uses.
#include "cli/command_line.h"

#include <map>
#include <ostream>

#include "cli/help.h"
#include "cli/session.h"

namespace trovel::cli {
namespace {

// Reads the arguments; false, with the message, on an unknown option.
bool Parse(const std::vector<std::string>& args, Request& request, std::string& problem) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") request.help = true;
        else if (arg == "--json") request.json = true;
        else if (arg == "--all") request.all = true;
        else if (arg == "--copy") request.copy = true;
        else if (arg == "--delete") request.remove = true;
        else if (arg == "--dry-run") request.dryRun = true;
        else if (arg == "--to" && i + 1 < args.size()) request.to = args[++i];
        else if (arg.rfind("--to=", 0) == 0) request.to = arg.substr(5);
        else if (arg.size() > 1 && arg[0] == '-') {
            problem = arg;
            return false;
        } else if (request.command.empty()) request.command = arg;
        else request.folders.push_back(arg);
    }
    return true;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, platform::Platform& platform, Console& console) {
    Request request;
    std::string problem;
    Session session(platform, console);
    if (!Parse(args, request, problem)) return session.Usage(std::string(session.Say("unknown option")) + ": " + problem);
    const std::map<std::string, int (*)(Session&, const Request&)> commands = {
        {"list", List}, {"drives", Drives}, {"size", Size}, {"move", Move}, {"restore", Restore},
        {"recover", Recover}};
    if (request.command.empty()) {
        (request.help ? console.out : console.err) << HelpText({});
        return request.help ? kSucceeded : kUsageError;
    }
    const auto command = commands.find(request.command);
    if (command == commands.end()) return session.Usage(std::string(session.Say("unknown command")) + ": " + request.command);
    if (request.help) {
        console.out << HelpText(request.command);
        return kSucceeded;
    }
    if (!session.Open()) {
        console.err << "trovel-cli: " << session.Say("the known-folder registry cannot be opened") << "\n";
        return kSomeFailed;
    }
    return command->second(session, request);
}

}  // namespace trovel::cli
