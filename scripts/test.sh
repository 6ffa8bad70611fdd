#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless.
# SANITIZE=address,undefined or SANITIZE=thread builds a separate instrumented tree.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

ensure_packages "${TROVEL_BUILD_PACKAGES[@]}" libgtest-dev locales pkg-config libglib2.0-dev xdg-user-dirs e2fsprogs mount \
    g++-mingw-w64-x86-64-posix wine64 wine strace dbus-daemon python3-dbusmock zsh fish \
    dpkg-dev lintian desktop-file-utils appstream groff-base
ensure_locale en_US UTF-8
ensure_locale hu_HU UTF-8

werror=OFF
[ "${CI:-}" = true ] && werror=ON
build=build
[ -n "${SANITIZE:-}" ] && build="build-$(echo "$SANITIZE" | tr ',' '-')"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTROVEL_WERROR="$werror" -DTROVEL_SANITIZE="${SANITIZE:-}"
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
[ "${SANITIZE:-}" = thread ] && export TSAN_OPTIONS="suppressions=$PWD/../tests/tsan.supp ${TSAN_OPTIONS:-}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
