#!/usr/bin/env bash
# Builds the Debian package from a release tree, checks it with lintian (no errors), installs it
# with apt-get, starts the installed wizard offscreen and runs the installed command line, then
# removes the package. Needs root and apt; exits 77 (skipped) otherwise.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$source_dir/build-package-check}

[ "$(id -u)" -eq 0 ] || { echo "installing a package needs root"; exit 77; }
command -v apt-get >/dev/null && command -v dpkg-shlibdeps >/dev/null || { echo "needs apt-get and dpkg-dev"; exit 77; }
if dpkg -s trovel >/dev/null 2>&1; then echo "trovel is installed already; not touching it"; exit 77; fi

cmake -S "$source_dir" -B "$work" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DTROVEL_BUILD_TESTS=OFF \
      > "$work.configure.log"
cmake --build "$work" --target trovel trovel-cli trovel-prepare-target compressed_docs --parallel 2
(cd "$work" && cpack -G DEB > "$work.cpack.log")
package=$(ls "$work"/trovel_*.deb)
echo "built $(basename "$package"): $(dpkg-deb -f "$package" Depends)"

if command -v lintian >/dev/null; then
    # As root lintian refuses to run unless told; errors fail the check, warnings are listed.
    report=$(lintian --allow-root "$package" || true)
    echo "$report" | sed 's/^/lintian: /'
    if echo "$report" | grep -q '^E:'; then echo "FAILED: lintian reports errors"; exit 1; fi
fi

trap 'apt-get remove -y -qq trovel >/dev/null 2>&1 || true' EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" > "$work.install.log"
echo "ok   installed: $(command -v trovel) $(command -v trovel-cli)"
test -f /usr/share/applications/io.github.trovel.Trovel.desktop
test -f /usr/share/metainfo/io.github.trovel.Trovel.metainfo.xml
test -f /usr/share/icons/hicolor/scalable/apps/io.github.trovel.Trovel.svg
test -f /usr/share/man/man1/trovel-cli.1.gz
test -f /usr/share/man/hu/man1/trovel-cli.1.gz
test -f /usr/share/man/man1/trovel.1.gz
test -f /usr/share/man/hu/man1/trovel.1.gz
test -f /usr/share/bash-completion/completions/trovel-cli
test -f /usr/share/zsh/vendor-completions/_trovel-cli
test -f /usr/share/fish/vendor_completions.d/trovel-cli.fish
test -f /usr/share/locale/hu/LC_MESSAGES/trovel.mo
echo "ok   desktop entry, metadata, icon, man pages, shell completions and catalogues in place"
# The helper where the polkit action names it, run only through pkexec, and the action itself.
test -x /usr/libexec/trovel-prepare-target
policy=/usr/share/polkit-1/actions/io.github.trovel.Trovel.prepare-target.policy
grep -q '<annotate key="org.freedesktop.policykit.exec.path">/usr/libexec/trovel-prepare-target</annotate>' "$policy" ||
    { echo "FAILED: the polkit action does not name the installed helper"; exit 1; }
[ ! -e /usr/bin/trovel-prepare-target ] || { echo "FAILED: the helper is on the PATH"; exit 1; }
dpkg-query -W -f='${Depends}' trovel | grep -q 'pkexec' || { echo "FAILED: the package does not depend on pkexec"; exit 1; }
echo "ok   the helper and its polkit action in place"
[ "$(/usr/bin/trovel-cli --version)" = "trovel-cli $(dpkg-query -W -f='${Version}' trovel)" ] ||
    { echo "FAILED: trovel-cli --version does not say the package's version"; exit 1; }

# The installed wizard starts and keeps running until stopped; the command line lists.
home=$(mktemp -d)
set +e
HOME=$home QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/trovel >/dev/null 2>&1
status=$?
set -e
[ "$status" -eq 124 ] || { echo "FAILED: the installed wizard ended with $status before it was stopped"; exit 1; }
echo "ok   the installed wizard starts"
HOME=$home /usr/bin/trovel-cli list | grep -q "(DOCUMENTS)" || { echo "FAILED: trovel-cli list"; exit 1; }
echo "ok   the installed command line lists the folders"
# The installed program finds its installed catalogue.
LANGUAGE=hu HOME=$home /usr/bin/trovel-cli --help | grep -q "^használat: trovel-cli" ||
    { echo "FAILED: the installed trovel-cli does not speak Hungarian under LANGUAGE=hu"; exit 1; }
echo "ok   the installed command line speaks Hungarian from its catalogue"
rm -rf "$home"

apt-get remove -y -qq trovel > "$work.remove.log"
trap - EXIT
[ ! -e /usr/bin/trovel ] || { echo "FAILED: /usr/bin/trovel is still there after removal"; exit 1; }
echo "ok   removed"
