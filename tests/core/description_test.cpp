#include "core/catalogue/description.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"

namespace trovel::catalogue {
namespace {

class Description : public ::testing::Test {
protected:
    void SetUp() override {
        fake.environment["SystemRoot"] = "C:\\Windows";
        fake.strings[{"C:\\Windows\\system32\\shell32.dll", 21770}] = "Dokumentumok és egyéb fájlok";
        fake.strings[{"shell32.dll", 8}] = "Nyolcas";
    }
    std::string Resolve(const std::string& tooltip) { return ResolveDescription(fake, tooltip); }

    platform::fake::FakePlatform fake;
};

TEST_F(Description, LoadsTheStringNamedByTheReference) {
    EXPECT_EQ(Resolve("@%SystemRoot%\\system32\\shell32.dll,-21770"), "Dokumentumok és egyéb fájlok");
    const auto loads = fake.CallsOf("LoadStringResource");
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads[0].text, "C:\\Windows\\system32\\shell32.dll");
    EXPECT_EQ(loads[0].flags, 21770u);
}

TEST_F(Description, TenCharactersOrFewerAreNotResolved) {
    fake.strings[{"ab.dll", 1}] = "one";
    fake.strings[{"abc.dll", 1}] = "one";
    EXPECT_EQ(Resolve("@ab.dll,-1"), "");  // 10 characters
    EXPECT_TRUE(fake.CallsOf("LoadStringResource").empty());
    EXPECT_EQ(Resolve("@abc.dll,-1"), "one");  // 11 characters
    // Length counts characters, not bytes: ten accented letters are still ten.
    EXPECT_EQ(Resolve("@\xC3\xA1\xC3\xA1.dll,-1"), "");
}

TEST_F(Description, MendsACommaBeforeDll) {
    EXPECT_EQ(Resolve("@shell32,dll,-8"), "Nyolcas");
    EXPECT_EQ(fake.CallsOf("LoadStringResource").at(0).text, "shell32.dll");
    // Only when ",dll" appears in lower case; then the first occurrence in any case is mended.
    fake.strings[{"shell32,DLL", 8}] = "unmended";
    EXPECT_EQ(Resolve("@shell32,DLL,-8"), "unmended");
    fake.strings[{"a.DLL,dll", 8}] = "first one mended";
    EXPECT_EQ(Resolve("@a,DLL,dll,-8"), "first one mended");
}

TEST_F(Description, MalformedReferencesGiveNoText) {
    EXPECT_EQ(Resolve("@shell32.dll,21770"), "");       // no ",-"
    EXPECT_EQ(Resolve("@shell32.dll,-12ab"), "");       // not a decimal number
    EXPECT_EQ(Resolve("@shell32.dll,-"), "");           // no number at all
    EXPECT_EQ(Resolve("A plain tooltip text"), "");     // no reference
    EXPECT_EQ(Resolve("@missing.dll,-21770"), "");      // module or string missing
    EXPECT_EQ(Resolve(",-8 starts with the split"), "");
}

TEST_F(Description, OverlongModuleOrStringIsCut) {
    const std::string longName(300, 'x');
    fake.strings[{longName, 1}] = "never";
    EXPECT_EQ(Resolve("@" + longName + ",-1"), "");
    fake.strings[{"long.dll", 2}] = std::string(300, 'y');
    EXPECT_EQ(Resolve("@long.dll,-2"), std::string(254, 'y'));
}

}  // namespace
}  // namespace trovel::catalogue
