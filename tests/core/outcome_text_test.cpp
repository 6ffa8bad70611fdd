#include <gtest/gtest.h>

#include "core/relocation/outcome_text.h"

namespace trovel::relocation {
namespace {

FolderResult Failed(platform::HResult call, std::string errorText = {}) {
    FolderResult result;
    result.outcome = FolderOutcome::Failed;
    result.call = call;
    result.destination = "/mnt/data/home/al/Zene";
    result.errorText = std::move(errorText);
    return result;
}

TEST(OutcomeLine, TheCauseIsTheMoversTextBeforeItsPath) {
    EXPECT_EQ(CauseOf("A mappa nem olvasható (Permission denied): /home/al/Zene/régi"),
              "a mappa nem olvasható (Permission denied)");
    EXPECT_EQ(CauseOf("Nincs hely."), "nincs hely");
    EXPECT_EQ(CauseOf(""), "");
}

TEST(OutcomeLine, ARefusalBeforeTheFirstWriteIsToldFromARollback) {
    RunContext copying;
    copying.copy = true;
    const OutcomeLine refused = RelocationLine(Failed(platform::kAccessDenied, "Az almappa nem olvasható (Permission denied): /home/al/Zene/x"), copying);
    EXPECT_EQ(refused.brief, "Elutasítva: az almappa nem olvasható (Permission denied).");
    EXPECT_NE(refused.full.find("/home/al/Zene/x"), std::string::npos);
    EXPECT_FALSE(refused.success);
    const OutcomeLine rolledBack = RelocationLine(Failed(platform::kFail, "A fájl nem másolható (No space left on device): /mnt/data/x"), copying);
    EXPECT_EQ(rolledBack.brief, "Visszavonva: a fájl nem másolható (No space left on device).");
    EXPECT_NE(rolledBack.full.find("eredeti helyén maradt"), std::string::npos);
}

TEST(OutcomeLine, APointerOnlyMoveSaysItsOwnFailureAndAMoveWithLeftoversIsStillASuccess) {
    RunContext pointerOnly;
    EXPECT_EQ(RelocationLine(Failed(platform::kAccessDenied), pointerOnly).brief,
              "Nem sikerült átirányítani: a rendszer nem engedte.");
    FolderResult moved;
    moved.outcome = FolderOutcome::RelocatedWithContent;
    moved.destination = "/mnt/data/home/al/Zene";
    moved.errorText = "Áthelyezve; a régi helyről nem törölhető (Permission denied): /home/al/Zene/a";
    RunContext copying;
    copying.copy = true;
    const OutcomeLine line = RelocationLine(moved, copying);
    EXPECT_TRUE(line.success);
    EXPECT_EQ(line.brief, "Áthelyezve, de a régi helyről nem törölhető (Permission denied).");
    EXPECT_NE(line.full.find("/home/al/Zene/a"), std::string::npos);
}

}  // namespace
}  // namespace trovel::relocation
