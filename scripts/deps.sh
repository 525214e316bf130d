#!/usr/bin/env bash
# Installs the Debian 12 packages Notavo needs to build, run and test, when any is missing.
# With --run, only those that configuring, building and running it need (scripts/run.sh).
set -euo pipefail

packages=(
    cmake ninja-build g++ gcc pkg-config libx11-dev
    libxcb1-dev qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-qpa-plugins libgl-dev
    # Wayland sessions without XWayland
    qt6-wayland
    # the icons are rendered from their SVG source in the build
    qt6-svg-dev
    # ICU's charset detector, for files in a legacy code page
    libicu-dev
    fonts-dejavu-core
    # tests (configured with the program): Qt's platform accessibility switched on
    qt6-base-private-dev
    # run.sh without a display: a virtual X server and a screenshot
    xvfb xauth x11-utils imagemagick
)
[[ ${1:-} == --run ]] || packages+=(
    # tests: an X server driven as a person would, PDFs read back, a private D-Bus, Wayland
    xdotool dbus poppler-utils weston
    # ACLs and extended attributes that saves must keep
    acl attr
    # desktop integration and its validators
    desktop-file-utils shared-mime-info xdg-utils libfile-mimeinfo-perl appstream trayer
    # GLib's launcher reads back the association's Exec; dpkg-shlibdeps for the package's Depends
    libglib2.0-bin dpkg-dev
    # sanitizer and fuzzer runtimes
    clang libclang-rt-14-dev libtsan2
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ $status == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
