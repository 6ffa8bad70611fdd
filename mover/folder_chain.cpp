#include "mover/folder_chain.h"

#include <cerrno>

namespace trovel::relocation {

std::pair<std::string, std::string> SplitPlace(const std::string& relative) {
    const auto slash = relative.rfind('/');
    if (slash == std::string::npos) return {std::string(), relative};
    return {relative.substr(0, slash), relative.substr(slash + 1)};
}

FolderChain::Identity FoldersRecordedAs(std::function<const ObjectId*(const std::string& place)> find) {
    auto expected = std::make_shared<platform::FileInfo>();
    expected->kind = platform::FileKind::Directory;
    return [find = std::move(find), expected](const std::string& place) -> const platform::FileInfo* {
        const ObjectId* recorded = find(place);
        if (recorded == nullptr) return nullptr;
        expected->device = recorded->device;
        expected->inode = recorded->inode;
        return expected.get();
    };
}

FolderChain::FolderChain(platform::FileOps& ops, platform::HeldFolder root, Identity identity)
    : ops_(ops), root_(root), identity_(std::move(identity)) {}

FolderChain::~FolderChain() { Reset(); }

void FolderChain::Reset() {
    for (auto& [place, folder] : chain_) ops_.Close(folder);
    chain_.clear();
}

int FolderChain::Open(const std::string& place, platform::HeldFolder& folder) {
    folder = {};
    if (place.empty()) {
        folder = root_;
        return 0;
    }
    // Keep the levels that lead to `place`; close the rest.
    std::size_t kept = 0;
    while (kept < chain_.size()) {
        const std::string& held = chain_[kept].first;
        if (!(place == held || (place.size() > held.size() && place.compare(0, held.size(), held) == 0 &&
                                place[held.size()] == '/')))
            break;
        ++kept;
    }
    while (chain_.size() > kept) {
        ops_.Close(chain_.back().second);
        chain_.pop_back();
    }
    std::size_t start = chain_.empty() ? 0 : chain_.back().first.size() + 1;
    while (start <= place.size()) {
        std::size_t slash = place.find('/', start);
        if (slash == std::string::npos) slash = place.size();
        const std::string step = place.substr(0, slash);
        const platform::FileInfo* expected = identity_(step);
        if (expected == nullptr) return ENOENT;
        platform::HeldFolder parent = chain_.empty() ? root_ : chain_.back().second;
        platform::HeldFolder next;
        if (const int error = ops_.OpenChild(parent, place.substr(start, slash - start), *expected, next); error != 0)
            return error;
        chain_.emplace_back(step, next);
        start = slash + 1;
    }
    folder = chain_.back().second;
    return 0;
}

bool FolderChain::StillInPlace(const std::string& place) {
    if (place.empty()) return true;
    if (chain_.empty() || chain_.back().first != place) return false;
    platform::HeldFolder parent = root_;
    std::size_t start = 0;
    for (const auto& [step, folder] : chain_) {
        const platform::FileInfo* expected = identity_(step);
        platform::FileInfo now;
        if (expected == nullptr || ops_.Stat(parent, step.substr(start), now) != 0 ||
            now.kind != platform::FileKind::Directory || !now.SameObjectAs(*expected))
            return false;
        parent = folder;
        start = step.size() + 1;
    }
    return true;
}

}  // namespace trovel::relocation
