#include "cli/session.h"

#include <algorithm>

#include "cli/result_codes.h"
#include "platform/known_folder_ids.h"
#include "core/space/size_text.h"

namespace trovel::cli {

std::string Folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

bool Session::Open() {
    if (!platform::Succeeded(platform_.CreateKnownFolderManager(manager_)) || !manager_) return false;
    folders_ = catalogue::ReadFolderList(platform_, *manager_);
    for (const catalogue::FolderInfo& folder : folders_) {
        if (folder.id == platform::FOLDERID_Windows) systemDrive_ = platform_.DriveOf(folder.path);
        if (folder.id == platform::FOLDERID_Profile) profile_ = folder.path;
    }
    return true;
}

int Session::Usage(const std::string& message) {
    console_.err << "trovel-cli: " << message << "\n"
                 << Tr("Try") << " 'trovel-cli " << (command_.empty() ? "" : command_ + " ") << "--help'\n";
    return kUsageError;
}

namespace {

std::string CanonicalName(const catalogue::FolderInfo& folder) {
    return folder.definition.name.empty() ? folder.id.ToString() : folder.definition.name;
}

}  // namespace

std::string Session::Name(const catalogue::FolderInfo& folder) const {
    if (DesktopNaming())
        if (std::string name = platform_.FolderDisplayName(folder.id, Locale()); !name.empty()) return name;
    return CanonicalName(folder);
}

std::string Session::Key(const catalogue::FolderInfo& folder) const {
    return DesktopNaming() ? folder.definition.relativePath : std::string();
}

std::string Session::WhyNot(const catalogue::FolderInfo& folder) const {
    return Tr(CapabilityCode(folder.capability, folder.holdsKeptFolder).words);
}

std::optional<std::size_t> Session::Find(const std::string& text) const {
    const auto id = platform::Guid::Parse(text);
    for (std::size_t i = 0; i < folders_.size(); ++i) {
        const catalogue::FolderInfo& folder = folders_[i];
        if (id && folder.id == *id) return i;
        if (Folded(Name(folder)) == Folded(text) || Folded(CanonicalName(folder)) == Folded(text)) return i;
        if (!Key(folder).empty() && Folded(Key(folder)) == Folded(text)) return i;
    }
    return std::nullopt;
}

std::optional<std::vector<std::size_t>> Session::FindAll(const std::vector<std::string>& names, int& status) {
    if (names.empty()) {
        status = Usage(Tr("no folder named"));
        return std::nullopt;
    }
    std::vector<std::size_t> found;
    for (const std::string& name : names) {
        const auto index = Find(name);
        if (!index) {
            status = Usage(std::string(Tr("unknown folder")) + ": " + name);
            return std::nullopt;
        }
        if (std::find(found.begin(), found.end(), *index) == found.end()) found.push_back(*index);
    }
    return found;
}

std::int64_t Session::Measure(const catalogue::FolderInfo& folder, space::WalkCounters& counters) {
    const char separator = platform::PathSeparator(platform_.Style());
    std::vector<std::string> nested;
    for (const std::size_t inner : folder.nested) nested.push_back(folders_[inner].path + separator);
    return space::MeasureKnownFolder(platform_, folder.path, nested, counters);
}

std::string Session::SizeText(std::int64_t bytes) const {
    const space::SizeText text = space::SizeToStr(static_cast<long double>(bytes), Separator());
    return text.number + text.unit;
}

}  // namespace trovel::cli
