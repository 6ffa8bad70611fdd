// The catalogue's relocation planning: which known folders lie inside which, and where a
// folder goes on the chosen drive or back at its default place.
#include "catalogue/folder_row.h"
#include "catalogue/known_folder_catalogue.h"
#include "relocation/folder_rules.h"
#include "relocation/path_slicing.h"

namespace trovel::catalogue {

void Tvkfo::MakeExclusionList() {
    const char separator = platform::PathSeparator(platform_.Style());
    for (TFrame1* outer : framearr) {
        relocation::TrimOneTrailingSeparator(outer->Path, separator);
        for (TFrame1* inner : framearr) {
            if (inner == outer) continue;
            relocation::TrimOneTrailingSeparator(inner->Path, separator);
            if (!relocation::IsNestedIn(inner->Path, outer->Path, separator)) continue;
            outer->FolderExcludeList.push_back(inner->FolderID);
            outer->FolderExcludePath.push_back(inner->Path + separator);
            outer->SubKFArray.push_back(relocation::SlicePath(outer->Path, inner->Path, outer->SKFACount, separator));
        }
    }
}

std::string Tvkfo::MakeDestPath(const std::string& DestDrive, const platform::KnownFolderId& kfid) {
    // A folder the registry will not hand out, or without a default path, gets no place: such
    // a folder is never redirected.
    if (!Fkfm) return {};
    return relocation::DestinationOf(*Fkfm, kfid, DestDrive, platform_.Style());
}

}  // namespace trovel::catalogue
