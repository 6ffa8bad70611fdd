#include "platform/guid.h"

#include <gtest/gtest.h>

#include "platform/known_folder_ids.h"
#include "platform/path_style.h"

namespace trovel::platform {
namespace {

TEST(Guid, ParsesAndPrintsTheRegistrySpelling) {
    const auto id = Guid::Parse("{f38bf404-1d43-42f2-9305-67de0b28fc23}");
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(id->data1, 0xF38BF404u);
    EXPECT_EQ(id->data2, 0x1D43);
    EXPECT_EQ(id->data3, 0x42F2);
    EXPECT_EQ(id->data4[0], 0x93);
    EXPECT_EQ(id->data4[7], 0x23);
    EXPECT_EQ(id->ToString(), "{F38BF404-1D43-42F2-9305-67DE0B28FC23}");
    EXPECT_EQ(*id, FOLDERID_Windows);
    EXPECT_EQ(Guid::Parse("F38BF404-1D43-42F2-9305-67DE0B28FC23"), id);
}

TEST(Guid, RejectsMalformedText) {
    EXPECT_FALSE(Guid::Parse(""));
    EXPECT_FALSE(Guid::Parse("{F38BF404-1D43-42F2-9305-67DE0B28FC2}"));
    EXPECT_FALSE(Guid::Parse("{F38BF404-1D43-42F2-9305+67DE0B28FC23}"));
    EXPECT_FALSE(Guid::Parse("{G38BF404-1D43-42F2-9305-67DE0B28FC23}"));
    EXPECT_FALSE(Guid::Parse("{F38BF404-1D43-42F2-930567DE0B28FC23}"));
    EXPECT_THROW(GuidLiteral("nonsense"), std::invalid_argument);
}

TEST(PathStyle, DrivePartFollowsTheConvention) {
    EXPECT_EQ(DrivePart(PathStyle::Windows, "C:\\Windows"), "C:");
    EXPECT_EQ(DrivePart(PathStyle::Windows, "D:"), "D:");
    EXPECT_EQ(DrivePart(PathStyle::Windows, "\\\\server\\share"), "");
    EXPECT_EQ(DrivePart(PathStyle::Windows, ""), "");
    EXPECT_EQ(DrivePart(PathStyle::Posix, "/usr"), "");
    EXPECT_EQ(PathSeparator(PathStyle::Windows), '\\');
    EXPECT_EQ(PathSeparator(PathStyle::Posix), '/');
}

}  // namespace
}  // namespace trovel::platform
