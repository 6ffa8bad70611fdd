#!/usr/bin/env bash
# Cross-compiles the core and the Windows backend with mingw-w64 (warnings are errors) and
# runs the known-folder probe under Wine, in a fresh prefix whose home is a scratch folder:
# Wine links the prefix's user folders into $HOME, and the probe moves content around.
# Exits 77 (skipped) when mingw-w64 or Wine is missing.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$source_dir/build-wine-check}

command -v x86_64-w64-mingw32-g++-posix >/dev/null || { echo "mingw-w64 (posix) is not installed"; exit 77; }
command -v wine >/dev/null || { echo "wine is not installed"; exit 77; }

cmake -S "$source_dir" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64.cmake" \
      -DTROVEL_BUILD_GUI=OFF -DTROVEL_BUILD_TESTS=OFF -DTROVEL_WERROR=ON > "$work.configure.log"
cmake --build "$work/build" --target known_folder_probe trovel-cli --parallel 2

scratch_home=$(mktemp -d "${TMPDIR:-/tmp}/trovel-wine-home.XXXXXX")
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$scratch_home"' EXIT
mkdir -p "$scratch_home/scratch"
export HOME="$scratch_home" WINEPREFIX="$scratch_home/prefix" WINEDLLOVERRIDES="mscoree=;mshtml=" WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
timeout 600 wine "$work/build/known_folder_probe.exe" "Z:$(echo "$scratch_home/scratch" | tr '/' '\\')"
# A Hungarian user's numbers: the separator comes from the user's locale, not the C runtime's.
if locale -a 2>/dev/null | grep -qix 'hu_HU.utf8'; then
    LC_ALL=hu_HU.UTF-8 timeout 120 wine "$work/build/known_folder_probe.exe" --expect-decimal ,
fi
LC_ALL=C timeout 120 wine "$work/build/known_folder_probe.exe" --expect-decimal .
# The command line lists the shell's folders, and a usage error exits with 2.
listing=$(timeout 120 wine "$work/build/trovel-cli.exe" list --json)
echo "$listing" | grep -q '"name": "Personal"' || { echo "FAILED: trovel-cli list shows no Personal"; exit 1; }
echo "ok   trovel-cli list names $(echo "$listing" | grep -c '"name"') folders"
set +e
timeout 120 wine "$work/build/trovel-cli.exe" size NoSuchFolder >/dev/null 2>&1
status=$?
set -e
[ "$status" -eq 2 ] || { echo "FAILED: trovel-cli exits $status on an unknown folder"; exit 1; }
echo "ok   trovel-cli exits 2 on an unknown folder"
# The catalogues travel inside the program and follow the user's display language.
if locale -a 2>/dev/null | grep -qix 'hu_HU.utf8'; then
    help=$(LC_ALL=hu_HU.UTF-8 timeout 120 wine "$work/build/trovel-cli.exe" --help)
    [[ "$help" == "használat: trovel-cli"* ]] || { echo "FAILED: trovel-cli --help under Hungarian: $help"; exit 1; }
    echo "ok   trovel-cli speaks Hungarian from its built-in catalogue"
fi
help=$(LC_ALL=C timeout 120 wine "$work/build/trovel-cli.exe" --help)
[[ "$help" == "usage: trovel-cli"* ]] || { echo "FAILED: trovel-cli --help under C: $help"; exit 1; }
echo "ok   trovel-cli speaks English without a catalogue for the language"
