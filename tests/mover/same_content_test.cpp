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
    FileInfo Info(const std::string& path) {
        FileInfo info;
        EXPECT_EQ(ops.Stat(path, info), 0);
        return info;
    }
    platform::linux_desktop::PosixFileOps ops;
    TempDir dir;
};

TEST_F(SameContentTest, RegularFilesCompareSizeAndBytes) {
    dir.Write("a", "the same bytes");
    dir.Write("b", "the same bytes");
    dir.Write("c", "other, same size");
    dir.Write("d", "the same byteZ");
    EXPECT_TRUE(SameContent(ops, dir / "a", Info(dir / "a"), dir / "b", Info(dir / "b")));
    EXPECT_FALSE(SameContent(ops, dir / "a", Info(dir / "a"), dir / "c", Info(dir / "c")));
    EXPECT_FALSE(SameContent(ops, dir / "a", Info(dir / "a"), dir / "d", Info(dir / "d")));
    // Without the bytes, only the size counts: the quick check after a copy.
    EXPECT_TRUE(SameContent(ops, dir / "a", Info(dir / "a"), dir / "d", Info(dir / "d"), false));
}

TEST_F(SameContentTest, LinksFoldersAndKindsCompareWhatTheyAre) {
    dir.Link("l1", "there");
    dir.Link("l2", "there");
    dir.Link("l3", "elsewhere");
    dir.MakeDir("f");
    dir.Write("there", "x");
    EXPECT_TRUE(SameContent(ops, dir / "l1", Info(dir / "l1"), dir / "l2", Info(dir / "l2")));
    EXPECT_FALSE(SameContent(ops, dir / "l1", Info(dir / "l1"), dir / "l3", Info(dir / "l3")));
    EXPECT_FALSE(SameContent(ops, dir / "l1", Info(dir / "l1"), dir / "there", Info(dir / "there")));
    EXPECT_FALSE(SameContent(ops, dir / "f", Info(dir / "f"), dir / "there", Info(dir / "there")));
}

TEST_F(SameContentTest, ADeviceNodeMustBeOfTheSameKindAndNumber) {
    FileInfo character;
    character.kind = FileKind::Device;
    character.rdev = makedev(1, 3);
    FileInfo block = character;
    block.blockDevice = true;
    FileInfo other = character;
    other.rdev = makedev(1, 5);
    EXPECT_TRUE(SameContent(ops, "/dev/a", character, "/dev/b", character));
    EXPECT_FALSE(SameContent(ops, "/dev/a", character, "/dev/b", block));
    EXPECT_FALSE(SameContent(ops, "/dev/a", character, "/dev/b", other));
}

}  // namespace
}  // namespace trovel::testing
