#!/usr/bin/env bash
# Every text shown to people is in the template and in every catalogue, translated; and the
# check fails, naming the text, on a new untranslated text, a translation that drops a value,
# a fuzzy entry, a stale template and a Hungarian text left outside the catalogue.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
command -v xgettext >/dev/null && command -v msgfmt >/dev/null || { echo "gettext is not installed"; exit 77; }
python3 "$source_dir/tools/catalogues.py" check --root "$source_dir"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
plant() {  # copies the sources and catalogues, applies one fault, and expects the check to name it
    local expected=$1 fault=$2
    rm -rf "$scratch/tree" && mkdir "$scratch/tree"
    (cd "$source_dir" && tar -cf - core mover platform cli gui app po tools) | tar -xf - -C "$scratch/tree"
    (cd "$scratch/tree" && eval "$fault")
    set +e
    output=$(python3 "$scratch/tree/tools/catalogues.py" check --root "$scratch/tree" 2>&1)
    status=$?
    set -e
    if [ "$status" -eq 0 ] || ! grep -qF -- "$expected" <<<"$output"; then
        echo "FAILED: after '$fault' the check said (exit $status):"; echo "$output"; exit 1
    fi
    echo "ok   '$fault' is refused: $(grep -F -- "$expected" <<<"$output" | head -n 1)"
}
new_text='echo "const char* Shown() { return trovel::platform::Tr(\"A text nobody translated\"); }" >> cli/help.cpp'
plant "po/trovel.pot lacks 'A text nobody translated'" "$new_text"
plant "po/hu.po lacks 'A text nobody translated'" "$new_text && python3 tools/catalogues.py update --root . 2>/dev/null; sed -i '/A text nobody translated/,+1d' po/hu.po"
plant "po/hu.po: 'A text nobody translated' is untranslated" "$new_text && python3 tools/catalogues.py update --root ."
plant "po/hu.po: 'Cannot read the journal (%1): %2' and its translation name different values" \
      "sed -i 's/msgstr \"A napló nem olvasható (%1): %2\"/msgstr \"A napló nem olvasható: %2\"/' po/hu.po"
plant "po/hu.po: 'Cannot open' is fuzzy" "sed -i 's/^msgid \"Cannot open\"$/#, fuzzy\n&/' po/hu.po"
plant "a Hungarian text outside the catalogue" "sed -i 's/Tr(\"Cannot open\")/\"Nem nyitható meg\"/' mover/content_mover.cpp"
plant "still has 'Cannot open', which no source uses" \
      "sed -i 's/Tr(\"Cannot open\")/Tr(\"Cannot open it\")/g' mover/content_mover.cpp"
# The window's texts, through its own lookups, and its desktop part.
plant "po/trovel.pot lacks 'A window text'" \
      "sed -i 's/QTr(\"Refresh\")/QTr(\"A window text\")/' gui/window/wizard_pages.cpp"
plant "po/trovel.pot lacks 'Ten folders'" \
      "sed -i 's/QTrN(\"%1 folder\", \"%1 folders\"/QTrN(\"Ten folders\", \"%1 folders\"/' gui/space/size_measurement.cpp"
plant "gui/window/about_window.cpp" "sed -i 's/QTr(\"Cancel\")/QStringLiteral(\"Mégse\")/' gui/window/about_window.cpp"
plant "a Hungarian text outside the catalogue" \
      "sed -i 's/TrLater(\"Cancel\")/\"Mégse\"/' platform/linux/desktop/desktop_session.cpp"
echo "the catalogue check catches every planted fault"
