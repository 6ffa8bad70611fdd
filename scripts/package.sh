#!/usr/bin/env bash
# Installs what is missing (apt), builds a release tree and the Debian package in it:
# build-release/trovel_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

ensure_packages "${TROVEL_BUILD_PACKAGES[@]}" dpkg-dev file
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DTROVEL_BUILD_TESTS=OFF
cmake --build build-release --target trovel trovel-cli compressed_docs --parallel "$(nproc)"
(cd build-release && cpack -G DEB)
ls build-release/trovel_*.deb
