// history: the record of moves and restores, newest last; and what list tells of content a
// restore without it left behind.
#include <ostream>

#include "cli/json.h"
#include "cli/session.h"

namespace trovel::cli {
namespace {

// The record's own words (its operation and outcome), for the catalogue: they are shown through Tr.
[[maybe_unused]] constexpr const char* kRecordWords[] = {TrLater("move"), TrLater("restore"), TrLater("done"),
                                                         TrLater("refused"), TrLater("failed"), TrLater("cancelled")};

}  // namespace
namespace {

// Whether a record is of `folder`: by its key where it has one, else by its canonical name.
bool IsOf(Session& session, const platform::RelocationRecord& record, const catalogue::FolderInfo& folder) {
    const std::string key = session.Key(folder);
    return key.empty() ? record.name == folder.definition.name : record.key == key;
}

}  // namespace

std::string ContentLeftBehind(Session& session, const catalogue::FolderInfo& folder,
                              const std::vector<platform::RelocationRecord>& records) {
    // Only the newest relocation counts: a later move or restore took the content along, or not.
    const platform::RelocationRecord* last = platform::LastDone(records, session.Key(folder), folder.definition.name);
    if (last == nullptr || last->operation != "restore" || last->content || last->left.empty()) return {};
    const std::uint32_t attributes = session.platform().FileAttributes(last->left.front());
    if (attributes == platform::kInvalidAttributes || (attributes & platform::kAttributeDirectory) == 0) return {};
    return last->left.front();
}

int History(Session& session, const Request& request) {
    int status = kSucceeded;
    std::optional<std::vector<std::size_t>> found = std::vector<std::size_t>{};
    if (!request.folders.empty()) found = session.FindAll(request.folders, status);
    if (!found) return status;
    const std::vector<platform::RelocationRecord> records = session.manager().RelocationHistory();
    std::ostream& out = session.Out();
    JsonLines lines;
    for (const platform::RelocationRecord& record : records) {
        const catalogue::FolderInfo* folder = nullptr;
        for (const catalogue::FolderInfo& each : session.folders())
            if (IsOf(session, record, each)) folder = &each;
        if (!request.folders.empty()) {
            bool named = false;
            for (const std::size_t index : *found) named = named || &session.folders()[index] == folder;
            if (!named) continue;
        }
        const std::string name = folder != nullptr ? session.Name(*folder) : record.name;
        if (request.json) {
            lines.Add(JsonObject()
                          .Text("time", record.time)
                          .Text("name", name)
                          .Text("key", record.key)
                          .Text("operation", record.operation)
                          .Text("from", record.from)
                          .Text("to", record.to)
                          .Flag("content", record.content)
                          .Number("files", static_cast<std::int64_t>(record.files))
                          .Number("bytes", static_cast<std::int64_t>(record.bytes))
                          .Text("outcome", record.outcome)
                          .Text("code", record.code)
                          .Raw("left", JsonTextArray(record.left))
                          .Text("drive", record.drive)
                          .str());
            continue;
        }
        out << record.time << "  " << name << "  " << Tr(record.operation.c_str()) << "  " << record.from
            << " -> " << record.to << "  ";
        if (record.content)
            out << Tr("with content") << ", " << session.Count(record.files) << " " << TrN("file", "files", static_cast<unsigned long>(record.files)) << ", "
                << session.SizeText(static_cast<std::int64_t>(record.bytes));
        else
            out << Tr("without content");
        out << "  " << Tr(record.outcome.c_str());
        if (record.code != "ok") out << " (" << record.code << ")";
        out << "\n";
        for (const std::string& left : record.left) out << "  " << Tr("left at the old place") << ": " << left << "\n";
    }
    if (request.json) out << lines.str() << "\n";
    return kSucceeded;
}

}  // namespace trovel::cli
