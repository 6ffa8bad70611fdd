#include <atomic>
#include <clocale>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "platform/messages.h"
#include "platform/system/console_platform.h"
#include "platform/system/user_language.h"

namespace {

std::atomic<bool> interrupted{false};
std::atomic<int> stopSignal{0};

extern "C" void OnInterrupt(int signal) {
    stopSignal = signal;
    interrupted = true;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Ctrl-C stops a content copy cleanly: the folder in progress is rolled back. So does the
    // end of a session or a service manager's stop (SIGTERM), and a closed terminal (SIGHUP).
    // The exit status then says which signal it was, as if it had ended the program.
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
#ifdef SIGHUP
    std::signal(SIGHUP, OnInterrupt);
#endif
    auto platform = trovel::platform::CreateConsolePlatform();
    const auto scope = platform->EnterWorkerThread();
    trovel::cli::Console console{std::cout, std::cerr};
    // Messages in the language LANGUAGE, LC_ALL, LC_MESSAGES or LANG names; English without a catalogue.
    trovel::platform::SpeakTheUsersLanguage();
    console.language =
        trovel::platform::SpeaksHungarian() ? trovel::cli::Language::Hungarian : trovel::cli::Language::English;
    // Numbers as the numeric locale writes them (LC_ALL, LC_NUMERIC, LANG), when it is installed.
    std::setlocale(LC_NUMERIC, "");
    console.decimalSeparator = platform->DecimalSeparator();
    trovel::platform::NumericLocaleGrouping(console.digitGroupSeparator, console.digitGrouping);
    console.progress = trovel::platform::StandardErrorIsTerminal();
    console.interrupted = &interrupted;
    console.stopSignal = &stopSignal;
    return trovel::cli::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), *platform, console);
}
