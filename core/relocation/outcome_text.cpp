#include "core/relocation/outcome_text.h"

#include <cctype>

namespace trovel::relocation {
namespace {

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
        case platform::kDiskFull: return "nincs elég hely a meghajtón";
        case platform::kAlreadyExists: return "a célhelyen már van valami ezen a néven";
        case platform::kBusy: return "egy másik futás éppen ezt a mappát helyezi át";
        case platform::kInterruptedRun: return "egy korábbi, megszakadt áthelyezés még nincs rendezve";
        case platform::kPathNotFound:
        case platform::kFileNotFound: return "a mappa vagy a célhely nem található";
        default: break;
    }
    if (!result.errorText.empty()) return CauseOf(result.errorText);
    return "a rendszer nem engedte";
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
        return Line("Nem kezdődött el: a műveletet megszakította",
                    "A mappa áthelyezése nem kezdődött el, mert a műveletet megszakította; a mappa a helyén maradt", false);
    switch (result.outcome) {
        case FolderOutcome::RelocatedWithContent: {
            // A move that left something behind at the old place says so in its own words.
            if (!result.errorText.empty()) {
                const std::size_t semicolon = result.errorText.find("; ");
                const std::string rest =
                    semicolon == std::string::npos ? result.errorText : result.errorText.substr(semicolon + 2);
                return Line("Áthelyezve, de " + CauseOf(rest),
                            "Áthelyezve a tartalmával együtt ide: " + result.destination + ". " + result.errorText, true);
            }
            return Line("Áthelyezve a tartalmával együtt",
                        "Áthelyezve a tartalmával együtt ide: " + result.destination, true);
        }
        case FolderOutcome::Redirected:
            return Line("Átirányítva, a tartalom a régi helyén maradt",
                        "Átirányítva ide: " + result.destination + "; a tartalmát nem másolta át", true);
        case FolderOutcome::AlreadyThere:
            return Line("Már a helyén volt, nem kellett tenni semmit",
                        "A mappa már itt volt: " + result.destination + "; nem kellett tenni semmit", true);
        case FolderOutcome::Skipped:
            if (!context.copy && !result.destination.empty())
                return Line("Kihagyva: a mappa nincs meg a meghajtón",
                            "Kihagyva: tartalom nélkül csak meglévő mappára irányítható át, és ez nincs meg: " +
                                result.destination,
                            false);
            return Line("Kihagyva", "Kihagyva: ehhez a mappához nem volt teendő", false);
        case FolderOutcome::Checked:
            return Line("Ellenőrizve, nem változott semmi", "Az ellenőrzés rendben; nem változott semmi", false);
        case FolderOutcome::Failed: break;
    }
    if (result.raised)
        return Line("Hiba: " + (result.errorText.empty() ? std::string("a rendszer hibát jelzett") : CauseOf(result.errorText)),
                    Told("Az áthelyezés hibával megszakadt", result.errorText), false);
    if (result.destination.empty())
        return Line("Elutasítva: az új hely nem határozható meg",
                    "Elutasítva: a mappa alapértelmezett helye, és így az új helye sem határozható meg; semmi sem változott",
                    false);
    if (result.call == platform::kCancelled)
        return Line("Visszavonva: a másolást megszakította",
                    Told("Visszavonva: a másolást megszakította, a mappa az eredeti helyén maradt", result.errorText),
                    false);
    if (!context.copy)
        return Line("Nem sikerült átirányítani: " + RefusalCause(result),
                    Told("Az átirányítás nem sikerült, semmi sem változott", result.errorText), false);
    if (result.call == platform::kFail)
        return Line("Visszavonva: " +
                        (result.errorText.empty() ? std::string("hiba a másolás közben") : CauseOf(result.errorText)),
                    Told("Visszavonva: hiba történt a másolás közben, a mappa az eredeti helyén maradt",
                         result.errorText),
                    false);
    return Line("Elutasítva: " + RefusalCause(result),
                Told("Elutasítva, mielőtt bármi változott volna: " + RefusalCause(result), result.errorText), false);
}

OutcomeLine RestoreLine(const FolderResult& result) {
    if (result.outcome == FolderOutcome::Redirected)
        return Line("Visszahelyezve az eredeti helyére", "Visszahelyezve az eredeti helyére: " + result.destination, true);
    if (result.destination.empty())
        return Line("Elutasítva: az eredeti hely nem határozható meg",
                    "Elutasítva: a mappa eredeti helye nem határozható meg; semmi sem változott", false);
    return Line("Nem sikerült visszahelyezni: " + RefusalCause(result),
                Told("Nem sikerült visszahelyezni ide: " + result.destination + "; semmi sem változott",
                     result.errorText),
                false);
}

}  // namespace trovel::relocation
