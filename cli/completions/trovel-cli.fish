# fish completion for trovel-cli: commands, each command's options, folders and drives.
# Folders and drives come from trovel-cli itself, so they are the ones it would accept now.

set -l commands list drives size move restore recover history prepare
complete -c trovel-cli -f

complete -c trovel-cli -n "not __fish_seen_subcommand_from $commands" -a list -d 'the known folders'
complete -c trovel-cli -n "not __fish_seen_subcommand_from $commands" -a drives -d 'the drives they may go to'
complete -c trovel-cli -n "not __fish_seen_subcommand_from $commands" -a size -d 'how large folders are'
complete -c trovel-cli -n "not __fish_seen_subcommand_from $commands" -a move -d 'relocate folders to a drive'
complete -c trovel-cli -n "not __fish_seen_subcommand_from $commands" -a restore -d 'put folders back at their default paths'
complete -c trovel-cli -n "not __fish_seen_subcommand_from $commands" -a recover -d 'undo or finish a relocation killed halfway'
complete -c trovel-cli -n "not __fish_seen_subcommand_from $commands" -a history -d 'every move and restore, newest last'
complete -c trovel-cli -n "not __fish_seen_subcommand_from $commands" -a prepare -d "make a user's place on a drive (administrator)"
complete -c trovel-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'show the name and version'
complete -c trovel-cli -l help -d 'show the help'

complete -c trovel-cli -n "__fish_seen_subcommand_from list drives size move restore recover history prepare" -l json -d 'print JSON'
complete -c trovel-cli -n "__fish_seen_subcommand_from drives" -l all -d 'also the drives left out, and why'
complete -c trovel-cli -n "__fish_seen_subcommand_from move" -l to -x -a "(trovel-cli __complete drives 2>/dev/null)" -d 'the drive root to move to'
complete -c trovel-cli -n "__fish_seen_subcommand_from move restore" -l copy -d 'move the content along'
complete -c trovel-cli -n "__fish_seen_subcommand_from move restore" -l delete -d 'then delete the old content'
complete -c trovel-cli -n "__fish_seen_subcommand_from move restore" -l dry-run -d 'check and print what would be done'
complete -c trovel-cli -n "__fish_seen_subcommand_from size move restore recover history" -a "(trovel-cli __complete folders 2>/dev/null)"
complete -c trovel-cli -n "__fish_seen_subcommand_from prepare" -l for -x -a "(__fish_complete_users)" -d 'the user to prepare the drive for'
complete -c trovel-cli -n "__fish_seen_subcommand_from prepare" -a "(trovel-cli __complete drives 2>/dev/null)"
