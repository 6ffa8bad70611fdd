// The record of relocations: lines written whole and read back exactly, and a file or a line
// that is not this user's own record steers nothing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/linux/relocation_history.h"
#include "scratch_home.h"

namespace trovel::platform::linux_desktop {
namespace {

RelocationRecord Sample() {
    RelocationRecord record;
    record.time = UtcTimestamp(1796869800);
    record.key = "MUSIC";
    record.name = "My Music";
    record.operation = "move";
    record.from = "/home/al/Zenék";
    record.to = "/mnt/data/home/al/Ze\"n\\ék\n";
    record.content = true;
    record.files = 3;
    record.bytes = 18446744073709551615u;
    record.outcome = "done";
    record.code = "ok";
    record.left = {"/home/al/Zenék/new.txt"};
    record.drive = "/mnt/data";
    record.made = {"/mnt/data/home", "/mnt/data/home/al"};
    return record;
}

TEST(RelocationRecordTest, TheLastDoneRelocationOfAFolderIsFoundByItsKeyOrElseItsName) {
    RelocationRecord moved = Sample(), restored = Sample(), refused = Sample(), other = Sample();
    restored.operation = "restore";
    refused.outcome = "refused";
    other.key = "PICTURES";
    other.name = "My Pictures";
    const std::vector<RelocationRecord> records = {moved, restored, refused, other};
    // A refusal changed nothing: the restore before it is the last thing done to Music.
    EXPECT_EQ(LastDone(records, "MUSIC", "My Music"), &records[1]);
    EXPECT_EQ(LastDone(records, "PICTURES", "My Music"), &records[3]);  // the key decides
    EXPECT_EQ(LastDone(records, "", "My Pictures"), &records[3]);       // no key: the name does
    EXPECT_EQ(LastDone(records, "VIDEOS", "My Video"), nullptr);
    EXPECT_EQ(LastDone({refused}, "MUSIC", "My Music"), nullptr);
}

TEST(RelocationRecordTest, ALineReadsBackExactlyAndTheTimeIsUtc) {
    EXPECT_EQ(UtcTimestamp(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(UtcTimestamp(1796869800), "2026-12-10T02:30:00Z");
    EXPECT_EQ(UtcTimestamp(951782400), "2000-02-29T00:00:00Z");
    const std::string line = FormatRecord(Sample());
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const auto back = ParseRecord(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(FormatRecord(*back), line);
    EXPECT_EQ(back->to, Sample().to);
    EXPECT_EQ(back->bytes, Sample().bytes);
    EXPECT_EQ(back->made, Sample().made);
}

TEST(RelocationRecordTest, ALineThatIsNotExactlyARecordIsDropped) {
    const std::string good = FormatRecord(Sample());
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string line = good;
        const auto at = line.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return line.replace(at, from.size(), to);
    };
    for (const std::string& bad : {
             good.substr(0, good.size() - 1),                          // cut short
             replaced("\"operation\":\"move\"", "\"operation\":\"delete\""),
             replaced("\"outcome\":\"done\"", "\"outcome\":\"maybe\""),
             replaced("\"from\":\"/home", "\"from\":\"home"),        // relative
             replaced("\"/mnt/data/home/al\"]", "\"mnt\"]"),           // a relative folder made
             replaced("\"content\":true", "\"content\":\"yes\""),
             replaced("\"files\":3", "\"files\":-3"),
             replaced("\"time\":\"2026-12-10T02:30:00Z\"", "\"time\":\"yesterday\""),
             replaced("\"key\":\"MUSIC\"", "\"key\":\"\""),
             replaced("}", ",\"extra\":1}"),
             replaced("\"code\":\"ok\"", "\"code\":\"ok\",\"code\":\"ok\""),
             good + "x",
             std::string("[]"),
         })
        EXPECT_FALSE(ParseRecord(bad)) << bad;
}

class HistoryFileTest : public ::testing::Test {
protected:
    std::string File() const { return HistoryFile(state.path()); }
    testing::TempDir state;
};

TEST_F(HistoryFileTest, LinesAreAppendedPrivatelyAndReadBackOldestFirstACutShortLastLineDropped) {
    RelocationRecord first = Sample(), second = Sample();
    second.operation = "restore";
    ASSERT_EQ(AppendHistory(state.path(), first), 0);
    ASSERT_EQ(AppendHistory(state.path(), second), 0);
    struct stat info {};
    ASSERT_EQ(::stat(File().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    { std::ofstream(File(), std::ios::app) << "not a record\n" << FormatRecord(first).substr(0, 40); }
    const auto records = ReadHistory(state.path(), ::geteuid());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].operation, "move");
    EXPECT_EQ(records[1].operation, "restore");
}

TEST_F(HistoryFileTest, AFileOthersMayWriteOrOwnOrALinkIsNotReadAndALinkIsNotWritten) {
    ASSERT_EQ(AppendHistory(state.path(), Sample()), 0);
    ASSERT_EQ(ReadHistory(state.path(), ::geteuid()).size(), 1u);
    ::chmod(File().c_str(), 0620);
    EXPECT_TRUE(ReadHistory(state.path(), ::geteuid()).empty());
    ::chmod(File().c_str(), 0600);
    EXPECT_TRUE(ReadHistory(state.path(), ::geteuid() + 1).empty());  // someone else's
    // A link put in its place is neither followed for reading nor for writing.
    const testing::TempDir elsewhere;
    { std::ofstream(elsewhere / "other") << FormatRecord(Sample()) << "\n"; }
    std::filesystem::remove(File());
    std::filesystem::create_symlink(elsewhere / "other", File());
    EXPECT_TRUE(ReadHistory(state.path(), ::geteuid()).empty());
    EXPECT_NE(AppendHistory(state.path(), Sample()), 0);
    EXPECT_EQ(std::filesystem::file_size(elsewhere / "other"), FormatRecord(Sample()).size() + 1);
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
