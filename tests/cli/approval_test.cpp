// A drive the user cannot write but an administrator can prepare: offered with a note, and a
// move asks for the approval once before its first write.
#include "cli_fixture.h"

namespace trovel::cli {
namespace {

class ApprovalTest : public CommandLineTest {
protected:
    void SetUp() override {
        CommandLineTest::SetUp();
        FakeFolder& profile = fake.AddFolder("Profile", "C:\\Users\\al");
        profile.id = platform::FOLDERID_Profile;
        profile.category = platform::KF_CATEGORY_FIXED;
        profile.capability = 0x200;
        fake.uncreatable = {"E:\\Users\\al"};
        fake.administratorCanPrepare = true;
        fake.currentUser.name = "al";
        Dir("E:\\Users\\al\\Music");
    }
    std::size_t Redirects() { return fake.CallsOf("Redirect").size() + fake.CallsOf("SetPath").size(); }
};

TEST_F(ApprovalTest, TheDriveIsOfferedWithANoteInTheUsersLanguage) {
    EXPECT_EQ(Run({"drives"}), 0);
    EXPECT_NE(out.str().find("E:\\  Data"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("(administrator approval needed)"), std::string::npos) << out.str();
    language = Language::Hungarian;
    EXPECT_EQ(Run({"drives"}), 0);
    EXPECT_NE(out.str().find("(rendszergazdai jóváhagyás szükséges)"), std::string::npos) << out.str();
}

TEST_F(ApprovalTest, WithoutAdministratorsTheDriveStaysLeftOut) {
    fake.administratorCanPrepare = false;
    EXPECT_EQ(Run({"drives", "--all"}), 0);
    EXPECT_NE(out.str().find("E:\\  left out: not writable"), std::string::npos) << out.str();
}

TEST_F(ApprovalTest, AGivenApprovalComesOnceBeforeTheRun) {
    fake.approval = platform::Approval::Given;
    EXPECT_EQ(Run({"move", "--to", "E:\\", "My Music"}), 0) << err.str();
    ASSERT_EQ(fake.approvalsAsked.size(), 1u);
    EXPECT_EQ(fake.approvalsAsked[0].first, "E:\\");
    EXPECT_EQ(fake.approvalsAsked[0].second, "E:\\Users\\al");
    EXPECT_EQ(Redirects(), 1u);
}

TEST_F(ApprovalTest, ARefusedApprovalStartsNothingAndSaysWhyForEachFolder) {
    fake.approval = platform::Approval::Refused;
    fake.approvalText = "administrator approval was refused";
    EXPECT_EQ(Run({"move", "--to", "E:\\", "--json", "My Music", "Personal"}), 1);
    EXPECT_EQ(Redirects(), 0u);
    EXPECT_NE(err.str().find("My Music: not started: administrator approval was refused"), std::string::npos) << err.str();
    EXPECT_NE(out.str().find("\"code\": \"approval-refused\""), std::string::npos) << out.str();
}

TEST_F(ApprovalTest, WithNobodyToAskItNamesTheAdministratorsCommand) {
    EXPECT_EQ(Run({"move", "--to", "E:\\", "My Music"}), 1);
    EXPECT_EQ(Redirects(), 0u);
    EXPECT_NE(err.str().find("sudo trovel-cli prepare E:\\ --for al"), std::string::npos) << err.str();
}

TEST_F(ApprovalTest, ADryRunAsksNobody) {
    fake.approval = platform::Approval::Given;
    Run({"move", "--to", "E:\\", "--dry-run", "My Music"});
    EXPECT_TRUE(fake.approvalsAsked.empty());
    EXPECT_NE(err.str().find("E:\\: administrator approval needed"), std::string::npos) << err.str();
}

TEST_F(ApprovalTest, PrepareIsForTheAdministratorAndNeedsADriveAndAUser) {
    EXPECT_EQ(Run({"prepare", "E:\\", "--for", "al"}), 3);
    EXPECT_NE(err.str().find("only an administrator can prepare a drive"), std::string::npos) << err.str();
    EXPECT_EQ(Run({"prepare", "E:\\"}), 2);
    EXPECT_EQ(Run({"prepare", "--for", "al"}), 2);
    EXPECT_EQ(Run({"prepare", "E:\\", "F:\\", "--for", "al"}), 2);
    EXPECT_EQ(Run({"prepare", "E:\\", "--for", "al", "--for", "bo"}), 2);
    EXPECT_EQ(Run({"move", "--to", "E:\\", "--for", "al", "My Music"}), 2);
}

}  // namespace
}  // namespace trovel::cli
