// The help of the program and of each command, in English and in Hungarian.
#include "cli/help.h"

namespace trovel::cli {
namespace {

std::string EnglishHelp(const std::string& command) {
    if (command == "list")
        return "usage: trovel-cli list [--json]\n"
               "Every known folder: name (and xdg key on Linux), id, category, whether it can be\n"
               "relocated and why not, its current and default paths and the known folders inside it.\n";
    if (command == "drives")
        return "usage: trovel-cli drives [--all] [--json]\n"
               "The drives a folder may be relocated to, with label, free and total bytes;\n"
               "with --all also the drives left out and why. When none is offered it says why.\n";
    if (command == "size")
        return "usage: trovel-cli size [--json] [--] FOLDER...\n"
               "Size, folder and file counts of each folder as the wizard measures it (nested known\n"
               "folders and dot-folders left out), and the total.\n";
    if (command == "move")
        return "usage: trovel-cli move --to ROOT [--copy [--delete]] [--dry-run] [--json] [--] FOLDER...\n"
               "Relocates each folder below the drive root ROOT, at its default path's place there.\n"
               "  --to ROOT  the drive (see trovel-cli drives); also --to=ROOT\n"
               "  --copy     move the content along (checked to fit on the drive first)\n"
               "  --delete   then delete the old content (only with --copy)\n"
               "  --dry-run  check and print what would be done, change nothing\n"
               "Without --copy only the registered path changes, and only to a folder that exists.\n"
               "Ctrl-C, SIGTERM or SIGHUP stops a content copy: that folder is rolled back, the rest\n"
               "are left alone, and the exit status is 130, 143 or 129.\n";
    if (command == "restore")
        return "usage: trovel-cli restore [--copy [--delete]] [--dry-run] [--json] [--] FOLDER...\n"
               "Registers each folder's default path again (created when missing); content stays where it is.\n"
               "  --copy     bring the content back too, as move does: checked to fit in the home first,\n"
               "             merged beside files of other names there; a file of the same name with other\n"
               "             content refuses the folder\n"
               "  --delete   then delete the old content, and the old folder once it is empty (only with --copy)\n"
               "  --dry-run  check and print what would be done, change nothing\n";
    if (command == "history")
        return "usage: trovel-cli history [--json] [--] [FOLDER...]\n"
               "Every move and restore, done or not, newest last: when, from where to where, with how\n"
               "many files, and what stayed at the old place. Without FOLDER, of every folder.\n";
    if (command == "recover")
        return "usage: trovel-cli recover [--json] [--] [FOLDER...]\n"
               "Settles the relocations a killed run left half done (list marks them \"interrupted\"):\n"
               "one that had not registered its new place is undone, one that had is finished. Without\n"
               "FOLDER, every interrupted one. A journal that cannot be trusted is set aside, untouched.\n"
               "A move with --copy does this first for its folders anyway.\n"
               "Exit status: 0 every folder is in order, 1 one was set aside, failed or is being\n"
               "relocated by another run, 2 an unknown folder.\n";
    return "usage: trovel-cli COMMAND [OPTIONS] [--] [FOLDER...]\n"
           "       trovel-cli --help | --version\n"
           "Moves the special folders (Documents, Music, ...) to another drive and back, by the\n"
           "rules of the Trovel wizard.\n"
           "  list      the known folders\n"
           "  drives    the drives they may go to\n"
           "  size      how large folders are\n"
           "  move      relocate folders to a drive\n"
           "  restore   put folders back at their default paths\n"
           "  recover   undo or finish a relocation that was killed halfway\n"
           "  history   every move and restore, newest last\n"
           "FOLDER is a name as list shows it (\"Music\"; \"My Music\" too), an xdg key (MUSIC) or an id,\n"
           "in any case. Each command takes only its own options; -- ends the options.\n"
           "trovel-cli COMMAND --help tells more, and man trovel-cli everything.\n"
           "Exit status: 0 every folder succeeded, 1 some failed, 2 a usage error,\n"
           "130 or 143 a move stopped by SIGINT or SIGTERM.\n";
}

std::string HungarianHelp(const std::string& command) {
    if (command == "list")
        return "használat: trovel-cli list [--json]\n"
               "Minden speciális mappa: név (Linuxon az xdg-kulcs is), azonosító, kategória, áthelyezhető-e\n"
               "és ha nem, miért, a jelenlegi és az alapértelmezett útvonala, és a benne lévő speciális mappák.\n";
    if (command == "drives")
        return "használat: trovel-cli drives [--all] [--json]\n"
               "A meghajtók, amelyekre mappa áthelyezhető, címkével, szabad és teljes mérettel (bájtban);\n"
               "--all mellett a kihagyott meghajtók is, okkal. Ha egy sem választható, megmondja, miért.\n";
    if (command == "size")
        return "használat: trovel-cli size [--json] [--] MAPPA...\n"
               "Minden mappa mérete, mappáinak és fájljainak száma úgy, ahogy a varázsló méri (a benne\n"
               "lévő speciális mappák és a ponttal kezdődő mappák nélkül), és az összeg.\n";
    if (command == "move")
        return "használat: trovel-cli move --to GYÖKÉR [--copy [--delete]] [--dry-run] [--json] [--] MAPPA...\n"
               "Minden mappát a GYÖKÉR meghajtóra helyez át, az alapértelmezett útvonalának megfelelő helyre.\n"
               "  --to GYÖKÉR  a meghajtó (lásd: trovel-cli drives); --to=GYÖKÉR is lehet\n"
               "  --copy       a tartalom is költözik (előbb ellenőrzi, hogy elfér-e)\n"
               "  --delete     utána törli a régi tartalmat (csak --copy mellett)\n"
               "  --dry-run    ellenőrzi és kiírja, mi történne, de semmit sem változtat\n"
               "--copy nélkül csak a nyilvántartott útvonal változik, és csak létező mappára.\n"
               "A Ctrl-C, a SIGTERM és a SIGHUP leállítja a másolást: az éppen másolt mappa változatlan\n"
               "marad, a többihez nem nyúl, a kilépési kód 130, 143 vagy 129.\n";
    if (command == "restore")
        return "használat: trovel-cli restore [--copy [--delete]] [--dry-run] [--json] [--] MAPPA...\n"
               "Minden mappának újra az alapértelmezett útvonalát jegyzi be (ha hiányzik, létrehozza);\n"
               "a tartalom ott marad, ahol van.\n"
               "  --copy     a tartalom is visszakerül, ahogy a move viszi: előbb ellenőrzi, hogy elfér-e,\n"
               "             a más nevű fájlok mellé kerül; azonos nevű, más tartalmú fájl miatt a mappát\n"
               "             elutasítja\n"
               "  --delete   utána törli a régi tartalmat, és az üresen maradt régi mappát (csak --copy mellett)\n"
               "  --dry-run  ellenőrzi és kiírja, mi történne, de semmit sem változtat\n";
    if (command == "history")
        return "használat: trovel-cli history [--json] [--] [MAPPA...]\n"
               "Minden áthelyezés és visszahelyezés, sikeres vagy sem, a legújabb a végén: mikor, honnan\n"
               "hová, hány fájllal, és mi maradt a régi helyen. MAPPA nélkül minden mappáé.\n";
    if (command == "recover")
        return "használat: trovel-cli recover [--json] [--] [MAPPA...]\n"
               "Rendezi a félbeszakadt áthelyezéseket (a list \"megszakadt\" jelzéssel mutatja őket):\n"
               "amelyik még nem jegyezte be az új helyet, azt visszavonja, amelyik már igen, azt befejezi.\n"
               "MAPPA nélkül mindet. A megbízhatatlan naplót félreteszi, és semmihez sem nyúl.\n"
               "A --copy kapcsolós move ezt mappáira mindenképp elvégzi előbb.\n"
               "Kilépési kód: 0 minden mappa rendben, 1 egy naplót félretett, sikertelen volt vagy egy\n"
               "másik futás helyezi át, 2 ismeretlen mappa.\n";
    return "használat: trovel-cli PARANCS [KAPCSOLÓK] [--] [MAPPA...]\n"
           "           trovel-cli --help | --version\n"
           "A speciális mappákat (Dokumentumok, Zene, ...) másik meghajtóra helyezi át és vissza,\n"
           "a Trovel varázsló szabályai szerint.\n"
           "  list      a speciális mappák\n"
           "  drives    a meghajtók, ahová kerülhetnek\n"
           "  size      a mappák mérete\n"
           "  move      mappák áthelyezése egy meghajtóra\n"
           "  restore   mappák visszahelyezése az alapértelmezett útvonalukra\n"
           "  recover   félbeszakadt áthelyezés visszavonása vagy befejezése\n"
           "  history   minden áthelyezés és visszahelyezés, a legújabb a végén\n"
           "A MAPPA a neve, ahogy a list mutatja (\"Zene\"; \"My Music\" is), az xdg-kulcsa (MUSIC) vagy\n"
           "az azonosítója, kis- és nagybetűtől függetlenül. Minden parancs csak a saját kapcsolóit fogadja el;\n"
           "a -- után nincs több kapcsoló. Bővebben: trovel-cli PARANCS --help és man trovel-cli.\n"
           "Kilépési kód: 0 minden mappa sikerült, 1 valamelyik nem, 2 hibás használat,\n"
           "130 vagy 143 a SIGINT vagy a SIGTERM leállította az áthelyezést.\n";
}

}  // namespace

std::string HelpText(const std::string& command, Language language) {
    return language == Language::Hungarian ? HungarianHelp(command) : EnglishHelp(command);
}

}  // namespace trovel::cli
