#include "core/space/drive_list.h"

#include "core/basics/path_slicing.h"
#include "platform/messages.h"

namespace trovel::space {
namespace {

platform::TargetRefusal RefusalOf(platform::Platform& platform, const std::string& root, const std::string& profile) {
    const platform::TargetRefusal known = platform.TargetRefusalOf(root);
    if (known != platform::TargetRefusal::None) return known;
    if (profile.empty()) return platform::TargetRefusal::None;
    // The home folder's own drive: a relocation there frees nothing.
    if (platform.DriveOf(profile) + platform::PathSeparator(platform.Style()) == root)
        return platform::TargetRefusal::HoldsHome;
    // Every folder goes below the drive's copy of the home folder's place.
    const std::string destination = relocation::DestinationOnDrive(root, profile, platform.Style());
    if (!destination.empty() && !platform.CanCreateFolder(destination)) return platform::TargetRefusal::NotWritable;
    return platform::TargetRefusal::None;
}

}  // namespace

DriveListing ListOfferedDrives(platform::Platform& platform, const std::string& systemDrive,
                               const std::string& profilePath) {
    DriveListing listing;
    const std::string systemRoot = systemDrive + platform::PathSeparator(platform.Style());
    for (const std::string& root : platform.LogicalDriveStrings()) {
        if (platform.DriveTypeOf(root) != platform::DriveType::Fixed) continue;
        if (root == systemRoot) continue;
        const platform::TargetRefusal refusal = RefusalOf(platform, root, profilePath);
        // Where only the user's rights fall short, an administrator can make the user's place.
        const bool needsAdministrator =
            refusal == platform::TargetRefusal::NotWritable && platform.AdministratorCanPrepare();
        if (refusal != platform::TargetRefusal::None && !needsAdministrator) {
            listing.leftOut.emplace_back(root, refusal);
            continue;
        }
        OfferedDrive drive;
        drive.root = root;
        drive.needsAdministrator = needsAdministrator;
        // Without volume information the drive is still offered, by its root.
        if (!platform.VolumeLabel(root, drive.label)) drive.label.clear();
        if (!platform.DiskFreeSpace(root, drive.space)) drive.space = {};
        listing.offered.push_back(std::move(drive));
    }
    return listing;
}

const char* RefusalText(platform::TargetRefusal refusal) {
    switch (refusal) {
        case platform::TargetRefusal::HoldsHome: return platform::Tr("the home folder's drive");
        case platform::TargetRefusal::SystemPartition: return platform::Tr("the boot partition");
        case platform::TargetRefusal::MountedOnDemand: return platform::Tr("not mounted at boot");
        case platform::TargetRefusal::NotWritable: return platform::Tr("not writable");
        case platform::TargetRefusal::None: break;
    }
    return "";
}

const char* NeedsAdministratorText() { return platform::Tr("administrator approval needed"); }

}  // namespace trovel::space
