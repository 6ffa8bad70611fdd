// The --json output of every command on a Linux-like fake registry: one golden per schema,
// each checked to be strict JSON, and a path that is not UTF-8 carried losslessly.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>

#include "test_language.h"
#include "cli/command_line.h"
#include "cli/json.h"
#include "json_reader.h"
#include "platform/fake/fake_platform.h"
#include "platform/known_folder_ids.h"

namespace trovel::cli {
namespace {

using platform::fake::FakeFile;
using platform::fake::FakeFolder;
using testing::JsonReader;
using testing::JsonValue;

constexpr std::int64_t GiB = 1024LL * 1024 * 1024;
// "Música" as a Latin-1 file system spelled it: 0xFA is not UTF-8.
const std::string kLatin1Music = "/home/al/M\xfasica";

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

class JsonOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::SpeakForTests("C");  // English, as `language` starts
        fake.style = platform::PathStyle::Posix;
        fake.naming = platform::FolderNaming::Desktop;
        FakeFolder& system = fake.AddFolder("Windows", "/usr");
        system.id = platform::FOLDERID_Windows;
        system.category = platform::KF_CATEGORY_FIXED;
        system.capability = platform::KF_REDIRECTION_CAPABILITIES_DENY_POLICY;
        documents = &fake.AddFolder("Personal", "/home/al/Dokumentumok");
        documents->definition.relativePath = "DOCUMENTS";
        music = &fake.AddFolder("My Music", kLatin1Music, "/home/al/Zenék");
        music->definition.relativePath = "MUSIC";
        fake.displayNames[{documents->id, "C"}] = "Documents";
        fake.displayNames[{documents->id, "hu"}] = "Dokumentumok";
        fake.displayNames[{music->id, "C"}] = "Music";
        fake.displayNames[{music->id, "hu"}] = "Zene";
        fake.volumes.push_back({"/", platform::DriveType::Fixed, "System", true, {50 * GiB, 100 * GiB, 50 * GiB}, true});
        fake.volumes.push_back({"/mnt/data/", platform::DriveType::Fixed, "Data", true, {70 * GiB, 200 * GiB, 70 * GiB}, true});
        fake.volumes.push_back({"/boot/", platform::DriveType::Fixed, "", true, {1 * GiB, 2 * GiB, 1 * GiB}, true});
        fake.refusals["/boot/"] = platform::TargetRefusal::SystemPartition;
        fake.files["/home/al/Dokumentumok"] = FakeFile{platform::kAttributeDirectory, 0};
        fake.files["/home/al/Dokumentumok/letter.txt"] = FakeFile{platform::kAttributeNormal, 1000};
        fake.files[kLatin1Music] = FakeFile{platform::kAttributeDirectory, 0};
        fake.files[kLatin1Music + "/song.mp3"] = FakeFile{platform::kAttributeNormal, 5000};
    }
    // Runs the command; its output is in `out`.
    void RunText(std::vector<std::string> args, int expected = kSucceeded) {
        out.str({});
        err.str({});
        Console console{out, err};
        console.language = language;
        testing_support::SpeakForTests(language == Language::Hungarian ? "hu_HU.UTF-8" : "C");
        console.interrupted = &interrupted;
        EXPECT_EQ(RunCommandLine(args, fake, console), expected) << err.str();
    }
    // Runs the command and reads its output back as strict JSON.
    JsonValue Run(std::vector<std::string> args, int expected = kSucceeded) {
        RunText(std::move(args), expected);
        std::string error;
        const auto value = JsonReader::Parse(out.str(), error);
        EXPECT_TRUE(value) << error << "\n" << out.str();
        return value.value_or(JsonValue{});
    }
    std::string Id(const FakeFolder* folder) const { return folder->id.ToString(); }

    platform::fake::FakePlatform fake;
    FakeFolder* documents = nullptr;
    FakeFolder* music = nullptr;
    std::ostringstream out, err;
    std::atomic<bool> interrupted{false};
    Language language = Language::English;
};

TEST_F(JsonOutputTest, ListNamesFoldersAsTheDesktopDoesAndCarriesABadPathLosslessly) {
    const JsonValue list = Run({"list", "--json"});
    EXPECT_EQ(out.str(),
              "[\n"
              "  {\"name\": \"Windows\", \"key\": \"\", \"id\": \"" + platform::FOLDERID_Windows.ToString() +
                  "\", \"category\": \"fixed\", \"relocatable\": false, \"code\": \"denied-by-policy\", \"message\": "
                  "\"denied by policy\", \"path\": \"/usr\", \"defaultPath\": \"/usr\", \"interrupted\": false, \"nested\": [], \"leftBehind\": \"\"},\n"
              "  {\"name\": \"Documents\", \"key\": \"DOCUMENTS\", \"id\": \"" + Id(documents) +
                  "\", \"category\": \"per-user\", \"relocatable\": true, \"code\": \"ok\", \"message\": \"\", \"path\": "
                  "\"/home/al/Dokumentumok\", \"defaultPath\": \"/home/al/Dokumentumok\", \"interrupted\": false, \"nested\": [], \"leftBehind\": \"\"},\n"
              "  {\"name\": \"Music\", \"key\": \"MUSIC\", \"id\": \"" + Id(music) +
                  "\", \"category\": \"per-user\", \"relocatable\": true, \"code\": \"ok\", \"message\": \"\", \"path\": "
                  "\"/home/al/M\\ufffdsica\", \"path_bytes\": \"2f686f6d652f616c2f4dfa73696361\", \"defaultPath\": "
                  "\"/home/al/Zenék\", \"interrupted\": false, \"nested\": [], \"leftBehind\": \"\"}\n"
              "]\n");
    // What a script does with it: the bytes give back the path exactly.
    ASSERT_EQ(list.items.size(), 3u);
    EXPECT_EQ(list[2]["path"].text, "/home/al/M\xEF\xBF\xBDsica");
    EXPECT_EQ(FromHex(list[2]["path_bytes"].text), kLatin1Music);
    EXPECT_EQ(list[1].Find("path_bytes"), nullptr);  // only where the text is not the path
    // Under Hungarian the desktop's Hungarian names, keys unchanged.
    language = Language::Hungarian;
    const JsonValue hungarian = Run({"list", "--json"});
    EXPECT_EQ(hungarian[2]["name"].text, "Zene");
    EXPECT_EQ(hungarian[2]["key"].text, "MUSIC");
    EXPECT_EQ(hungarian[0]["code"].text, "denied-by-policy");  // the code stays English
    EXPECT_EQ(hungarian[0]["message"].text, "házirend tiltja");
}

TEST_F(JsonOutputTest, DrivesGiveTheOfferedOnesAndACodeForEachLeftOut) {
    Run({"drives", "--all", "--json"});
    EXPECT_EQ(out.str(), "{\"drives\": [\n"
                         "  {\"root\": \"/mnt/data/\", \"label\": \"Data\", \"free\": 75161927680, \"total\": 214748364800, \"needsAdministrator\": false}\n"
                         "], \"leftOut\": [\n"
                         "  {\"root\": \"/boot/\", \"code\": \"system-partition\", \"message\": \"the boot partition\"}\n"
                         "]}\n");
}

TEST_F(JsonOutputTest, SizeGivesEachFolderAndATotalAndACodeForOneNotMeasured) {
    const FakeFolder& trash = fake.AddFolder("RecycleBinFolder", "");  // no file-system path
    Run({"size", "documents", "music", "RecycleBinFolder", "--json"}, kSomeFailed);
    EXPECT_EQ(out.str(), "{\"folders\": [\n"
                         "  {\"name\": \"Documents\", \"key\": \"DOCUMENTS\", \"id\": \"" + Id(documents) +
                             "\", \"code\": \"ok\", \"bytes\": 1000, \"folders\": 0, \"files\": 1},\n"
                         "  {\"name\": \"Music\", \"key\": \"MUSIC\", \"id\": \"" + Id(music) +
                             "\", \"code\": \"ok\", \"bytes\": 5000, \"folders\": 0, \"files\": 1},\n"
                         "  {\"name\": \"RecycleBinFolder\", \"key\": \"\", \"id\": \"" + Id(&trash) +
                             "\", \"code\": \"not-relocatable\", \"message\": \"not relocatable\"}\n"
                         "], \"total\": 6000}\n");
}

TEST_F(JsonOutputTest, ADryRunGivesWhereEachFolderWouldGoInPlainWords) {
    Run({"move", "MUSIC", "--to", "/mnt/data", "--copy", "--dry-run", "--json"});
    EXPECT_EQ(out.str(), "[\n  {\"name\": \"Music\", \"key\": \"MUSIC\", \"id\": \"" + Id(music) +
                             "\", \"destination\": \"/mnt/data/home/al/Zenék\", \"code\": \"would-relocate\", \"message\": "
                             "\"would relocate\", \"operation\": \"copy-content\", \"exclusions\": [], \"bytes\": 5000}\n]\n");
    // People read the operation in words, not as the shell's call.
    RunText({"move", "MUSIC", "--to", "/mnt/data", "--copy", "--delete", "--dry-run"});
    EXPECT_EQ(out.str().find("Redirect"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("would relocate Music -> /mnt/data/home/al/Zenék  (move the content"), std::string::npos)
        << out.str();
    // Only the run's checks were asked for: nothing moved.
    for (const auto& call : fake.CallsOf("Redirect")) EXPECT_NE(call.flags & platform::KF_REDIRECT_CHECK_ONLY, 0u);
    EXPECT_EQ(music->path, kLatin1Music);
}

TEST_F(JsonOutputTest, MoveGivesACodeAndTheDestinationForEveryOutcome) {
    music->redirectResult = platform::kAlreadyExists;
    music->redirectErrorText = "A célhelyen már van más tartalmú elem ugyanazon a néven: x";
    const JsonValue moved = Run({"move", "documents", "music", "--to", "/mnt/data/", "--copy", "--json"}, kSomeFailed);
    EXPECT_EQ(out.str(), "[\n"
                         "  {\"name\": \"Documents\", \"key\": \"DOCUMENTS\", \"id\": \"" + Id(documents) +
                             "\", \"destination\": \"/mnt/data/home/al/Dokumentumok\", \"code\": \"relocated\", \"message\": "
                             "\"relocated with its content\"},\n"
                         "  {\"name\": \"Music\", \"key\": \"MUSIC\", \"id\": \"" + Id(music) +
                             "\", \"destination\": \"/mnt/data/home/al/Zenék\", \"code\": \"conflict\", \"message\": "
                             "\"A célhelyen már van más tartalmú elem ugyanazon a néven: x\"}\n"
                         "]\n");
    const std::vector<std::pair<platform::HResult, std::string>> codes{
        {platform::kBusy, "locked"}, {platform::kDiskFull, "no-room"}, {platform::kInterruptedRun, "interrupted"},
        {platform::kAccessDenied, "refused"}, {platform::kFail, "failed"}, {platform::kCancelled, "cancelled"}};
    music->redirectErrorText.clear();
    for (const auto& [result, code] : codes) {
        music->redirectResult = result;
        // A stopped copy says so in its status too: 128 plus the signal, Ctrl-C's when none is known.
        const JsonValue one =
            Run({"move", "music", "--to", "/mnt/data/", "--copy", "--json"}, result == platform::kCancelled ? 130 : kSomeFailed);
        EXPECT_EQ(one[0]["code"].text, code);
        EXPECT_EQ(one[0]["destination"].text, "/mnt/data/home/al/Zenék") << code;
        EXPECT_FALSE(one[0]["message"].text.empty()) << code;
    }
    // Without --copy to a folder that is not there: skipped, with a code of its own.
    const JsonValue skipped = Run({"move", "music", "--to", "/mnt/data/", "--json"}, kSomeFailed);
    EXPECT_EQ(skipped[0]["code"].text, "no-destination-folder");
    EXPECT_EQ(skipped[0]["message"].text, "skipped: the destination folder does not exist");
    // Stopped before the run: every folder not started, each with where it would have gone.
    interrupted = true;
    const JsonValue stopped = Run({"move", "music", "documents", "--to", "/mnt/data/", "--copy", "--json"}, 130);
    EXPECT_EQ(stopped[1]["code"].text, "not-started");
    EXPECT_EQ(stopped[1]["destination"].text, "/mnt/data/home/al/Dokumentumok");
}

TEST_F(JsonOutputTest, MoveRefusedBeforeTheRunStillAnswersInJson) {
    Run({"move", "Windows", "--to", "/mnt/data/", "--json"}, kSomeFailed);
    EXPECT_EQ(out.str(), "[\n  {\"name\": \"Windows\", \"key\": \"\", \"id\": \"" + platform::FOLDERID_Windows.ToString() +
                             "\", \"destination\": \"/mnt/data/usr\", \"code\": \"denied-by-policy\", \"message\": "
                             "\"denied by policy\"}\n]\n");
    fake.volumes[1].space = {1000, 2000, 1000};
    const JsonValue full = Run({"move", "music", "--to", "/mnt/data/", "--copy", "--json"}, kSomeFailed);
    EXPECT_EQ(full[0]["code"].text, "no-room");
    EXPECT_TRUE(fake.CallsOf("Redirect").empty());
}

TEST_F(JsonOutputTest, RestoreGivesTheDefaultPlaceAndACode) {
    Run({"restore", "music", "--json"});
    EXPECT_EQ(out.str(), "[\n  {\"name\": \"Music\", \"key\": \"MUSIC\", \"id\": \"" + Id(music) +
                             "\", \"destination\": \"/home/al/Zenék\", \"code\": \"restored\", \"message\": \"restored\"}\n]\n");
    documents->setPathResult = platform::kAccessDenied;
    const JsonValue failed = Run({"restore", "documents", "--json"}, kSomeFailed);
    EXPECT_EQ(failed[0]["code"].text, "failed");
    EXPECT_EQ(failed[0]["destination"].text, "/home/al/Dokumentumok");
}

TEST_F(JsonOutputTest, RestoreWithContentCallsTheShellsRedirectToTheDefaultPlaceAndSaysWhyNot) {
    music->path = "/mnt/data/home/al/Zenék";
    Run({"restore", "music", "--copy", "--delete", "--json"});
    EXPECT_EQ(out.str(), "[\n  {\"name\": \"Music\", \"key\": \"MUSIC\", \"id\": \"" + Id(music) +
                             "\", \"destination\": \"/home/al/Zenék\", \"code\": \"restored\", \"message\": "
                             "\"restored with its content\", \"operation\": \"move-content\"}\n]\n");
    ASSERT_EQ(fake.CallsOf("Redirect").size(), 1u);
    EXPECT_EQ(fake.CallsOf("Redirect")[0].flags, platform::kRedirectMoveFlags);  // 0x602
    EXPECT_EQ(fake.CallsOf("Redirect")[0].text, "/home/al/Zenék");
    EXPECT_TRUE(fake.CallsOf("SetPath").empty());
    // Already there: nothing is called.
    const JsonValue there = Run({"restore", "music", "--copy", "--json"});
    EXPECT_EQ(there[0]["code"].text, "already-there");
    EXPECT_EQ(there[0]["operation"].text, "copy-content");
    EXPECT_EQ(fake.CallsOf("Redirect").size(), 1u);

    // The dry run asks the same call only to check, and says what the refusal was.
    music->path = "/mnt/data/home/al/Zenék";
    music->redirectResult = platform::kAlreadyExists;
    music->redirectErrorText = "A célhelyen már van más tartalmú elem ugyanazon a néven: /home/al/Zenék/a.mp3";
    for (const char* dry : {"--dry-run", ""}) {
        std::vector<std::string> args{"restore", "music", "--copy", "--json"};
        if (*dry) args.push_back(dry);
        const JsonValue refused = Run(args, kSomeFailed);
        EXPECT_EQ(refused[0]["code"].text, "conflict");
        EXPECT_EQ(refused[0]["message"].text, music->redirectErrorText);
        EXPECT_EQ(fake.CallsOf("Redirect").back().flags,
                  platform::kRedirectCopyFlags | (*dry ? platform::KF_REDIRECT_CHECK_ONLY : 0u));
    }
    EXPECT_EQ(music->path, "/mnt/data/home/al/Zenék");
    music->redirectResult = platform::kPathNotFound;
    EXPECT_EQ(Run({"restore", "music", "--copy", "--json"}, kSomeFailed)[0]["code"].text, "unreachable");
    music->redirectResult = platform::kDiskFull;
    music->redirectErrorText.clear();
    const JsonValue full = Run({"restore", "music", "--copy", "--json"}, kSomeFailed);
    EXPECT_EQ(full[0]["code"].text, "no-room");
    EXPECT_EQ(full[0]["message"].text, "the content does not fit in the home folder");
    music->redirectResult = platform::kOk;
    EXPECT_EQ(Run({"restore", "music", "--dry-run", "--json"})[0]["code"].text, "would-restore");
    RunText({"restore", "music", "--delete"}, kUsageError);  // --delete needs --copy
}

TEST_F(JsonOutputTest, HistoryGivesEveryRecordNewestLastAndListTheContentLeftBehind) {
    platform::RelocationRecord moved;
    moved.time = "2026-12-01T10:00:00Z";
    moved.key = "MUSIC";
    moved.name = "My Music";
    moved.operation = "move";
    moved.from = "/home/al/Zenék";
    moved.to = "/mnt/data/home/al/Zenék";
    moved.content = true;
    moved.files = 2;
    moved.bytes = 5000;
    moved.outcome = "done";
    moved.code = "ok";
    moved.drive = "/mnt/data";
    platform::RelocationRecord restored = moved;
    restored.time = "2026-12-02T10:00:00Z";
    restored.operation = "restore";
    restored.from = moved.to;
    restored.to = moved.from;
    restored.content = false;
    restored.files = restored.bytes = 0;
    restored.left = {moved.to};
    restored.drive = "";
    platform::RelocationRecord other = moved;
    other.key = "DOCUMENTS";
    other.name = "Personal";
    fake.history = {moved, other, restored};
    Run({"history", "music", "--json"});
    EXPECT_EQ(out.str(),
              "[\n"
              "  {\"time\": \"2026-12-01T10:00:00Z\", \"name\": \"Music\", \"key\": \"MUSIC\", \"operation\": \"move\", "
              "\"from\": \"/home/al/Zenék\", \"to\": \"/mnt/data/home/al/Zenék\", \"content\": true, \"files\": 2, "
              "\"bytes\": 5000, \"outcome\": \"done\", \"code\": \"ok\", \"left\": [], \"drive\": \"/mnt/data\"},\n"
              "  {\"time\": \"2026-12-02T10:00:00Z\", \"name\": \"Music\", \"key\": \"MUSIC\", \"operation\": \"restore\", "
              "\"from\": \"/mnt/data/home/al/Zenék\", \"to\": \"/home/al/Zenék\", \"content\": false, \"files\": 0, "
              "\"bytes\": 0, \"outcome\": \"done\", \"code\": \"ok\", \"left\": [\"/mnt/data/home/al/Zenék\"], \"drive\": \"\"}\n"
              "]\n");
    EXPECT_EQ(Run({"history", "--json"}).items.size(), 3u);
    // The content left behind shows in list while its place is there.
    music->path = "/home/al/Zenék";
    EXPECT_EQ(Run({"list", "--json"})[2]["leftBehind"].text, "");
    fake.files["/mnt/data/home/al/Zenék"] = FakeFile{platform::kAttributeDirectory, 0};
    EXPECT_EQ(Run({"list", "--json"})[2]["leftBehind"].text, "/mnt/data/home/al/Zenék");
    EXPECT_EQ(Run({"list", "--json"})[1]["leftBehind"].text, "");
    // A later move took it along: nothing is left behind any more.
    platform::RelocationRecord again = moved;
    again.time = "2026-12-03T10:00:00Z";
    fake.history.push_back(again);
    EXPECT_EQ(Run({"list", "--json"})[2]["leftBehind"].text, "");
}

TEST_F(JsonOutputTest, RecoverGivesEachFoldersOutcomeAsACode) {
    fake.interrupted = {music->id};
    fake.recoverOutcome = platform::RecoveryOutcome::Finished;
    fake.recoverReport = "finished";
    Run({"recover", "--json"});
    EXPECT_EQ(out.str(), "[\n  {\"name\": \"Music\", \"key\": \"MUSIC\", \"id\": \"" + Id(music) +
                             "\", \"code\": \"finished\", \"message\": \"finished\"}\n]\n");
    fake.interrupted = {music->id};
    fake.recoverResult = platform::kBusy;
    fake.recoverOutcome = platform::RecoveryOutcome::Busy;
    const JsonValue busy = Run({"recover", "--json"}, kSomeFailed);
    EXPECT_EQ(busy[0]["code"].text, "locked");
}

TEST_F(JsonOutputTest, WindowsKeepsItsCanonicalNamesAndNoKeys) {
    fake.naming = platform::FolderNaming::Canonical;
    const JsonValue list = Run({"list", "--json"});
    EXPECT_EQ(list[2]["name"].text, "My Music");
    EXPECT_EQ(list[2]["key"].text, "");
    RunText({"move", "my music", "--to", "/mnt/data", "--copy", "--dry-run"});
    EXPECT_NE(out.str().find("(Redirect 0x202"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace trovel::cli
