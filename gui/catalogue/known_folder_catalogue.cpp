#include "gui/catalogue/known_folder_catalogue.h"

#include <QLabel>

#include <algorithm>
#include <iterator>

#include "gui/catalogue/wizard_window.h"
#include "core/catalogue/description.h"
#include "core/catalogue/folder_list.h"
#include "gui/catalogue/folder_row.h"
#include "gui/widgets/row_widgets.h"
#include "platform/known_folder_ids.h"
#include "gui/widgets/shell_icon.h"

namespace trovel::catalogue {

using widgets::SetAutoSizedText;

using platform::Succeeded;

FolderCatalogue::FolderCatalogue(WizardWindow* Owner) : FkfOwner(Owner), platform_(Owner->platform()) {
    Fiobj = 0;
    FkfSizegot = false;
    FkfCategoryset = CategoryBit(platform::KF_CATEGORY_COMMON) | CategoryBit(platform::KF_CATEGORY_PERUSER);

    // Without a registry the catalogue stays empty and the window still opens.
    if (!Succeeded(platform_.CreateKnownFolderManager(Fkfm)) || !Fkfm) {
        Fkfm.reset();
        return;
    }
    if (!Succeeded(Fkfm->GetFolderIds(Fkfarray))) Fkfarray.clear();
    Fkffullcount = static_cast<std::uint32_t>(Fkfarray.size());

    std::string windowsPath;
    if (Succeeded(Fkfm->GetFolder(platform::FOLDERID_Windows, Fkf)) && Fkf)
        Fkf->GetPath(platform::kCurrentPathFlags, windowsPath);
    FkfOwner->shared().systemDrive = platform_.DriveOf(windowsPath);
    std::string profilePath;
    if (Succeeded(Fkfm->GetFolder(platform::FOLDERID_Profile, Fkf)) && Fkf &&
        !Succeeded(Fkf->GetPath(platform::kCurrentPathFlags, profilePath)))
        profilePath.clear();
    FkfOwner->shared().profilePath = profilePath;
}

FolderCatalogue::~FolderCatalogue() = default;

void FolderCatalogue::GetFolders() {
    for (std::uint32_t i = 0; i < Fkffullcount; ++i) {
        FolderRow* row = MakeRow(i);
        framearr.push_back(row);
        FillRow(row);
    }
    Fkflistcount = static_cast<std::uint32_t>(framearr.size());
    GuardKeptFolders();
}

void FolderCatalogue::GuardKeptFolders() {
    std::vector<platform::KnownFolderId> ids;
    std::vector<std::string> paths;
    for (const FolderRow* row : framearr) {
        ids.push_back(row->FolderID);
        paths.push_back(row->Path);
    }
    // Whatever the registry says, a folder that is or holds one of them is never offered.
    const std::vector<bool> holders = MarkHoldersOfKeptFolders(platform_.Style(), ids, paths);
    for (std::size_t i = 0; i < framearr.size(); ++i) {
        if (!holders[i]) continue;
        FolderRow* row = framearr[i];
        row->HoldsKeptFolder = true;
        if (row->FolderRedirectionCapability == platform::KF_REDIRECTION_CAPABILITIES_REDIRECTABLE)
            row->FolderRedirectionCapability = platform::KF_REDIRECTION_CAPABILITIES_DENY_POLICY;
    }
}

FolderRow* FolderCatalogue::MakeRow(std::uint32_t index) {
    const int n = static_cast<int>(index);
    auto* row = new FolderRow(FkfOwner->messageWindow(), platform_);
    row->setObjectName(QStringLiteral("F%1").arg(n));
    row->move(3, (row->height() + 3) * n + 3);
    row->ID = n;
    row->SizeGot = false;
    row->FolderID = Fkfarray[index];
    return row;
}

void FolderCatalogue::FillRow(FolderRow* row) {
    Fkf.reset();
    Fkfstruct = {};
    // A folder the registry cannot hand out is still listed, with nothing but its id.
    if (!Succeeded(Fkfm->GetFolder(row->FolderID, Fkf)) || !Fkf) {
        Fkf.reset();
        SetAutoSizedText(row->lfoldername, QString::fromStdString(row->FolderID.ToString()));
        row->icon->setPixmap(GetShellIcon({}));
        row->icon->adjustSize();
        return;
    }
    if (!Succeeded(Fkf->GetFolderDefinition(Fkfstruct))) Fkfstruct = {};
    row->FolderDefinition = Fkfstruct;

    QString name = QString::fromStdString(Fkfstruct.name);
    if (Fkfstruct.name == "Personal") name += QStringLiteral(" (My Documents)");
    SetAutoSizedText(row->lfoldername, name);

    Fkf->GetCategory(row->FolderCategory);
    Fkf->GetRedirectionCapabilities(row->FolderRedirectionCapability);
    Fkf->GetFolderType(row->FolderTypeID);

    row->ldescription->setText(QString::fromStdString(ResolveDescription(platform_, Fkfstruct.tooltip)));
    row->NameForScreenReaders(name);

    // A folder whose path cannot be read keeps an empty path and the arrow cursor.
    std::string path;
    if (!Succeeded(Fkf->GetPath(platform::kCurrentPathFlags, path))) path.clear();
    row->Path = path;
    const QString pathText = QString::fromStdString(path);
    row->ShowPathText(pathText);
    if (pathText.size() > 2) row->lfolderpath->setCursor(Qt::PointingHandCursor);

    row->icon->setPixmap(GetShellIcon(row->Path));
    row->icon->adjustSize();
}

QPixmap FolderCatalogue::GetShellIcon(const std::string& path) { return widgets::ShellIconPixmap(platform_, path); }

}  // namespace trovel::catalogue
