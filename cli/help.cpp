// The help of the program and of each command, in English; the catalogue has the translations.
#include "cli/help.h"

namespace trovel::cli {
namespace {

const char* EnglishHelp(const std::string& command) {
    if (command == "list")
        return TrLater("usage: trovel-cli list [--json]\n"
               "Every known folder: name (and xdg key on Linux), id, category, whether it can be\n"
               "relocated and why not, its current and default paths and the known folders inside it.\n");
    if (command == "drives")
        return TrLater("usage: trovel-cli drives [--all] [--json]\n"
               "The drives a folder may be relocated to, with label, free and total bytes;\n"
               "with --all also the drives left out and why. When none is offered it says why.\n");
    if (command == "size")
        return TrLater("usage: trovel-cli size [--json] [--] FOLDER...\n"
               "Size, folder and file counts of each folder as the wizard measures it (nested known\n"
               "folders and dot-folders left out), and the total.\n");
    if (command == "move")
        return TrLater("usage: trovel-cli move --to ROOT [--copy [--delete]] [--dry-run] [--json] [--] FOLDER...\n"
               "Relocates each folder below the drive root ROOT, at its default path's place there.\n"
               "  --to ROOT  the drive (see trovel-cli drives); also --to=ROOT\n"
               "  --copy     move the content along (checked to fit on the drive first)\n"
               "  --delete   then delete the old content (only with --copy)\n"
               "  --dry-run  check and print what would be done, change nothing\n"
               "Without --copy only the registered path changes, and only to a folder that exists.\n"
               "On a drive only an administrator may write, one administrator approval (pkexec) first\n"
               "makes the user's place there; where nobody can be asked, it prints the command an\n"
               "administrator can run instead (sudo trovel-cli prepare ROOT --for USER) and exits 1.\n"
               "Ctrl-C, SIGTERM or SIGHUP stops a content copy: that folder is rolled back, the rest\n"
               "are left alone, and the exit status is 130, 143 or 129.\n");
    if (command == "restore")
        return TrLater("usage: trovel-cli restore [--copy [--delete]] [--dry-run] [--json] [--] FOLDER...\n"
               "Registers each folder's default path again (created when missing); content stays where it is.\n"
               "  --copy     bring the content back too, as move does: checked to fit in the home first,\n"
               "             merged beside files of other names there; a file of the same name with other\n"
               "             content refuses the folder\n"
               "  --delete   then delete the old content, and the old folder once it is empty (only with --copy)\n"
               "  --dry-run  check and print what would be done, change nothing\n");
    if (command == "history")
        return TrLater("usage: trovel-cli history [--json] [--] [FOLDER...]\n"
               "Every move and restore, done or not, newest last: when, from where to where, with how\n"
               "many files, and what stayed at the old place. Without FOLDER, of every folder.\n");
    if (command == "recover")
        return TrLater("usage: trovel-cli recover [--json] [--] [FOLDER...]\n"
               "Settles the relocations a killed run left half done (list marks them \"interrupted\"):\n"
               "one that had not registered its new place is undone, one that had is finished. Without\n"
               "FOLDER, every interrupted one. A journal that cannot be trusted is set aside, untouched.\n"
               "A move with --copy does this first for its folders anyway.\n"
               "Exit status: 0 every folder is in order, 1 one was set aside, failed or is being\n"
               "relocated by another run, 2 an unknown folder.\n");
    if (command == "prepare")
        return TrLater("usage: trovel-cli prepare [--json] --for USER [--] ROOT\n"
               "As root: makes USER's place on the drive at ROOT (the home folder's path there), so that\n"
               "USER can relocate folders onto a drive only root may write. The folders above it belong\n"
               "to root (0755), the place itself to USER, as private as USER's home. Nothing that\n"
               "exists is changed. The drive must be one the drives command would offer.\n"
               "Exit status: 0 made or already there, 2 a usage error, 3 not root, 4 unknown user,\n"
               "5 not a local fixed drive, 6 not mounted at boot, 7 the home's or the boot drive,\n"
               "8 not the user's place, 9 a link on the path, 10 the drive changed, 11 cannot create.\n");
    return TrLater("usage: trovel-cli COMMAND [OPTIONS] [--] [FOLDER...]\n"
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
           "  prepare   as root: make a user's place on a drive only root may write\n"
           "FOLDER is a name as list shows it (\"Music\"; \"My Music\" too), an xdg key (MUSIC) or an id,\n"
           "in any case. Each command takes only its own options; -- ends the options.\n"
           "trovel-cli COMMAND --help tells more, and man trovel-cli everything.\n"
           "Exit status: 0 every folder succeeded, 1 some failed, 2 a usage error,\n"
           "130 or 143 a move stopped by SIGINT or SIGTERM.\n");
}

}  // namespace

std::string HelpText(const std::string& command) { return Tr(EnglishHelp(command)); }

}  // namespace trovel::cli
