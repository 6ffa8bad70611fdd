// One rule tells whether an entry at the target holds what its source twin holds: the plan
// counts it as copied, the verification accepts it, the recovery may remove a twin.
#include <sys/sysmacros.h>

#include <gtest/gtest.h>

#include "mover/same_content.h"
#include "mover_fixture.h"

namespace trovel::testing {
namespace {

using platform::FileInfo;
using platform::FileKind;
using relocation::SameContent;

class SameContentTest : public ::testing::Test {
protected:
    SameContentTest() { EXPECT_EQ(ops.OpenPath(dir.path(), folder, folderInfo), 0); }
    ~SameContentTest() override { ops.Close(folder); }
    FileInfo Info(const std::string& name) {
        FileInfo info;
        EXPECT_EQ(ops.Stat(folder, name, info), 0);
        return info;
    }
    // Whether `b` holds what `a` holds, both in the scratch folder.
    bool Same(const std::string& a, const std::string& b, bool compareData = true) {
        return SameContent(ops, folder, a, Info(a), folder, b, Info(b), compareData);
    }
    platform::linux_desktop::PosixFileOps ops;
    TempDir dir;
    platform::HeldFolder folder;
    FileInfo folderInfo;
};

TEST_F(SameContentTest, RegularFilesCompareSizeAndBytes) {
    dir.Write("a", "the same bytes");
    dir.Write("b", "the same bytes");
    dir.Write("c", "other, same size");
    dir.Write("d", "the same byteZ");
    EXPECT_TRUE(Same("a", "b"));
    EXPECT_FALSE(Same("a", "c"));
    EXPECT_FALSE(Same("a", "d"));
    // Without the bytes, only the size counts: the quick check after a copy.
    EXPECT_TRUE(Same("a", "d", false));
    dir.Write("e", "the same bytes and more");
    EXPECT_FALSE(Same("a", "e", false));
}

TEST_F(SameContentTest, LinksFoldersAndKindsCompareWhatTheyAre) {
    dir.Link("l1", "there");
    dir.Link("l2", "there");
    dir.Link("l3", "elsewhere");
    dir.MakeDir("f");
    dir.Write("there", "x");
    EXPECT_TRUE(Same("l1", "l2"));
    EXPECT_FALSE(Same("l1", "l3"));
    EXPECT_FALSE(Same("l1", "there"));
    EXPECT_FALSE(Same("f", "there"));
}

TEST_F(SameContentTest, ADeviceNodeMustBeOfTheSameKindAndNumber) {
    FileInfo character;
    character.kind = FileKind::Device;
    character.rdev = makedev(1, 3);
    FileInfo block = character;
    block.blockDevice = true;
    FileInfo other = character;
    other.rdev = makedev(1, 5);
    EXPECT_TRUE(SameContent(ops, folder, "a", character, folder, "b", character));
    EXPECT_FALSE(SameContent(ops, folder, "a", character, folder, "b", block));
    EXPECT_FALSE(SameContent(ops, folder, "a", character, folder, "b", other));
}

// The file operations themselves: a folder or file is taken only as the one recorded, a link
// is never passed through, and nothing already named is replaced.
TEST_F(SameContentTest, FileOperationsTakeOnlyWhatWasRecordedAndReplaceNothing) {
    dir.MakeDir("inner");
    dir.MakeDir("other");
    dir.Write("inner/file", "original");
    dir.Link("through", dir / "inner");
    platform::HeldFolder held;
    FileInfo info;
    EXPECT_EQ(ops.OpenPath(dir / "through/", held, info), ELOOP);
    dir.MakeDir("deeper");
    dir.Link("deeper/link", dir.path());
    EXPECT_EQ(ops.OpenPath(dir / "deeper/link/inner", held, info), ELOOP);  // a link on the way
    EXPECT_EQ(ops.OpenChild(folder, "inner", Info("other"), held), platform::kReplacedMeanwhile);
    ASSERT_EQ(ops.OpenChild(folder, "inner", Info("inner"), held), 0);
    // The file that was planned, replaced under the same name since: not copied.
    const FileInfo planned = Info("inner/file");
    dir.Write("inner/new", "replacement");
    std::filesystem::rename(dir / "inner/new", dir / "inner/file");
    EXPECT_EQ(ops.CopyFile(held, "file", folder, "copy", planned, {}), platform::kReplacedMeanwhile);
    EXPECT_FALSE(std::filesystem::exists(dir / "copy"));
    // A name taken at the target is never replaced.
    dir.Write("taken", "someone's own");
    EXPECT_EQ(ops.CopyFile(held, "file", folder, "taken", Info("inner/file"), {}), EEXIST);
    std::ifstream taken(dir / "taken");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(taken), {}), "someone's own");
    ops.Close(held);
}

}  // namespace
}  // namespace trovel::testing
