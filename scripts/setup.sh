#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Talvex needs. Idempotent.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
    libgtest-dev locales
    fonts-noto-cjk
    xvfb xauth openbox xdotool x11-utils x11-apps imagemagick
    python3
    clang-format
    dpkg-dev desktop-file-utils binutils-mingw-w64-x86-64
    clang libclang-rt-14-dev
    lintian appstream librsvg2-bin
    g++-mingw-w64-x86-64 wine64
    sway xwayland grim foot wtype qt6-wayland
    fluxbox i3-wm x11-xserver-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
