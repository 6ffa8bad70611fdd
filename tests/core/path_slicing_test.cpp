#include "core/basics/path_slicing.h"

#include <gtest/gtest.h>

namespace trovel::relocation {
namespace {

using platform::PathStyle;

TEST(IsNestedIn, NeedsAnExactPrefixFollowedByASeparator) {
    EXPECT_TRUE(IsNestedIn("C:\\Users\\user\\Music", "C:\\Users\\user", '\\'));
    EXPECT_TRUE(IsNestedIn("C:\\Users\\user\\Documents\\My Music", "C:\\Users\\user", '\\'));
    EXPECT_TRUE(IsNestedIn("D:\\Music", "D:", '\\'));  // a drive-root folder, trimmed to D:
    EXPECT_FALSE(IsNestedIn("C:\\Users\\user", "C:\\Users\\user", '\\'));         // equal paths
    EXPECT_FALSE(IsNestedIn("C:\\Users\\user\\Music", "c:\\users\\user", '\\'));  // case differs
    EXPECT_FALSE(IsNestedIn("C:\\Users\\user\\Music", "C:\\Users\\us", '\\'));    // no separator after it
    EXPECT_FALSE(IsNestedIn("C:\\Users\\user\\Music", "", '\\'));
    EXPECT_FALSE(IsNestedIn("", "C:", '\\'));

    EXPECT_TRUE(IsNestedIn("/home/al/Documents/Music", "/home/al", '/'));
    EXPECT_FALSE(IsNestedIn("/home/alice/Music", "/home/al", '/'));
    EXPECT_FALSE(IsNestedIn("/home/al/Music", "/home/al/Music", '/'));
    // A folder moved to another drive keeps its old path inside its new one; that is no nesting.
    EXPECT_FALSE(IsNestedIn("/mnt/data/home/al/Music/x", "/home/al/Music", '/'));
    EXPECT_FALSE(IsNestedIn("/mnt/home/al/Music", "/home/al", '/'));
}

TEST(SlicePath, CutsTheComponentsBelowTheParent) {
    catalogue::IntList count{7};
    EXPECT_EQ(SlicePath("C:\\Users\\user", "C:\\Users\\user\\Documents\\My Music", count, '\\'),
              (catalogue::TextList{"Documents", "My Music"}));
    EXPECT_EQ(count, (catalogue::IntList{7, 1}));
    EXPECT_EQ(SlicePath("C:\\Users\\user\\", "C:\\Users\\user\\Music\\", count, '\\'), (catalogue::TextList{"Music"}));
    EXPECT_EQ(count.back(), 0);
    EXPECT_EQ(SlicePath("D:", "D:\\a\\\\b", count, '\\'), (catalogue::TextList{"a", "", "b"}));
    EXPECT_EQ(count.back(), 2);
    EXPECT_EQ(SlicePath("/home/al", "/home/al/Documents/Music", count, '/'), (catalogue::TextList{"Documents", "Music"}));
    EXPECT_EQ(count.back(), 1);
}

TEST(DestinationOnDrive, KeepsTheDefaultPathBelowTheChosenRoot) {
    EXPECT_EQ(DestinationOnDrive("E:\\", "C:\\Users\\user\\Documents", PathStyle::Windows), "E:\\Users\\user\\Documents");
    EXPECT_EQ(DestinationOnDrive("/mnt/data/", "/home/alice/Documents", PathStyle::Posix),
              "/mnt/data/home/alice/Documents");
    // Never a bare drive root: no default path, or one that is a root itself.
    EXPECT_EQ(DestinationOnDrive("E:\\", "", PathStyle::Windows), "");
    EXPECT_EQ(DestinationOnDrive("E:\\", "C:\\", PathStyle::Windows), "");
    EXPECT_EQ(DestinationOnDrive("/mnt/data/", "/", PathStyle::Posix), "");
    EXPECT_EQ(DestinationOnDrive("", "C:\\Users\\a", PathStyle::Windows), "");
}

}  // namespace
}  // namespace trovel::relocation

namespace trovel::platform {
namespace {

TEST(HoldsKeptFolder, RootsAndFoldersAtOrAboveAKeptOneAreKept) {
    const std::vector<std::string> posix{"/home/al", "/home/al/.config"};
    for (const char* folder : {"/", "/home", "/home/al", "/home/al/", "//", ""})
        EXPECT_TRUE(HoldsKeptFolder(PathStyle::Posix, folder, posix)) << folder;
    for (const char* folder : {"/home/alice", "/home/al/Music", "/home/AL", "/mnt/data/home/al"})
        EXPECT_FALSE(HoldsKeptFolder(PathStyle::Posix, folder, posix)) << folder;
    const std::vector<std::string> windows{"C:\\Users\\al"};
    for (const char* folder : {"C:\\", "D:\\", "c:\\users", "C:\\Users\\AL\\"})
        EXPECT_TRUE(HoldsKeptFolder(PathStyle::Windows, folder, windows)) << folder;
    for (const char* folder : {"C:\\Users\\alice", "C:\\Users\\al\\Music", "D:\\Users\\al"})
        EXPECT_FALSE(HoldsKeptFolder(PathStyle::Windows, folder, windows)) << folder;
}

}  // namespace
}  // namespace trovel::platform

TEST(WithoutTrailingSeparators, TrimsEverySeparatorAtTheEndButKeepsARootWhole) {
    using trovel::platform::PathStyle;
    using trovel::platform::WithoutTrailingSeparators;
    EXPECT_EQ(WithoutTrailingSeparators(PathStyle::Posix, "/home/al///"), "/home/al");
    EXPECT_EQ(WithoutTrailingSeparators(PathStyle::Posix, "/home/al"), "/home/al");
    EXPECT_EQ(WithoutTrailingSeparators(PathStyle::Posix, "///"), "/");
    EXPECT_EQ(WithoutTrailingSeparators(PathStyle::Posix, ""), "");
    EXPECT_EQ(WithoutTrailingSeparators(PathStyle::Windows, "D:\\Users\\al\\\\"), "D:\\Users\\al");
    // "D:" alone would name the drive's current folder, not its root.
    EXPECT_EQ(WithoutTrailingSeparators(PathStyle::Windows, "D:\\\\"), "D:\\");
    EXPECT_EQ(WithoutTrailingSeparators(PathStyle::Windows, "D:\\"), "D:\\");
    EXPECT_EQ(WithoutTrailingSeparators(PathStyle::Windows, "D:"), "D:");
    // A POSIX path keeps its backslashes: they are part of a name there.
    EXPECT_EQ(WithoutTrailingSeparators(PathStyle::Posix, "/mnt/odd\\"), "/mnt/odd\\");
}
