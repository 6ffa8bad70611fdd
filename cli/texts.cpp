#include "cli/texts.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <string_view>

namespace trovel::cli {

Language LanguageFromEnvironment() {
    // LANGUAGE is a list of preferences ("hu:en"); its first one decides, as the others' value does.
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0' || *value == ':') continue;
        return std::strncmp(value, "hu", 2) == 0 ? Language::Hungarian : Language::English;
    }
    return Language::English;
}

const char* Say(Language language, const char* english) {
    static const std::map<std::string_view, const char*> kHungarian = {
        {"unknown command", "ismeretlen parancs"},
        {"unknown option", "ismeretlen kapcsoló"},
        {"unknown folder", "ismeretlen mappa"},
        {"unknown drive (see: trovel-cli drives --all)", "ismeretlen meghajtó (lásd: trovel-cli drives --all)"},
        {"no folder named", "nincs megnevezett mappa"},
        {"--to needs a drive root", "a --to után meghajtó kell"},
        {"--delete needs --copy", "a --delete csak a --copy kapcsolóval együtt használható"},
        {"the known-folder registry cannot be opened", "a speciális mappák nyilvántartása nem nyitható meg"},
        {"not relocatable", "nem helyezhető át"},
        {"holds the home folder or the desktop's own folders", "a saját mappát vagy az asztal saját mappáit tartalmazza"},
        {"denied by policy", "házirend tiltja"},
        {"redirected by policy", "házirend irányítja át"},
        {"no permission", "nincs jogosultság"},
        {"left out", "nem választható"},
        {"the content does not fit on the drive", "a tartalom nem fér el a meghajtón"},
        {"relocated with its content", "áthelyezve a tartalmával"},
        {"redirected", "átirányítva"},
        {"restored", "visszahelyezve"},
        {"failed", "sikertelen"},
        {"skipped: the destination folder does not exist", "kihagyva: a célmappa nem létezik"},
        {"skipped: stopped", "kihagyva: leállítva"},
        {"stopped; this folder was rolled back", "leállítva; a mappa változatlan maradt"},
        {"would relocate", "áthelyezné"},
        {"already there", "már ott van"},
        {"relocatable", "áthelyezhető"},
        {"path", "hely"},
        {"default", "alapértelmezett"},
        {"nested", "benne lévő"},
        {"left", "hátra"},
        {"total", "összesen"},
        {"folders", "mappa"},
        {"interrupted", "megszakadt"},
        {"no interrupted relocation", "nincs megszakadt áthelyezés"},
        {"nothing to recover", "nincs teendő"},
        {"undone; the folder is where it was", "visszavonva; a mappa a régi helyén van"},
        {"finished; the folder is at its new place", "befejezve; a mappa az új helyén van"},
        {"its journal was set aside, nothing was touched", "a naplóját félretettem, semmihez sem nyúltam"},
        {"another run is relocating this folder", "egy másik futás éppen áthelyezi ezt a mappát"},
        {"files", "fájl"},
        {"folder", "mappa"},
        {"file", "fájl"},
        {"Try", "Bővebben:"},
        {"takes no value", "nem kaphat értéket"},
        {"option not accepted", "ez a kapcsoló itt nem használható"},
        {"unexpected argument", "fölösleges argumentum"},
        {"missing value (a drive root)", "hiányzik az értéke (egy meghajtó gyökere)"},
        {"given more than once", "többször is meg van adva"},
        {"cannot write to standard output", "nem sikerült írni a szabványos kimenetre"},
        {"no drive is offered", "nincs választható meghajtó"},
        {"a drive is offered when it is local, fixed, writable and mounted at boot, and holds neither the system nor the "
         "home folder",
         "az a meghajtó választható, amely helyi, fix, írható és induláskor csatolt, és nem a rendszeré vagy a saját "
         "mappáé"},
        {"the system's drive", "a rendszer meghajtója"},
        {"not a local fixed drive", "nem helyi, fix meghajtó"},
        {"failed: the folder has no default path", "sikertelen: a mappának nincs alapértelmezett helye"},
        {"failed: other content is at the destination", "sikertelen: a célhelyen más tartalom van"},
        {"failed: an interrupted relocation is not settled", "sikertelen: egy megszakadt áthelyezés nincs lezárva"},
        {"refused", "elutasítva"},
        {"register the path only", "csak az útvonal bejegyzése"},
        {"move the content", "a tartalom áthelyezése"},
        {"copy the content", "a tartalom másolása"},
        {"restored with its content", "visszahelyezve a tartalmával"},
        {"would restore", "visszahelyezné"},
        {"failed: the folder's present place cannot be reached (is its drive mounted?)",
         "sikertelen: a mappa mostani helye nem érhető el (csatolva van a meghajtója?)"},
        {"the content does not fit in the home folder", "a tartalom nem fér el a saját mappában"},
        {"move", "áthelyezés"},
        {"restore", "visszahelyezés"},
        {"with content", "a tartalommal"},
        {"without content", "a tartalom nélkül"},
        {"done", "kész"},
        {"cancelled", "leállítva"},
        {"left at the old place", "a régi helyen maradt"},
        {"content left at", "a tartalma itt maradt"},
    };
    if (language == Language::English) return english;
    const auto it = kHungarian.find(english);
    return it == kHungarian.end() ? english : it->second;
}

}  // namespace trovel::cli
