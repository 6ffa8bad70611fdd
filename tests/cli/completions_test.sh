#!/usr/bin/env bash
# The shell completions, loaded the way each shell loads them in a child shell, completing
# against the built trovel-cli on a scratch home. Usage: completions_test.sh SHELL TROVEL_CLI COMPLETIONS_DIR
# Exits 77 (skipped) when the shell is not installed.
set -euo pipefail
shell=$1 cli=$2 completions=$3
command -v "$shell" >/dev/null || { echo "$shell is not installed (Debian package $shell); skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/home/.config" "$work/home/Music" "$work/home/Videos"
ln -s "$cli" "$work/bin/trovel-cli"
printf 'XDG_MUSIC_DIR="$HOME/Music"\nXDG_VIDEOS_DIR="$HOME/Videos"\n' > "$work/home/.config/user-dirs.dirs"
export PATH="$work/bin:$PATH" HOME="$work/home" LANG=C
unset XDG_CONFIG_HOME XDG_STATE_HOME LANGUAGE LC_ALL LC_MESSAGES
failed=0
expect() {  # what, got, wanted
    if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAILED: $1: got [$2], wanted [$3]"; failed=1; fi
}

case $shell in
bash)
    # As bash-completion does on demand: source the file, then ask what it registered.
    expect "complete -p" "$(bash --norc --noprofile -c "source '$completions/trovel-cli.bash' && complete -p trovel-cli")" \
        "complete -F _trovel_cli trovel-cli"
    complete_line() {  # the words typed, the last one being completed
        bash --norc --noprofile -c "source '$completions/trovel-cli.bash'
            COMP_WORDS=($1); COMP_CWORD=\$((\${#COMP_WORDS[@]} - 1))
            [[ '$1' == *' ' ]] && { COMP_WORDS+=(''); COMP_CWORD=\${#COMP_WORDS[@]}-1; }
            _trovel_cli; printf '%s\n' \"\${COMPREPLY[@]}\"" | sort | tr '\n' ' ' | sed 's/ $//'
    }
    expect "commands" "$(complete_line 'trovel-cli re')" "recover restore"
    expect "list's options" "$(complete_line 'trovel-cli list --')" "--help --json"
    expect "restore's options" "$(complete_line 'trovel-cli restore --')" "--copy --delete --dry-run --help --json"
    expect "history's options" "$(complete_line 'trovel-cli history --')" "--help --json"
    expect "move's options" "$(complete_line 'trovel-cli move MUSIC --d')" "--delete --dry-run"
    expect "folder keys and names in any case" "$(complete_line 'trovel-cli size mu')" "MUSIC Music"
    # Names with a space come back quoted, as one word each; whatever the names are here.
    names=$(trovel-cli __complete folders | grep ' ' | sort | head -2)
    first=${names:0:1}
    expect "folder names, quoted" "$(complete_line "trovel-cli move --to /x ${first}")" \
        "$(trovel-cli __complete folders | grep -i "^${first}" | while IFS= read -r n; do printf '%q\n' "$n"; done | sort | tr '\n' ' ' | sed 's/ $//')"
    [ -n "$names" ] || { echo "FAILED: no folder name with a space to complete"; failed=1; }
    expect "no folders for list" "$(complete_line 'trovel-cli list ')" ""
    expect "after --, folders only" "$(complete_line 'trovel-cli size -- VID')" "VIDEOS Videos"
    expect "prepare's options" "$(complete_line 'trovel-cli prepare --')" "--for --help --json"
    expect "users after --for" "$(complete_line 'trovel-cli prepare /x --for nobod')" "nobody"
    ;;
zsh)
    zsh -n "$completions/_trovel-cli" && echo "ok   zsh reads _trovel-cli without a syntax error" || failed=1
    # compinit finds the function in fpath and binds it to the command, as for an installed file.
    got=$(zsh -f -c "fpath=('$completions' \$fpath); autoload -Uz compinit; compinit -u -D; print -r -- \$_comps[trovel-cli]")
    expect "compinit binds trovel-cli" "$got" "_trovel-cli"
    ;;
fish)
    complete_line() { fish --no-config -c "source '$completions/trovel-cli.fish'; complete -C '$1'" | cut -f1 | sort | tr '\n' ' ' | sed 's/ $//'; }
    expect "commands" "$(complete_line 'trovel-cli re')" "recover restore"
    expect "restore's options" "$(complete_line 'trovel-cli restore --')" "--copy --delete --dry-run --help --json"
    expect "drives' options" "$(complete_line 'trovel-cli drives --')" "--all --help --json"
    expect "folder keys" "$(complete_line 'trovel-cli size MU')" "MUSIC"
    expect "prepare's options" "$(complete_line 'trovel-cli prepare --')" "--for --help --json"
    ;;
*) echo "unknown shell $shell"; exit 2 ;;
esac
exit $failed
