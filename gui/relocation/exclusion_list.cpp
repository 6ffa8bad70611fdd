// The catalogue's relocation planning: which known folders lie inside which, and where a
// folder goes on the chosen drive or back at its default place.
#include "core/catalogue/folder_list.h"
#include "gui/catalogue/folder_row.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "core/relocation/folder_rules.h"
#include "core/basics/path_slicing.h"

namespace trovel::catalogue {

void FolderCatalogue::MakeExclusionList() {
    const char separator = platform::PathSeparator(platform_.Style());
    std::vector<std::string> paths;
    for (const FolderRow* row : framearr) paths.push_back(row->Path);
    const auto nested = FindNestedFolders(paths, separator);
    for (std::size_t i = 0; i < framearr.size(); ++i) {
        FolderRow* outer = framearr[i];
        outer->Path = paths[i];
        for (const std::size_t j : nested[i]) {
            const FolderRow* inner = framearr[j];
            outer->FolderExcludeList.push_back(inner->FolderID);
            outer->FolderExcludePath.push_back(paths[j] + separator);
            outer->SubKFArray.push_back(relocation::SlicePath(paths[i], paths[j], outer->SKFACount, separator));
        }
    }
}

std::string FolderCatalogue::MakeDestPath(const std::string& DestDrive, const platform::KnownFolderId& kfid) {
    // A folder the registry will not hand out, or without a default path, gets no place: such
    // a folder is never redirected.
    if (!Fkfm) return {};
    return relocation::DestinationOf(*Fkfm, kfid, DestDrive, platform_.Style());
}

}  // namespace trovel::catalogue
