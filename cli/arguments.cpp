// The arguments read by each command's own rules: which options it takes, whether it takes
// folders, and an exact message for anything else.
#include "cli/arguments.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace trovel::cli {
namespace {

enum Option : unsigned { kJson = 1u, kAll = 2u, kCopy = 4u, kDelete = 8u, kDryRun = 16u, kTo = 32u, kFor = 64u };

struct OptionName {
    std::string_view name;
    Option option;
};
constexpr std::array<OptionName, 7> kOptions = {{{"--json", kJson},
                                                 {"--all", kAll},
                                                 {"--copy", kCopy},
                                                 {"--delete", kDelete},
                                                 {"--dry-run", kDryRun},
                                                 {"--to", kTo},
                                                 {"--for", kFor}}};

struct CommandRule {
    std::string_view name;
    unsigned options;
    bool takesFolders;
};
// prepare takes one drive root where the others take folders.
constexpr std::array<CommandRule, 9> kCommands = {{{"list", kJson, false},
                                                   {"drives", kJson | kAll, false},
                                                   {"size", kJson, true},
                                                   {"move", kTo | kCopy | kDelete | kDryRun | kJson, true},
                                                   {"restore", kCopy | kDelete | kDryRun | kJson, true},
                                                   {"history", kJson, true},
                                                   {"recover", kJson, true},
                                                   {"prepare", kFor | kJson, true},
                                                   {"__complete", 0u, true}}};

// One option as written: its name, and the value given with it or after it.
struct Given {
    std::string name;
    bool hasValue = false;
    std::string value;
};

const CommandRule* RuleOf(const std::string& command) {
    const auto it = std::find_if(kCommands.begin(), kCommands.end(), [&](const CommandRule& rule) { return rule.name == command; });
    return it == kCommands.end() ? nullptr : &*it;
}

const OptionName* OptionOf(const std::string& name) {
    const auto it = std::find_if(kOptions.begin(), kOptions.end(), [&](const OptionName& option) { return option.name == name; });
    return it == kOptions.end() ? nullptr : &*it;
}

bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

}  // namespace

bool IsCommand(const std::string& command) { return command != "__complete" && RuleOf(command) != nullptr; }

std::optional<std::string> ParseArguments(const std::vector<std::string>& args, Request& request) {
    // First the words apart: options (with their values) and the rest, in order.
    std::vector<Given> given;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !LooksLikeOption(arg)) {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        Given option;
        const std::size_t equals = arg.find('=');
        option.name = arg.rfind("--", 0) == 0 && equals != std::string::npos ? arg.substr(0, equals) : arg;
        if (option.name.size() < arg.size()) {
            option.hasValue = true;
            option.value = arg.substr(equals + 1);
        } else if ((option.name == "--to" || option.name == "--for") && i + 1 < args.size() && !LooksLikeOption(args[i + 1])) {
            option.hasValue = true;
            option.value = args[++i];
        }
        if (option.name == "-h") option.name = "--help";
        if (option.name == "-V") option.name = "--version";
        given.push_back(option);
    }

    if (!words.empty()) request.command = words.front();
    const CommandRule* rule = words.empty() ? nullptr : RuleOf(request.command);
    if (!words.empty() && rule == nullptr) {
        const std::string command = request.command;
        request.command.clear();  // the hint points at the program's help
        return std::string(Tr("unknown command")) + ": " + command;
    }
    // The first problem is kept; --help and --version still answer past it.
    std::optional<std::string> problem;
    const auto note = [&problem](std::string text) {
        if (!problem) problem = std::move(text);
    };
    const std::string prefix = request.command.empty() ? std::string() : request.command + ": ";
    for (const Given& option : given) {
        if (option.name == "--help" || option.name == "--version") {
            (option.name == "--help" ? request.help : request.version) = true;
            if (option.hasValue) note(option.name + ": " + std::string(Tr("takes no value")));
            continue;
        }
        const OptionName* known = OptionOf(option.name);
        if (known == nullptr) {
            note(std::string(Tr("unknown option")) + ": " + option.name);
            continue;
        }
        if (rule == nullptr || (rule->options & known->option) == 0) {
            note(prefix + std::string(Tr("option not accepted")) + ": " + option.name);
            continue;
        }
        if (known->option == kTo) {
            if (!option.hasValue || option.value.empty()) note("--to: " + std::string(Tr("missing value (a drive root)")));
            else if (!request.to.empty()) note("--to: " + std::string(Tr("given more than once")));
            else request.to = option.value;
            continue;
        }
        if (known->option == kFor) {
            if (!option.hasValue || option.value.empty()) note("--for: " + std::string(Tr("missing value (a user)")));
            else if (!request.forUser.empty()) note("--for: " + std::string(Tr("given more than once")));
            else request.forUser = option.value;
            continue;
        }
        if (option.hasValue) note(option.name + ": " + std::string(Tr("takes no value")));
        request.json = request.json || known->option == kJson;
        request.all = request.all || known->option == kAll;
        request.copy = request.copy || known->option == kCopy;
        request.remove = request.remove || known->option == kDelete;
        request.dryRun = request.dryRun || known->option == kDryRun;
    }
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (rule != nullptr && rule->takesFolders) request.folders.push_back(words[i]);
        else note(prefix + std::string(Tr("unexpected argument")) + ": " + words[i]);
    }
    if (request.command == "__complete") {
        request.complete = request.folders.empty() ? std::string() : request.folders.front();
        request.folders.clear();
    }
    if (request.help || request.version) return std::nullopt;
    return problem;
}

}  // namespace trovel::cli
