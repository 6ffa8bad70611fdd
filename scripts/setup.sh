# Shared by run.sh and test.sh: installs the Debian packages the build needs when missing.

# The packages every build needs; the tests add their own.
TROVEL_BUILD_PACKAGES=(cmake g++ make qt6-base-dev libgl-dev fonts-dejavu-extra gettext)

ensure_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Generates a locale when the C library does not have it yet.
ensure_locale() {
    local name=$1 charmap=$2
    locale -a 2>/dev/null | grep -qix "${name}.$(echo "$charmap" | tr -d '-' )" && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" localedef -i "$name" -f "$charmap" "$name.$charmap"
}
