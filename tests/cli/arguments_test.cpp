// The command line's conventions: each command takes only its own options, usage errors name
// what is wrong and where to read more, -- ends the options, results and refusals go to their
// own streams.
#include <cstdlib>
#include <optional>
#include <streambuf>

#include "cli/arguments.h"
#include "cli_fixture.h"

namespace trovel::cli {
namespace {

TEST_F(CommandLineTest, AnOptionOrArgumentACommandDoesNotTakeIsAUsageErrorNamingIt) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"list", "--copy"}, "list: option not accepted: --copy"},
        {{"drives", "Music"}, "drives: unexpected argument: Music"},
        {{"drives", "--dry-run"}, "drives: option not accepted: --dry-run"},
        {{"size", "Personal", "--all"}, "size: option not accepted: --all"},
        {{"restore", "My Music", "--to", "E:\\"}, "restore: option not accepted: --to"},
        {{"history", "--dry-run"}, "history: option not accepted: --dry-run"},
        {{"recover", "--to", "E:\\"}, "recover: option not accepted: --to"},
        {{"list", "--json=yes"}, "--json: takes no value"},
        {{"move", "Personal", "--to"}, "--to: missing value (a drive root)"},
        {{"move", "Personal", "--to", "--copy"}, "--to: missing value (a drive root)"},
        {{"move", "Personal", "--to="}, "--to: missing value (a drive root)"},
        {{"move", "Personal", "--to=E:", "--to", "F:"}, "--to: given more than once"},
        {{"move", "Personal", "-x", "--to", "E:"}, "unknown option: -x"},
    };
    for (const auto& [args, message] : cases) {
        EXPECT_EQ(Run(args), kUsageError) << message;
        EXPECT_EQ(out.str(), "") << message;
        EXPECT_EQ(err.str(), "trovel-cli: " + message + "\nTry 'trovel-cli " + args[0] + " --help'\n");
    }
    // Above all, a restore asked for something it does not take restores nothing.
    EXPECT_TRUE(fake.CallsOf("SetPath").empty());
    EXPECT_TRUE(fake.CallsOf("Redirect").empty());
    EXPECT_EQ(music->path, "C:\\Users\\al\\Documents\\Music");
}

TEST_F(CommandLineTest, WithoutACommandTheHintPointsAtTheProgramsHelp) {
    EXPECT_EQ(Run({"--json"}), kUsageError);
    EXPECT_EQ(err.str(), "trovel-cli: option not accepted: --json\nTry 'trovel-cli --help'\n");
    EXPECT_EQ(Run({"--json", "list"}), kSucceeded);  // before the command is as good as after it
    EXPECT_EQ(Run({}), kUsageError);
    EXPECT_EQ(err.str().rfind("usage: trovel-cli COMMAND", 0), 0u);
    EXPECT_EQ(out.str(), "");
}

TEST_F(CommandLineTest, DoubleDashEndsTheOptionsAndToTakesItsValueEitherWay) {
    FakeFolder& odd = fake.AddFolder("--json", "C:\\Users\\al\\odd");
    Dir("C:\\Users\\al\\odd");
    File("C:\\Users\\al\\odd\\a", 7);
    EXPECT_EQ(Run({"size", "--", "--json"}), kSucceeded) << err.str();
    EXPECT_EQ(out.str().rfind("--json  ", 0), 0u) << out.str();  // a folder, not the option
    ASSERT_EQ(Run({"move", "--to=E:\\", "--copy", "--", "--json"}), kSucceeded) << err.str();
    EXPECT_EQ(odd.path, "E:\\Users\\al\\odd");
    EXPECT_EQ(Run({"--", "list"}), kSucceeded);
}

TEST_F(CommandLineTest, HelpAndVersionAnswerOnStandardOutputWithStatusZero) {
    EXPECT_EQ(Run({"history", "--dry-run", "--help"}), kSucceeded);
    EXPECT_EQ(out.str().rfind("usage: trovel-cli history", 0), 0u);
    EXPECT_EQ(out.str().find("--dry-run"), std::string::npos);  // history has none to offer
    EXPECT_EQ(Run({"--version"}), kSucceeded);
    EXPECT_EQ(out.str().rfind("trovel-cli ", 0), 0u);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(Run({"-V"}), kSucceeded);
    EXPECT_EQ(Run({"shuffle", "--help"}), kUsageError);  // help of a command there is not
    EXPECT_EQ(err.str(), "trovel-cli: unknown command: shuffle\nTry 'trovel-cli --help'\n");
}

TEST_F(CommandLineTest, UnderAHungarianLocaleTheHelpAndTheHintsAreHungarian) {
    language = Language::Hungarian;
    ASSERT_EQ(Run({"move", "--help"}), kSucceeded);
    EXPECT_EQ(out.str().rfind("használat: trovel-cli move", 0), 0u) << out.str();
    ASSERT_EQ(Run({"--help"}), kSucceeded);
    EXPECT_NE(out.str().find("félbeszakadt áthelyezés"), std::string::npos);
    EXPECT_EQ(Run({"list", "--copy"}), kUsageError);
    EXPECT_EQ(err.str(), "trovel-cli: list: ez a kapcsoló itt nem használható: --copy\nBővebben: 'trovel-cli list --help'\n");
}

TEST_F(CommandLineTest, OneFolderOrFileIsSingularInEnglish) {
    ASSERT_EQ(Run({"size", "Personal"}), kSucceeded);
    EXPECT_NE(out.str().find(", 0 folders, 1 file\n"), std::string::npos) << out.str();
    Dir("C:\\Users\\al\\Documents\\Letters");
    File("C:\\Users\\al\\Documents\\Letters\\b.txt", 10);
    ASSERT_EQ(Run({"size", "Personal"}), kSucceeded);
    EXPECT_NE(out.str().find(", 1 folder, 2 files\n"), std::string::npos) << out.str();
    language = Language::Hungarian;
    ASSERT_EQ(Run({"size", "Personal"}), kSucceeded);
    EXPECT_NE(out.str().find(", 1 mappa, 2 fájl\n"), std::string::npos) << out.str();
}

TEST_F(CommandLineTest, CountsAreGroupedAsTheNumericLocaleGroupsThem) {
    for (int i = 0; i < 1234; ++i) File("C:\\Users\\al\\Documents\\f" + std::to_string(i), 1);
    ASSERT_EQ(Run({"size", "Personal"}), kSucceeded);
    EXPECT_NE(out.str().find(", 0 folders, 1235 files\n"), std::string::npos) << out.str();
    digitGroupSeparator = ",";
    digitGrouping = "\3";
    ASSERT_EQ(Run({"size", "Personal"}), kSucceeded);
    EXPECT_NE(out.str().find(", 0 folders, 1,235 files\n"), std::string::npos) << out.str();
    ASSERT_EQ(Run({"size", "Personal", "--json"}), kSucceeded);
    EXPECT_NE(out.str().find("\"files\": 1235}"), std::string::npos) << out.str();  // what scripts read is never grouped
}

TEST_F(CommandLineTest, WhenNoDriveIsOfferedItSaysSoNamingEveryFilesystemLeftOut) {
    fake.refusals["E:\\"] = platform::TargetRefusal::MountedOnDemand;
    fake.volumes.push_back({"G:\\", platform::DriveType::Remote, "Share", true, {GiB, GiB, GiB}, true});
    ASSERT_EQ(Run({"drives"}), kSucceeded);
    EXPECT_EQ(out.str(), "");  // standard output holds drives only
    EXPECT_EQ(err.str(), "trovel-cli: no drive is offered\n"
                         "  C:\\  the system's drive\n"
                         "  E:\\  not mounted at boot\n"
                         "  F:\\  the boot partition\n"
                         "  G:\\  not a local fixed drive\n"
                         "a drive is offered when it is local, fixed, writable and mounted at boot, and holds neither "
                         "the system nor the home folder\n");
    ASSERT_EQ(Run({"drives", "--json"}), kSucceeded);
    EXPECT_EQ(err.str(), "");
}

TEST_F(CommandLineTest, AFolderNotRestoredIsReportedOnBothStreams) {
    music->setPathResult = platform::kAccessDenied;
    EXPECT_EQ(Run({"restore", "My Music"}), kSomeFailed);
    EXPECT_EQ(out.str(), "My Music: failed\n");
    EXPECT_EQ(err.str(), "My Music: failed\n");
}

// Standard output that takes nothing, as /dev/full does.
class FullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
};

TEST_F(CommandLineTest, AReportThatCannotBeWrittenIsAFailureWithAMessage) {
    FullBuffer full;
    std::ostream fullOut(&full);
    Console console{fullOut, err};
    EXPECT_EQ(RunCommandLine({"list"}, fake, console), kSomeFailed);
    EXPECT_EQ(err.str(), "trovel-cli: cannot write to standard output\n");
    err.str({});
    EXPECT_EQ(RunCommandLine({"--version"}, fake, console), kSomeFailed);
    EXPECT_EQ(err.str(), "trovel-cli: cannot write to standard output\n");
}

TEST_F(CommandLineTest, TheCompletionsListingNamesKeysNamesAndOfferedDrives) {
    ASSERT_EQ(Run({"__complete", "folders"}), kSucceeded);
    EXPECT_EQ(out.str(), "Windows\nPersonal\nMy Music\n");  // no keys off Linux
    ASSERT_EQ(Run({"__complete", "drives"}), kSucceeded);
    EXPECT_EQ(out.str(), "E:\\\n");
    EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace trovel::cli
