#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on this desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

ensure_packages "${TROVEL_BUILD_PACKAGES[@]}" xdg-utils
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTROVEL_BUILD_TESTS=OFF
cmake --build build-run --parallel "$(nproc)" --target trovel
exec build-run/trovel
