// The command line on the fake registry: golden outputs, the wizard's rules per command,
// usage errors and exit statuses.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>

#include "cli/command_line.h"
#include "platform/fake/fake_platform.h"
#include "platform/known_folder_ids.h"

namespace trovel::cli {
namespace {

using platform::fake::FakeFile;
using platform::fake::FakeFolder;

constexpr std::int64_t GiB = 1024LL * 1024 * 1024;

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeFolder& windows = fake.AddFolder("Windows", "C:\\Windows");
        windows.id = platform::FOLDERID_Windows;
        windows.category = platform::KF_CATEGORY_FIXED;
        windows.capability = 0x200;
        documents = &fake.AddFolder("Personal", "C:\\Users\\al\\Documents", "C:\\Users\\al\\Documents");
        music = &fake.AddFolder("My Music", "C:\\Users\\al\\Documents\\Music", "C:\\Users\\al\\Music");
        fake.volumes.push_back({"C:\\", platform::DriveType::Fixed, "System", true, {50 * GiB, 100 * GiB, 50 * GiB}, true});
        fake.volumes.push_back({"E:\\", platform::DriveType::Fixed, "Data", true, {70 * GiB, 200 * GiB, 70 * GiB}, true});
        fake.volumes.push_back({"F:\\", platform::DriveType::Fixed, "Boot", true, {1 * GiB, 2 * GiB, 1 * GiB}, true});
        fake.refusals["F:\\"] = platform::TargetRefusal::SystemPartition;
        Dir("C:\\Users\\al\\Documents");
        File("C:\\Users\\al\\Documents\\letter.txt", 1000);
        Dir("C:\\Users\\al\\Documents\\Music");
        File("C:\\Users\\al\\Documents\\Music\\song.mp3", 5000);
    }
    void Dir(const std::string& path) { fake.files[path] = FakeFile{platform::kAttributeDirectory, 0}; }
    void File(const std::string& path, std::int64_t size) { fake.files[path] = FakeFile{platform::kAttributeNormal, size}; }
    int Run(std::vector<std::string> args) {
        out.str({});
        err.str({});
        Console console{out, err};
        console.language = language;
        console.interrupted = &interrupted;
        return RunCommandLine(args, fake, console);
    }

    platform::fake::FakePlatform fake;
    FakeFolder* documents = nullptr;
    FakeFolder* music = nullptr;
    std::ostringstream out, err;
    std::atomic<bool> interrupted{false};
    Language language = Language::English;
};

TEST_F(CommandLineTest, OffersTheDrivesTheWizardOffersAndSaysWhyOthersAreLeftOut) {
    ASSERT_EQ(Run({"drives", "--all", "--json"}), kSucceeded);
    EXPECT_NE(out.str().find("{\"root\": \"F:\\\\\", \"code\": \"system-partition\""), std::string::npos);
    ASSERT_EQ(Run({"drives"}), kSucceeded);
    EXPECT_EQ(out.str().find("F:"), std::string::npos);
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
    EXPECT_EQ(err.str(), "trovel-cli: unknown command: shuffle\n");
    EXPECT_EQ(Run({"list", "--fast"}), kUsageError);
    EXPECT_EQ(err.str(), "trovel-cli: unknown option: --fast\n");
    EXPECT_EQ(Run({"size", "Pictures"}), kUsageError);
    EXPECT_EQ(err.str(), "trovel-cli: unknown folder: Pictures\n");
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
    EXPECT_EQ(err.str(), "trovel-cli: ismeretlen mappa: Pictures\n");
    EXPECT_EQ(Run({"restore", "my music"}), kSucceeded);
    EXPECT_EQ(out.str(), "My Music: visszahelyezve -> C:\\Users\\al\\Music\n");
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
    interrupted = true;  // as Ctrl-C leaves it
    EXPECT_EQ(Run({"move", "Personal", "My Music", "--to", "E:\\", "--copy"}), kSomeFailed);
    EXPECT_TRUE(fake.CallsOf("Redirect").empty());
    EXPECT_EQ(out.str(), "Personal: skipped: stopped\nMy Music: skipped: stopped\n");
}

TEST_F(CommandLineTest, RestorePutsFoldersBackAtTheirDefaultPaths) {
    EXPECT_EQ(Run({"restore", "my music"}), kSucceeded);
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
    EXPECT_EQ(err.str(), "trovel-cli: ismeretlen mappa: NoSuchFolder\n");
    EXPECT_EQ(fake.CallsOf("RecoverRedirect").size(), calls);  // nothing was done
}

}  // namespace
}  // namespace trovel::cli
