#include "core/relocation/outcome_text.h"

#include <cctype>

#include "platform/messages.h"

namespace trovel::relocation {
namespace {

using platform::Fill;
using platform::Tr;

// A sentence ends in a full stop, once.
std::string Sentence(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (!text.empty() && text.back() != '.' && text.back() != '!' && text.back() != '?') text += '.';
    return text;
}

// The cause, with the mover's own words after it when they say more.
std::string Told(const std::string& lead, const std::string& errorText) {
    if (errorText.empty()) return Sentence(lead);
    return Sentence(lead) + " " + Sentence(errorText);
}

OutcomeLine Line(std::string brief, std::string full, bool success) {
    OutcomeLine line;
    line.brief = Sentence(std::move(brief));
    line.full = Sentence(std::move(full));
    line.success = success;
    return line;
}

// Why a call that failed before its first write refused the folder, by what it returned.
std::string RefusalCause(const FolderResult& result) {
    switch (result.call) {
        case platform::kDiskFull: return Tr("there is not enough room on the drive");
        case platform::kAlreadyExists: return Tr("something of this name is already at the destination");
        case platform::kBusy: return Tr("another run is relocating this very folder");
        case platform::kInterruptedRun: return Tr("an earlier, interrupted relocation is not settled yet");
        case platform::kPathNotFound:
        case platform::kFileNotFound: return Tr("the folder or the destination cannot be found");
        default: break;
    }
    if (!result.errorText.empty()) return CauseOf(result.errorText);
    return Tr("the system did not allow it");
}

}  // namespace

std::string CauseOf(const std::string& text) {
    const std::size_t colon = text.find(": ");
    std::string cause = colon == std::string::npos ? text : text.substr(0, colon);
    while (!cause.empty() && (cause.back() == '.' || cause.back() == ' ')) cause.pop_back();
    if (!cause.empty() && static_cast<unsigned char>(cause[0]) < 0x80) cause[0] = static_cast<char>(std::tolower(cause[0]));
    return cause;
}

OutcomeLine RelocationLine(const FolderResult& result, const RunContext& context) {
    if (context.notStarted)
        return Line(Tr("Not started: you stopped the run"),
                    Tr("The folder's relocation did not start because you stopped the run; the folder stayed where it was"),
                    false);
    switch (result.outcome) {
        case FolderOutcome::RelocatedWithContent: {
            // A move that left something behind at the old place says so in its own words.
            if (!result.errorText.empty()) {
                const std::size_t semicolon = result.errorText.find("; ");
                const std::string rest =
                    semicolon == std::string::npos ? result.errorText : result.errorText.substr(semicolon + 2);
                return Line(Fill(Tr("Relocated, but %1"), {CauseOf(rest)}),
                            Fill(Tr("Relocated with its content to %1"), {result.destination}) + ". " + result.errorText,
                            true);
            }
            return Line(Tr("Relocated with its content"),
                        Fill(Tr("Relocated with its content to %1"), {result.destination}), true);
        }
        case FolderOutcome::Redirected:
            return Line(Tr("Redirected; the content stayed at the old place"),
                        Fill(Tr("Redirected to %1; its content was not copied"), {result.destination}), true);
        case FolderOutcome::AlreadyThere:
            return Line(Tr("Already in place; nothing needed doing"),
                        Fill(Tr("The folder was already at %1; nothing needed doing"), {result.destination}), true);
        case FolderOutcome::Skipped:
            if (!context.copy && !result.destination.empty())
                return Line(Tr("Skipped: the folder is not on the drive"),
                            Fill(Tr("Skipped: without its content a folder can only be redirected to a folder that "
                                    "exists, and this one does not: %1"),
                                 {result.destination}),
                            false);
            return Line(Tr("Skipped"), Tr("Skipped: there was nothing to do for this folder"), false);
        case FolderOutcome::Checked:
            return Line(Tr("Checked; nothing changed"), Tr("The check passed; nothing changed"), false);
        case FolderOutcome::Failed: break;
    }
    if (result.raised)
        return Line(Fill(Tr("Error: %1"),
                         {result.errorText.empty() ? std::string(Tr("the system reported an error")) : CauseOf(result.errorText)}),
                    Told(Tr("The relocation stopped with an error"), result.errorText), false);
    if (result.destination.empty())
        return Line(Tr("Refused: the new place cannot be determined"),
                    Tr("Refused: neither the folder's default place nor so its new place can be determined; nothing "
                       "changed"),
                    false);
    if (result.call == platform::kCancelled)
        return Line(Tr("Rolled back: you stopped the copy"),
                    Told(Tr("Rolled back: you stopped the copy, and the folder stayed at its original place"),
                         result.errorText),
                    false);
    if (!context.copy)
        return Line(Fill(Tr("Could not redirect: %1"), {RefusalCause(result)}),
                    Told(Tr("The redirection failed; nothing changed"), result.errorText), false);
    if (result.call == platform::kFail)
        return Line(Fill(Tr("Rolled back: %1"), {result.errorText.empty() ? std::string(Tr("an error during the copy"))
                                                                         : CauseOf(result.errorText)}),
                    Told(Tr("Rolled back: an error happened during the copy, and the folder stayed at its original place"),
                         result.errorText),
                    false);
    return Line(Fill(Tr("Refused: %1"), {RefusalCause(result)}),
                Told(Fill(Tr("Refused before anything changed: %1"), {RefusalCause(result)}), result.errorText), false);
}

OutcomeLine RestoreLine(const FolderResult& result) {
    if (result.outcome == FolderOutcome::Redirected)
        return Line(Tr("Put back at its original place"),
                    Fill(Tr("Put back at its original place: %1"), {result.destination}), true);
    if (result.destination.empty())
        return Line(Tr("Refused: the original place cannot be determined"),
                    Tr("Refused: the folder's original place cannot be determined; nothing changed"), false);
    return Line(Fill(Tr("Could not put back: %1"), {RefusalCause(result)}),
                Told(Fill(Tr("Could not put back at %1; nothing changed"), {result.destination}), result.errorText),
                false);
}

}  // namespace trovel::relocation
