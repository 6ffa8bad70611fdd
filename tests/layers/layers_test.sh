#!/usr/bin/env bash
# The layer check passes on the tree, and fails, naming the file and line, on a planted
# upward include, a Qt header in the core, a system header in the command line, code in a
# folder of no layer, and a table that lets a lower row include a higher one.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
python3 "$source_dir/tools/check_layers.py" --root "$source_dir"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
plant() {  # copies the program's code, applies one fault, and expects the check to name it
    local expected=$1 fault=$2
    rm -rf "$scratch/tree" && mkdir "$scratch/tree"
    (cd "$source_dir" && tar -cf - --exclude='./build*' --exclude=./.git --exclude=./tests --exclude=./data .) |
        tar -xf - -C "$scratch/tree"
    (cd "$scratch/tree" && eval "$fault")
    set +e
    output=$(python3 "$scratch/tree/tools/check_layers.py" --root "$scratch/tree" 2>&1)
    status=$?
    set -e
    if [ "$status" -eq 0 ] || ! grep -qF -- "$expected" <<<"$output"; then
        echo "FAILED: after '$fault' the check said (exit $status):"; echo "$output"; exit 1
    fi
    echo "ok   '$fault' is refused: $(grep -F -- "$expected" <<<"$output" | head -n 1)"
}
plant "core/basics/text.h:" 'echo "#include \"gui/window/main_window.h\"" >> core/basics/text.h'
plant "platform/path_style.h:" 'echo "#include \"mover/content_mover.h\"" >> platform/path_style.h'
plant "mover/move_plan.cpp:" 'echo "#include \"core/space/size_text.h\"" >> mover/move_plan.cpp'
plant "Qt header <QString> in core/space" 'echo "#include <QString>" >> core/space/size_text.cpp'
plant "system header <unistd.h> in cli" 'echo "#include <unistd.h>" >> cli/help.cpp'
plant "gui/widgets/fonts.h:" 'echo "#include \"gui/window/main_window.h\"" >> gui/widgets/fonts.h'
plant "elsewhere/stray.cpp: its folder is not in" 'mkdir elsewhere && echo "int stray;" > elsewhere/stray.cpp'
plant "an arrow back up" 'sed -i "s|^platform  *:.*|platform : mover|" tools/layers.txt'
