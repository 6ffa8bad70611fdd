#include "core/space/target_preparation.h"

#include <algorithm>

#include "core/basics/path_slicing.h"
#include "core/space/drive_list.h"
#include "platform/messages.h"

namespace trovel::space {
namespace {

using platform::Fill;
using platform::Tr;

PrepareOutcome Refuse(PrepareRefusal refusal, std::string text, PrepareOutcome outcome = {}) {
    outcome.refusal = refusal;
    outcome.text = std::move(text);
    return outcome;
}

}  // namespace

int ExitStatusOf(PrepareRefusal refusal) {
    switch (refusal) {
        case PrepareRefusal::None: return 0;
        case PrepareRefusal::BadArguments: return 2;
        case PrepareRefusal::NotAdministrator: return 3;
        case PrepareRefusal::UnknownUser: return 4;
        case PrepareRefusal::NotLocalDrive: return 5;
        case PrepareRefusal::NotMountedAtBoot: return 6;
        case PrepareRefusal::HoldsHome: return 7;
        case PrepareRefusal::OutsideHome: return 8;
        case PrepareRefusal::LinkOnPath: return 9;
        case PrepareRefusal::DriveChanged: return 10;
        case PrepareRefusal::CannotCreate: return 11;
    }
    return 11;
}

bool IsPlainAbsolutePath(const std::string& path) {
    if (path.size() < 2 || path.front() != '/' || path.back() == '/') return false;
    if (path.find('\0') != std::string::npos) return false;
    std::size_t at = 1;
    while (at <= path.size()) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        const std::string_view name(path.data() + at, slash - at);
        if (name.empty() || name == "." || name == "..") return false;
        at = slash + 1;
    }
    return true;
}

PrepareOutcome PrepareTarget(platform::Platform& platform, const PrepareRequest& request) {
    if (!platform.IsAdministrator())
        return Refuse(PrepareRefusal::NotAdministrator, Tr("only an administrator can prepare a drive"));
    platform::UserAccount user = request.user;
    if (user.uid == 0)
        return Refuse(PrepareRefusal::UnknownUser, Tr("the administrator needs no prepared folder"));
    std::uint32_t homeMode = 0;
    const bool homeOwned = IsPlainAbsolutePath(request.home.empty() ? user.home : request.home) &&
                           platform.OwnedFolderMode(request.home.empty() ? user.home : request.home, user.uid, homeMode);
    if (!request.home.empty() && request.home != user.home) {
        // Any other home must be the user's own folder, or anyone could name any place.
        if (!homeOwned)
            return Refuse(PrepareRefusal::UnknownUser, Fill(Tr("not a home folder of the user: %1"), {request.home}));
        user.home = request.home;
    }
    if (!IsPlainAbsolutePath(user.home))
        return Refuse(PrepareRefusal::UnknownUser, Fill(Tr("the user's home folder is unusable: %1"), {user.home}));
    // As private as the home, never less so for its owner.
    const std::uint32_t mode = homeOwned ? ((homeMode & 0777u) | 0700u) : 0700u;
    std::string root = request.driveRoot;
    if (root != "/" && !root.empty() && root.back() != '/') root += '/';
    if (root == "/" || !IsPlainAbsolutePath(root.substr(0, root.size() - 1)))
        return Refuse(PrepareRefusal::BadArguments, Fill(Tr("not a drive root: %1"), {request.driveRoot}));

    // The drive page's own rules, with the user's home.
    const DriveListing listing = ListOfferedDrives(platform, platform.DriveOf("/"), user.home);
    const bool offered = std::any_of(listing.offered.begin(), listing.offered.end(),
                                     [&](const OfferedDrive& drive) { return drive.root == root; });
    if (!offered) {
        const auto left = std::find_if(listing.leftOut.begin(), listing.leftOut.end(),
                                       [&](const auto& entry) { return entry.first == root; });
        if (left == listing.leftOut.end())
            return Refuse(PrepareRefusal::NotLocalDrive, Fill(Tr("not a local fixed drive: %1"), {root}));
        switch (left->second) {
            case platform::TargetRefusal::MountedOnDemand:
                return Refuse(PrepareRefusal::NotMountedAtBoot, Fill(Tr("not mounted at boot: %1"), {root}));
            case platform::TargetRefusal::HoldsHome:
            case platform::TargetRefusal::SystemPartition:
                return Refuse(PrepareRefusal::HoldsHome, root + ": " + RefusalText(left->second));
            case platform::TargetRefusal::NotWritable:
            case platform::TargetRefusal::None: break;
        }
    }

    PrepareOutcome outcome;
    const std::string base = relocation::DestinationOnDrive(root, user.home, platform::PathStyle::Posix);
    outcome.folder = request.folder.empty() ? base : request.folder;
    if (base.empty() || outcome.folder != base)
        return Refuse(PrepareRefusal::OutsideHome,
                      Fill(Tr("the folder is not the user's place on the drive (%1): %2"), {base, outcome.folder}),
                      outcome);

    platform::FolderForUser folder;
    folder.driveRoot = root;
    folder.folder = outcome.folder;
    folder.uid = user.uid;
    folder.gid = user.gid;
    folder.mode = mode;
    std::string text;
    switch (platform.PrepareFolderForUser(folder, text)) {
        case platform::PreparedFolder::Made: outcome.made = true; return outcome;
        case platform::PreparedFolder::AlreadyThere: return outcome;
        case platform::PreparedFolder::LinkOnPath: return Refuse(PrepareRefusal::LinkOnPath, text, outcome);
        case platform::PreparedFolder::DriveChanged:
        case platform::PreparedFolder::OtherDrive: return Refuse(PrepareRefusal::DriveChanged, text, outcome);
        case platform::PreparedFolder::Failed: break;
    }
    return Refuse(PrepareRefusal::CannotCreate, text, outcome);
}

}  // namespace trovel::space
