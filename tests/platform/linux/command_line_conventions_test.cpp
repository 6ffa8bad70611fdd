// The installed programs' conventions, run as programs of their own: exit statuses, what goes
// to which stream, --version and --help, and the window without a display.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/linux/safe_file.h"
#include "temp_dir.h"

#ifndef TROVEL_CLI
#define TROVEL_CLI ""
#endif
#ifndef TROVEL_APP
#define TROVEL_APP ""
#endif
#ifndef TROVEL_EXPECTED_VERSION
#define TROVEL_EXPECTED_VERSION ""
#endif

namespace trovel::testing {
namespace {

struct Ran {
    int status = -1;  // the exit status; -1 when a signal ended the program
    std::string out, err;
};

class ProgramConventions : public ::testing::Test {
protected:
    void SetUp() override {
        home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
        home.MakeDir("Music");
    }
    // `program arguments` with the scratch home, the rest of the environment as `environment`
    // says (an `env` argument list), standard output to `output` unless it is named.
    Ran Run(const std::string& program, const std::string& arguments, const std::string& environment = "LANG=C",
            const std::string& output = "") {
        const std::string outFile = home / "out.txt", errFile = home / "err.txt";
        const std::string line = "env -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u LANGUAGE -u LC_ALL -u LC_MESSAGES " +
                                 environment + " HOME='" + home.path() + "' '" + program + "' " + arguments + " >" +
                                 (output.empty() ? "'" + outFile + "'" : output) + " 2>'" + errFile + "' </dev/null";
        const int raw = std::system(line.c_str());
        Ran ran;
        ran.status = WIFEXITED(raw) && WEXITSTATUS(raw) < 128 + 64 ? WEXITSTATUS(raw) : -1;
        ran.out = platform::linux_desktop::ReadWholeFile(outFile).value_or("");
        ran.err = platform::linux_desktop::ReadWholeFile(errFile).value_or("");
        return ran;
    }
    std::string Registry() { return platform::linux_desktop::ReadWholeFile(home / ".config/user-dirs.dirs").value_or(""); }

    TempDir home;
};

TEST_F(ProgramConventions, AUsageErrorIsExitTwoOnStandardErrorAndChangesNothing) {
    const std::string registry = Registry();
    const Ran restore = Run(TROVEL_CLI, "restore MUSIC --to /mnt");
    EXPECT_EQ(restore.status, 2);
    EXPECT_EQ(restore.out, "");
    EXPECT_EQ(restore.err, "trovel-cli: restore: option not accepted: --to\nTry 'trovel-cli restore --help'\n");
    EXPECT_EQ(Registry(), registry);
    const Ran missing = Run(TROVEL_CLI, "move MUSIC --to");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "trovel-cli: --to: missing value (a drive root)\nTry 'trovel-cli move --help'\n");
    const Ran hungarian = Run(TROVEL_CLI, "list --copy", "LANGUAGE=hu LANG=C");
    EXPECT_EQ(hungarian.status, 2);
    EXPECT_EQ(hungarian.err, "trovel-cli: list: ez a kapcsoló itt nem használható: --copy\n"
                             "Bővebben: 'trovel-cli list --help'\n");
}

TEST_F(ProgramConventions, AReportThatCannotBeWrittenIsExitOneWithAMessage) {
    const Ran full = Run(TROVEL_CLI, "list", "LANG=C", "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "trovel-cli: cannot write to standard output\n");
    const Ran closed = Run(TROVEL_CLI, "--help", "LANG=C", "&-");
    EXPECT_EQ(closed.status, 1);
    const Ran fine = Run(TROVEL_CLI, "list");
    EXPECT_EQ(fine.status, 0);
    EXPECT_NE(fine.out.find("(MUSIC)"), std::string::npos) << fine.out;
    EXPECT_EQ(fine.err, "");
}

TEST_F(ProgramConventions, BothProgramsSayTheirVersionAndHelpWithoutADisplay) {
    const std::string noDisplay = "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LANG=C";
    const Ran cli = Run(TROVEL_CLI, "--version", noDisplay);
    EXPECT_EQ(cli.status, 0);
    EXPECT_EQ(cli.out, std::string("trovel-cli ") + TROVEL_EXPECTED_VERSION + "\n");
    const Ran version = Run(TROVEL_APP, "--version", noDisplay);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("trovel ") + TROVEL_EXPECTED_VERSION + "\n");
    EXPECT_EQ(version.err, "");
    const Ran help = Run(TROVEL_APP, "--help", noDisplay);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: trovel ", 0), 0u) << help.out;
    // Not an abort with a core dump: a sentence and exit status 1.
    const Ran window = Run(TROVEL_APP, "", noDisplay);
    EXPECT_EQ(window.status, 1);
    EXPECT_EQ(window.out, "");
    EXPECT_NE(window.err.find("trovel: no display"), std::string::npos) << window.err;
}

TEST_F(ProgramConventions, HelpFollowsTheLanguageLanguageComesFirst) {
    EXPECT_EQ(Run(TROVEL_CLI, "--help", "LANGUAGE=hu:en LC_ALL=C").out.rfind("használat: trovel-cli", 0), 0u);
    EXPECT_EQ(Run(TROVEL_CLI, "--help", "LC_MESSAGES=hu_HU.UTF-8 LANG=C").out.rfind("használat: trovel-cli", 0), 0u);
    EXPECT_EQ(Run(TROVEL_CLI, "--help", "LC_ALL=C LANG=hu_HU.UTF-8").out.rfind("usage: trovel-cli", 0), 0u);
}

// The listing in English has no Hungarian word in it (no letter only Hungarian uses, none of
// its words for what the program does); in Hungarian it speaks as the desktop does.
TEST_F(ProgramConventions, ListSpeaksEnglishOrHungarianAndNeverMixesThem) {
    home.Write(".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Music\"\nXDG_PICTURES_DIR=\"$HOME/Pictures\"\n");
    for (const char* json : {"", " --json"}) {
        const Ran english = Run(TROVEL_CLI, std::string("list") + json, "LANG=C");
        ASSERT_EQ(english.status, 0) << english.err;
        for (const char* hungarian : {"á", "é", "í", "ó", "ö", "ő", "ú", "ü", "ű", "mappa", "áthelyez", "Zene", "Képek",
                                      "hely", "nincs"})
            EXPECT_EQ((english.out + english.err).find(hungarian), std::string::npos) << hungarian << "\n" << english.out;
    }
    const Ran english = Run(TROVEL_CLI, "list", "LANG=C");
    EXPECT_NE(english.out.find("Music (MUSIC)"), std::string::npos) << english.out;
    EXPECT_NE(english.out.find("relocatable"), std::string::npos) << english.out;
    const Ran hungarian = Run(TROVEL_CLI, "list", "LANG=hu_HU.UTF-8");
    ASSERT_EQ(hungarian.status, 0) << hungarian.err;
    EXPECT_NE(hungarian.out.find("Zene (MUSIC)"), std::string::npos) << hungarian.out;
    EXPECT_NE(hungarian.out.find("áthelyezhető"), std::string::npos) << hungarian.out;
    EXPECT_EQ(hungarian.out.find("relocatable"), std::string::npos) << hungarian.out;
}

}  // namespace
}  // namespace trovel::testing
