// The check made before the shell copies a folder's content: what stands at the target
// already, what cannot be listed, and whether the rest fits.
#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "mover/target_preflight.h"

namespace trovel::relocation {
namespace {

using platform::fake::FakeFile;

class TargetPreflightTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dir("C:\\Users\\al\\Music");
        File("C:\\Users\\al\\Music\\song.mp3", 4000, 7);
        Dir("C:\\Users\\al\\Music\\Album");
        File("C:\\Users\\al\\Music\\Album\\track.flac", 6000, 8);
        Dir("C:\\Users\\al\\Music\\Nested");  // a known folder of its own
        File("C:\\Users\\al\\Music\\Nested\\huge.iso", 1LL << 40, 9);
        Dir("E:\\Users\\al");
        fake.volumes.push_back({"E:\\", platform::DriveType::Fixed, "Data", true, {20000, 100000, 20000}, true});
    }
    void Dir(const std::string& path) { fake.files[path] = FakeFile{platform::kAttributeDirectory, 0}; }
    void File(const std::string& path, std::int64_t size, std::int64_t modified) {
        fake.files[path] = FakeFile{platform::kAttributeNormal, size, true, modified};
    }
    std::string Check() {
        return CheckContentTarget(fake, "C:\\Users\\al\\Music", "E:\\Users\\al\\Music", {"C:\\Users\\al\\Music\\Nested\\"});
    }
    platform::fake::FakePlatform fake;
};

TEST_F(TargetPreflightTest, AnEmptyTargetWithRoomPassesAndNestedFoldersDoNotCount) {
    EXPECT_EQ(Check(), "");  // the nested folder's terabyte is not copied
}

TEST_F(TargetPreflightTest, WhatIsAlreadyThereAndTheSameCountsAsCopied) {
    Dir("E:\\Users\\al\\Music");
    File("E:\\Users\\al\\Music\\SONG.MP3", 4000, 7);  // the same, in another case: Windows names fold case
    fake.volumes[0].space.freeForUser = 6000;        // room for the track alone
    EXPECT_EQ(Check(), "");
}

TEST_F(TargetPreflightTest, SomethingElseUnderTheSameNameIsNeverOverwritten) {
    Dir("E:\\Users\\al\\Music");
    File("E:\\Users\\al\\Music\\song.mp3", 4000, 99);  // same size, another time
    Dir("E:\\Users\\al\\Music\\Album");
    File("E:\\Users\\al\\Music\\Album\\track.flac", 5, 8);
    Dir("E:\\Users\\al\\Music\\Album\\Album2");
    EXPECT_EQ(Check(), "A célhelyen már van más tartalmú elem ugyanazon a néven: E:\\Users\\al\\Music\\song.mp3, "
                       "E:\\Users\\al\\Music\\Album\\track.flac");
    fake.files.erase("E:\\Users\\al\\Music\\song.mp3");
    fake.files.erase("E:\\Users\\al\\Music\\Album\\track.flac");
    File("E:\\Users\\al\\Music\\Album", 10, 1);  // a file where a folder goes
    fake.files.erase("E:\\Users\\al\\Music\\Album\\Album2");
    EXPECT_EQ(Check(), "A célhelyen már van más tartalmú elem ugyanazon a néven: E:\\Users\\al\\Music\\Album");
}

TEST_F(TargetPreflightTest, UnlistableFoldersAndTooLittleRoomAreRefused) {
    fake.volumes[0].space.freeForUser = 9999;  // 10,000 bytes to copy
    EXPECT_EQ(Check(), "Nincs elég hely a célon: 10000 bájt kellene, 9999 bájt szabad (E:\\)");
    fake.files["C:\\Users\\al\\Music\\Album"].listable = false;
    EXPECT_EQ(Check(), "Nem olvasható, így nem másolható és nem törölhető: C:\\Users\\al\\Music\\Album");
}

}  // namespace
}  // namespace trovel::relocation
