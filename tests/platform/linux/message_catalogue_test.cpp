// The language the texts speak: chosen from the environment as gettext programs choose it,
// looked up in the build tree's catalogue, English wherever there is none.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/gettext_catalogue.h"
#include "platform/messages.h"
#include "test_language.h"

namespace trovel::platform::linux_desktop {
namespace {

// The variables set for one check and put back afterwards.
class Environment {
public:
    Environment(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            ::unsetenv(name);
        }
        for (const auto& [name, value] : values) ::setenv(name, value, 1);
    }
    ~Environment() {
        for (const auto& [name, value] : saved_)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// The language a catalogue made from the environment says it speaks, checked against what it
// actually says: the command line picks its number and name conventions by the first.
std::string SpokenUnder(std::initializer_list<std::pair<const char*, const char*>> values) {
    const Environment set(values);
    const GettextCatalogue catalogue("", {TROVEL_BUILD_LOCALE_DIR});
    UseMessageCatalogue(&catalogue);
    const std::string said = Tr("Cannot open");
    UseMessageCatalogue(nullptr);
    EXPECT_EQ(said, catalogue.Language() == "hu" ? "Nem nyitható meg" : "Cannot open") << catalogue.Language();
    return catalogue.Language();
}

TEST(MessageLanguage, FollowsLanguageThenLcAllThenLcMessagesThenLangAsGettextDoes) {
    EXPECT_EQ(SpokenUnder({{"LANGUAGE", "hu:en"}, {"LC_ALL", "en_US.UTF-8"}}), "hu");
    EXPECT_EQ(SpokenUnder({{"LANGUAGE", "de:hu"}, {"LANG", "en_US.UTF-8"}}), "hu");  // no German catalogue
    EXPECT_EQ(SpokenUnder({{"LANGUAGE", "en"}, {"LC_ALL", "hu_HU.UTF-8"}}), "C");
    EXPECT_EQ(SpokenUnder({{"LANGUAGE", ""}, {"LC_ALL", "hu_HU.UTF-8"}, {"LANG", "C"}}), "hu");
    EXPECT_EQ(SpokenUnder({{"LC_MESSAGES", "hu_HU.UTF-8"}, {"LANG", "en_US.UTF-8"}}), "hu");
    EXPECT_EQ(SpokenUnder({{"LC_MESSAGES", "C"}, {"LANG", "hu_HU.UTF-8"}}), "C");
    EXPECT_EQ(SpokenUnder({{"LANG", "hu_HU.UTF-8"}}), "hu");
    // LANGUAGE comes first even under the C locale (where gettext itself would not read it).
    EXPECT_EQ(SpokenUnder({{"LANGUAGE", "hu"}, {"LANG", "C"}}), "hu");
    EXPECT_EQ(SpokenUnder({{"LANGUAGE", "hu"}}), "hu");
    EXPECT_EQ(SpokenUnder({{"LANGUAGE", ":"}, {"LANG", "hu_HU.UTF-8@euro"}}), "C");  // no such locale
    // A locale the system does not have is C to the C library, and so English.
    EXPECT_EQ(SpokenUnder({{"LANG", "hu_ZZ.UTF-8"}}), "C");
    EXPECT_EQ(SpokenUnder({{"LANG", "POSIX"}}), "C");
    EXPECT_EQ(SpokenUnder({}), "C");
}

TEST(MessageLanguage, CodesDropTerritoryCodesetAndModifier) {
    EXPECT_EQ(LanguageCode("hu_HU.UTF-8"), "hu");
    EXPECT_EQ(LanguageCode("hu_HU.ISO-8859-2@latin2"), "hu");
    EXPECT_EQ(LanguageCode("de:hu"), "de");
    EXPECT_EQ(LanguageCode("POSIX"), "C");
    EXPECT_EQ(LanguageCode("C.UTF-8"), "C");
    EXPECT_EQ(LanguageCode(""), "C");
}

class MessageCatalogueTest : public ::testing::Test {
protected:
    void TearDown() override { testing_support::SpeakForTests(); }
    static std::string Say(const char* english) { return Tr(english); }
};

TEST_F(MessageCatalogueTest, HungarianComesFromTheCatalogueAndEveryOtherLanguageFallsBackToEnglish) {
    testing_support::SpeakForTests("hu_HU.UTF-8");
    EXPECT_EQ(MessagesLanguage(), "hu");
    EXPECT_EQ(Say("Cannot create the folder"), "Nem hozható létre a mappa");
    EXPECT_STREQ(TrN("folder", "folders", 3), "mappa");
    for (const char* language : {"C", "POSIX", "C.UTF-8", "en_US.UTF-8", "de_DE.UTF-8", "xx"}) {
        testing_support::SpeakForTests(language);
        EXPECT_EQ(Say("Cannot create the folder"), "Cannot create the folder") << language;
        EXPECT_STREQ(TrN("folder", "folders", 1), "folder") << language;
        EXPECT_STREQ(TrN("folder", "folders", 2), "folders") << language;
    }
    // Back again: nothing from the English lookups is remembered.
    testing_support::SpeakForTests("hu_HU.UTF-8");
    EXPECT_EQ(Say("Cannot create the folder"), "Nem hozható létre a mappa");
}

TEST_F(MessageCatalogueTest, TheSystemsOwnErrorTextsFollowTheLanguageToo) {
    testing_support::SpeakForTests("C");
    EXPECT_STREQ(std::strerror(ENOENT), "No such file or directory");
}

TEST_F(MessageCatalogueTest, ACatalogueMissingFromEveryFolderLeavesEnglish) {
    const GettextCatalogue nowhere("hu_HU.UTF-8", {"/nonexistent/locale"});
    UseMessageCatalogue(&nowhere);
    EXPECT_EQ(Say("Cannot open"), "Cannot open");
    UseMessageCatalogue(nullptr);
}

}  // namespace
}  // namespace trovel::platform::linux_desktop
