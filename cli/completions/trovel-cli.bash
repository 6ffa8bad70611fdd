# bash completion for trovel-cli: commands, each command's options, folders and drives.
# Folders and drives come from trovel-cli itself, so they are the ones it would accept now.

_trovel_cli_listing() {
    local kind=$1 cur=$2 item
    local -a items
    mapfile -t items < <(trovel-cli __complete "$kind" 2>/dev/null)
    for item in "${items[@]}"; do
        # Names match in any case, as trovel-cli matches them.
        [[ ${item,,} == "${cur,,}"* ]] && COMPREPLY+=("$(printf '%q' "$item")")
    done
}

_trovel_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local command="" ended=0 i word
    COMPREPLY=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if ((ended == 0)) && [[ $word == --to || $word == --for ]]; then
            ((i++))                                   # its value, or the "=" before it
            [[ ${COMP_WORDS[i]} == = ]] && ((i++))
        elif ((ended == 0)) && [[ $word == -- ]]; then
            ended=1
        elif ((ended == 1)) || [[ $word != -* ]]; then
            command=$word
            break
        fi
    done
    if [[ -z $command ]]; then
        mapfile -t COMPREPLY < <(compgen -W "list drives size move restore recover history prepare --help --version" -- "$cur")
        return
    fi
    local options
    case $command in
        list | size | recover | history) options="--json" ;;
        restore) options="--copy --delete --dry-run --json" ;;
        drives) options="--all --json" ;;
        move) options="--to --copy --delete --dry-run --json" ;;
        prepare) options="--for --json" ;;
        *) return ;;
    esac
    # The drive after --to, or after --to= (bash splits the word at "=").
    if [[ $command == move && ($prev == --to || ($prev == = && ${COMP_WORDS[COMP_CWORD-2]} == --to)) ]]; then
        _trovel_cli_listing drives "$cur"
        return
    fi
    # The user after --for, or after --for=.
    if [[ $command == prepare && ($prev == --for || ($prev == = && ${COMP_WORDS[COMP_CWORD-2]} == --for)) ]]; then
        mapfile -t COMPREPLY < <(compgen -u -- "$cur")
        return
    fi
    if ((ended == 0)) && [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options --help" -- "$cur")
        return
    fi
    case $command in
        size | move | restore | recover | history) _trovel_cli_listing folders "$cur" ;;
        prepare) _trovel_cli_listing drives "$cur" ;;
    esac
}

complete -F _trovel_cli trovel-cli
