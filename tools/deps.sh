# Sourced by run.sh and test.sh: installs the Debian packages that are missing.
CV_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev libbenchmark-dev)
# The program's SVG icon and Qt's own texts in Spanish; the checks of the desktop entry, the
# metainfo and the Debian package (lintian included).
CV_PACKAGES+=(libqt6svg6 qt6-translations-l10n desktop-file-utils appstream dpkg-dev file lintian)
# An independent ID3 reader the tag tests compare with.
CV_PACKAGES+=(python3-mutagen)

cv_install_missing() {
    local missing=() package
    for package in "${CV_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}
