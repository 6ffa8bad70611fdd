// A junction such as Documents\My Music (which stock Windows profiles deny listing) is an
// entry of its folder, not a folder to walk: the shell neither follows it when it copies
// the folder nor counts what it points at.
#include <gtest/gtest.h>

#include "mover/target_preflight.h"
#include "platform/fake/fake_platform.h"

namespace trovel::relocation {
namespace {

using platform::fake::FakeFile;

constexpr std::uint32_t kJunction = platform::kAttributeDirectory | platform::kAttributeReparsePoint |
                                    platform::kAttributeHidden | platform::kAttributeSystem;

class ReparsePointTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake.files["C:\\Users\\al\\Documents"] = FakeFile{platform::kAttributeDirectory, 0};
        fake.files["C:\\Users\\al\\Documents\\letter.odt"] = FakeFile{platform::kAttributeNormal, 4000, true, 7};
        // The junction to the Music folder, whose listing is denied to everyone.
        fake.files["C:\\Users\\al\\Documents\\My Music"] = FakeFile{kJunction, 0, false, 0};
        fake.files["E:\\Users\\al"] = FakeFile{platform::kAttributeDirectory, 0};
        fake.volumes.push_back({"E:\\", platform::DriveType::Fixed, "Data", true, {5000, 100000, 5000}, true});
    }
    std::string Check() { return CheckContentTarget(fake, "C:\\Users\\al\\Documents", "E:\\Users\\al\\Documents", {}); }
    platform::fake::FakePlatform fake;
};

TEST_F(ReparsePointTest, AJunctionThatCannotBeListedIsNotUnreadable) {
    EXPECT_EQ(Check(), "");
}

TEST_F(ReparsePointTest, WhatAJunctionLeadsToIsNotCounted) {
    // Listable this time, leading to a large file: the letter alone is copied, and fits.
    fake.files["C:\\Users\\al\\Documents\\My Music"].listable = true;
    fake.files["C:\\Users\\al\\Documents\\My Music\\album.flac"] = FakeFile{platform::kAttributeNormal, 1LL << 30, true, 8};
    EXPECT_EQ(Check(), "");
}

TEST_F(ReparsePointTest, TheWalkTakesAJunctionForAnEntryNotAFolder) {
    const std::unique_ptr<platform::DirectoryHandle> documents = fake.OpenDirectory("C:\\Users\\al\\Documents");
    ASSERT_NE(documents, nullptr);
    platform::TreeEntry entry;
    bool sawJunction = false;
    while (documents->Next(entry)) {
        if (entry.name != "My Music") continue;
        sawJunction = true;
        EXPECT_FALSE(entry.directory);
        EXPECT_EQ(entry.size, 0);
    }
    EXPECT_TRUE(sawJunction);
}

}  // namespace
}  // namespace trovel::relocation
