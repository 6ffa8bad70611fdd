// The command line on the fake registry: golden outputs, the wizard's rules per command,
// usage errors and exit statuses.
#include "cli_fixture.h"

namespace trovel::cli {
namespace {

using platform::fake::FakeFile;

TEST_F(CommandLineTest, OffersTheDrivesTheWizardOffersAndSaysWhyOthersAreLeftOut) {
    ASSERT_EQ(Run({"drives", "--all", "--json"}), kSucceeded);
    EXPECT_NE(out.str().find("{\"root\": \"F:\\\\\", \"code\": \"system-partition\""), std::string::npos);
    ASSERT_EQ(Run({"drives"}), kSucceeded);
    EXPECT_EQ(out.str().find("F:"), std::string::npos);
}

// Sizes: IEC units in English, the window's own words in Hungarian, and the decimal
// separator of the numeric locale whatever the language.
TEST_F(CommandLineTest, SizesAreWrittenInTheLanguagesUnitsWithTheNumericLocalesSeparator) {
    ASSERT_EQ(Run({"drives"}), kSucceeded);
    EXPECT_EQ(out.str(), "E:\\  Data  70.00 GiB / 200.00 GiB\n");
    decimalSeparator = ",";
    ASSERT_EQ(Run({"drives"}), kSucceeded);
    EXPECT_EQ(out.str(), "E:\\  Data  70,00 GiB / 200,00 GiB\n");
    language = Language::Hungarian;
    ASSERT_EQ(Run({"drives"}), kSucceeded);
    EXPECT_EQ(out.str(), "E:\\  Data  70,00 GB / 200,00 GB\n");
    decimalSeparator.clear();
    ASSERT_EQ(Run({"size", "personal"}), kSucceeded);
    EXPECT_EQ(out.str(), "Personal  1000 bájt, 0 mappa, 1 fájl\nösszesen  1000 bájt\n");  // the window's size words
}

TEST_F(CommandLineTest, SizesLeaveNestedFoldersOutAndNamesMatchInAnyCaseOrById) {
    ASSERT_EQ(Run({"size", "personal", music->id.ToString(), "--json"}), kSucceeded);
    EXPECT_NE(out.str().find("\"name\": \"Personal\", \"key\": \"\", \"id\": \"" + documents->id.ToString() +
                             "\", \"code\": \"ok\", \"bytes\": 1000,"),
              std::string::npos);
    EXPECT_NE(out.str().find("\"code\": \"ok\", \"bytes\": 5000,"), std::string::npos);
    EXPECT_NE(out.str().find("\"total\": 6000}"), std::string::npos);
}

TEST_F(CommandLineTest, UsageErrorsSayWhatIsWrongAndExitWithTwo) {
    EXPECT_EQ(Run({}), kUsageError);
    EXPECT_EQ(Run({"shuffle"}), kUsageError);
    EXPECT_EQ(err.str(), "trovel-cli: unknown command: shuffle\nTry 'trovel-cli --help'\n");
    EXPECT_EQ(Run({"list", "--fast"}), kUsageError);
    EXPECT_EQ(err.str(), "trovel-cli: unknown option: --fast\nTry 'trovel-cli list --help'\n");
    EXPECT_EQ(Run({"size", "Pictures"}), kUsageError);
    EXPECT_EQ(err.str(), "trovel-cli: unknown folder: Pictures\nTry 'trovel-cli size --help'\n");
    EXPECT_EQ(Run({"move", "Personal"}), kUsageError);
    EXPECT_EQ(Run({"move", "Personal", "--to", "E:\\", "--delete"}), kUsageError);
    EXPECT_EQ(Run({"move", "Personal", "--to", "F:\\"}), kUsageError);  // left out
    EXPECT_NE(err.str().find("unknown drive"), std::string::npos);
    EXPECT_TRUE(fake.CallsOf("Redirect").empty());
    EXPECT_EQ(Run({"move", "--help"}), kSucceeded);
    EXPECT_EQ(out.str().rfind("usage: trovel-cli move", 0), 0u);
    EXPECT_EQ(Run({"--help"}), kSucceeded);
}

TEST_F(CommandLineTest, UnderAHungarianLocaleItSpeaksTheWizardsLanguage) {
    language = Language::Hungarian;
    EXPECT_EQ(Run({"size", "Pictures"}), kUsageError);
    EXPECT_EQ(err.str(), "trovel-cli: ismeretlen mappa: Pictures\nBővebben: 'trovel-cli size --help'\n");
    EXPECT_EQ(Run({"restore", "my music"}), kSucceeded) << err.str();
    EXPECT_EQ(out.str(), "My Music: visszahelyezve -> C:\\Users\\al\\Music\n");
}

TEST_F(CommandLineTest, ADryRunSaysWhatWouldBeDoneAndChangesNothing) {
    ASSERT_EQ(Run({"move", "Personal", "--to", "E:", "--copy", "--delete", "--dry-run", "--json"}), kSucceeded);
    EXPECT_NE(out.str().find("\"code\": \"would-relocate\""), std::string::npos) << out.str();
    // The run's own checks were asked for, and only them.
    const auto checks = fake.CallsOf("Redirect");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].flags, 0x602u | platform::KF_REDIRECT_CHECK_ONLY);
    EXPECT_TRUE(fake.CallsOf("SetPath").empty());
    EXPECT_EQ(documents->path, "C:\\Users\\al\\Documents");
}

// The same refusals through the dry run and the run: the same words, the same status.
TEST_F(CommandLineTest, ADryRunRefusesExactlyWhereTheRunRefuses) {
    const auto both = [&](std::vector<std::string> args, int status, const std::string& words) {
        args.push_back("--dry-run");
        EXPECT_EQ(Run(args), status) << words;
        const std::string dry = err.str();
        EXPECT_NE(dry.find(words), std::string::npos) << dry;
        args.pop_back();
        EXPECT_EQ(Run(args), status) << words;
        EXPECT_NE(err.str().find(words), std::string::npos) << err.str();
    };
    // Something at the target the run would not overwrite, as the platform's check says.
    documents->redirectResult = platform::kAccessDenied;
    documents->redirectErrorText = "már van más tartalmú elem a célon";
    both({"move", "Personal", "--to", "E:", "--copy"}, kSomeFailed, "már van más tartalmú elem a célon");
    // Another run relocating the folder.
    documents->redirectResult = platform::kBusy;
    documents->redirectErrorText = "Ennek a mappának az áthelyezése már folyamatban van";
    both({"move", "Personal", "--to", "E:", "--copy"}, kSomeFailed, "már folyamatban van");
    // Without content, a destination that is not there.
    documents->redirectResult = platform::kOk;
    documents->redirectErrorText.clear();
    both({"move", "Personal", "--to", "E:"}, kSomeFailed, "the destination folder does not exist");
    // A path the registry cannot take, with the destination there.
    Dir("E:\\Users\\al\\Documents");
    documents->redirectResult = platform::kInvalidArg;
    documents->redirectErrorText = "Ezt az utat a user-dirs.dirs nem tudja pontosan rögzíteni";
    documents->setPathResult = platform::kInvalidArg;
    EXPECT_EQ(Run({"move", "Personal", "--to", "E:", "--dry-run"}), kSomeFailed);
    EXPECT_NE(err.str().find("nem tudja pontosan rögzíteni"), std::string::npos) << err.str();
    EXPECT_EQ(Run({"move", "Personal", "--to", "E:"}), kSomeFailed);
    EXPECT_EQ(documents->path, "C:\\Users\\al\\Documents");
}

TEST_F(CommandLineTest, AFolderAlreadyWhereItWouldGoIsAlreadyThereAndNothingIsCalled) {
    documents->path = "E:\\Users\\al\\Documents";
    for (const bool dry : {false, true}) {
        std::vector<std::string> args = {"move", "Personal", "--to", "e:", "--copy", "--delete"};
        if (dry) args.push_back("--dry-run");
        EXPECT_EQ(Run(args), kSucceeded) << err.str();
        EXPECT_EQ(out.str(), "Personal: already there -> E:\\Users\\al\\Documents\n");
    }
    EXPECT_TRUE(fake.CallsOf("Redirect").empty());
    EXPECT_TRUE(fake.CallsOf("SetPath").empty());
    ASSERT_EQ(Run({"move", "Personal", "--to", "E:", "--json"}), kSucceeded);
    EXPECT_NE(out.str().find("\"code\": \"already-there\""), std::string::npos) << out.str();
    // Nor does it need room there: a full drive does not refuse it.
    fake.volumes[1].space = {10, 200 * GiB, 10};
    EXPECT_EQ(Run({"move", "Personal", "--to", "E:", "--copy"}), kSucceeded) << err.str();
    EXPECT_EQ(out.str(), "Personal: already there -> E:\\Users\\al\\Documents\n");
}

TEST_F(CommandLineTest, MoveFollowsTheRunsRulesFolderByFolder) {
    ASSERT_EQ(Run({"move", "Personal", "My Music", "--to", "E:\\", "--copy"}), kSucceeded) << err.str();
    const auto redirects = fake.CallsOf("Redirect");
    ASSERT_EQ(redirects.size(), 2u);
    EXPECT_EQ(redirects[0].flags, 0x202u);
    EXPECT_EQ(redirects[0].text, "E:\\Users\\al\\Documents");
    EXPECT_EQ(redirects[0].exclusions, (std::vector<platform::KnownFolderId>{music->id}));
    EXPECT_EQ(redirects[1].text, "E:\\Users\\al\\Music");  // from the default path
    EXPECT_EQ(out.str(), "Personal: relocated with its content -> E:\\Users\\al\\Documents\n"
                         "My Music: relocated with its content -> E:\\Users\\al\\Music\n");
    // Without --copy only the pointer moves, and only to a folder that exists.
    documents->path = "C:\\Users\\al\\Documents";
    EXPECT_EQ(Run({"move", "Personal", "--to", "E:\\"}), kSomeFailed);
    EXPECT_EQ(out.str(), "Personal: skipped: the destination folder does not exist\n");
    EXPECT_EQ(err.str(), "Personal: skipped: the destination folder does not exist\n");  // a refusal, where scripts look
    Dir("E:\\Users\\al\\Documents");
    EXPECT_EQ(Run({"move", "Personal", "--to", "E:\\"}), kSucceeded);
    EXPECT_EQ(fake.CallsOf("SetPath").back().flags, 0x2000u);
}

TEST_F(CommandLineTest, MoveTellsTheRunWhatTheDriveIsNowSoALaterSwapIsRefused) {
    fake.driveIdentities["E:\\"] = {0x802, 91};
    ASSERT_EQ(Run({"move", "Personal", "--to", "E:", "--copy"}), kSucceeded) << err.str();
    ASSERT_EQ(fake.redirectHooks.size(), 1u);
    EXPECT_EQ(fake.redirectHooks[0].driveRoot, "E:\\");
    EXPECT_EQ(fake.redirectHooks[0].driveDevice, 0x802u);
    EXPECT_EQ(fake.redirectHooks[0].driveMountId, 91u);
}

TEST_F(CommandLineTest, AFailureOrTooLittleRoomIsExitOne) {
    music->redirectResult = platform::kAccessDenied;
    music->redirectErrorText = "denied";
    EXPECT_EQ(Run({"move", "Personal", "My Music", "--to", "E:\\", "--copy", "--json"}), kSomeFailed);
    EXPECT_NE(out.str().find("\"destination\": \"E:\\\\Users\\\\al\\\\Music\", \"code\": \"refused\", \"message\": \"denied\"}"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(err.str(), "My Music: denied\n");  // the reason on the error stream as well
    documents->path = "C:\\Users\\al\\Documents";  // moved by the run above; 1000 bytes there
    fake.volumes[1].space = {1000, 2000, 1000};  // the wizard's fit rule: at least 100 MiB, but never more than is free
    const std::size_t before = fake.CallsOf("Redirect").size();
    EXPECT_EQ(Run({"move", "Personal", "--to", "E:\\", "--copy"}), kSomeFailed);
    EXPECT_NE(err.str().find("does not fit"), std::string::npos);
    EXPECT_EQ(fake.CallsOf("Redirect").size(), before);
}

TEST_F(CommandLineTest, AnInterruptedMoveRollsBackTheFolderInProgressAndSkipsTheRest) {
    documents->redirectReportsProgress = true;
    interrupted = true;  // as SIGTERM leaves it
    stopSignal = 15;
    EXPECT_EQ(Run({"move", "Personal", "My Music", "--to", "E:\\", "--copy"}), 128 + 15);
    EXPECT_TRUE(fake.CallsOf("Redirect").empty());
    EXPECT_EQ(out.str(), "Personal: skipped: stopped\nMy Music: skipped: stopped\n");
}

TEST_F(CommandLineTest, RestorePutsFoldersBackAtTheirDefaultPaths) {
    EXPECT_EQ(Run({"restore", "my music"}), kSucceeded) << err.str();
    EXPECT_EQ(music->path, "C:\\Users\\al\\Music");
    EXPECT_EQ(fake.CallsOf("SetPath").back().flags, 0u);
    EXPECT_EQ(out.str(), "My Music: restored -> C:\\Users\\al\\Music\n");
    EXPECT_EQ(Run({"restore", "Windows"}), kSomeFailed);  // not relocatable: nothing done
    EXPECT_EQ(err.str(), "Windows: denied by policy\n");
}

TEST_F(CommandLineTest, ListMarksAFolderWhoseRelocationWasKilledHalfway) {
    fake.interrupted = {music->id};
    ASSERT_EQ(Run({"list"}), kSucceeded);
    EXPECT_NE(out.str().find("My Music  " + music->id.ToString() + "  per-user  relocatable  [interrupted]\n"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(out.str().find("Personal  " + documents->id.ToString() + "  per-user  relocatable  ["), std::string::npos);
    ASSERT_EQ(Run({"list", "--json"}), kSucceeded);
    EXPECT_NE(out.str().find("\"defaultPath\": \"C:\\\\Users\\\\al\\\\Music\", \"interrupted\": true"), std::string::npos)
        << out.str();
    language = Language::Hungarian;
    ASSERT_EQ(Run({"list"}), kSucceeded);
    EXPECT_NE(out.str().find("[megszakadt]"), std::string::npos);
}

TEST_F(CommandLineTest, RecoverWithoutNamesSettlesEveryInterruptedFolderAndReportsEach) {
    fake.interrupted = {music->id};
    ASSERT_EQ(Run({"recover"}), kSucceeded);
    EXPECT_EQ(out.str(), "My Music: undone; the folder is where it was (A megszakadt áthelyezés visszavonva.)\n");
    ASSERT_EQ(fake.CallsOf("RecoverRedirect").size(), 1u);
    EXPECT_EQ(fake.CallsOf("RecoverRedirect")[0].id, music->id);
    // Nothing is left: a second run has nothing to do and calls nothing.
    ASSERT_EQ(Run({"recover", "--json"}), kSucceeded);
    EXPECT_EQ(out.str(), "[]\n");
    EXPECT_EQ(fake.CallsOf("RecoverRedirect").size(), 1u);
    ASSERT_EQ(Run({"recover"}), kSucceeded);
    EXPECT_EQ(out.str(), "no interrupted relocation\n");
}

TEST_F(CommandLineTest, RecoverExitsOneWhenAJournalIsSetAsideOrTheFolderIsBusyAndTwoOnAnUnknownFolder) {
    fake.interrupted = {music->id};
    fake.recoverResult = platform::kFail;
    fake.recoverOutcome = platform::RecoveryOutcome::SetAside;
    fake.recoverReport = "A naplót félretettem, semmihez sem nyúltam.";
    EXPECT_EQ(Run({"recover", "--json"}), kSomeFailed);
    EXPECT_NE(out.str().find("\"code\": \"set-aside\""), std::string::npos) << out.str();
    EXPECT_EQ(err.str(), "My Music: A naplót félretettem, semmihez sem nyúltam.\n");
    fake.recoverResult = platform::kBusy;
    fake.recoverOutcome = platform::RecoveryOutcome::Busy;
    fake.recoverReport = "Ennek a mappának az áthelyezése már folyamatban van.";
    language = Language::Hungarian;
    EXPECT_EQ(Run({"recover", "my music"}), kSomeFailed);
    EXPECT_EQ(out.str(), "My Music: egy másik futás éppen áthelyezi ezt a mappát "
                         "(Ennek a mappának az áthelyezése már folyamatban van.)\n");
    const std::size_t calls = fake.CallsOf("RecoverRedirect").size();
    EXPECT_EQ(Run({"recover", "my music", "NoSuchFolder"}), kUsageError);
    EXPECT_EQ(err.str(), "trovel-cli: ismeretlen mappa: NoSuchFolder\nBővebben: 'trovel-cli recover --help'\n");
    EXPECT_EQ(fake.CallsOf("RecoverRedirect").size(), calls);  // nothing was done
}

}  // namespace
}  // namespace trovel::cli
