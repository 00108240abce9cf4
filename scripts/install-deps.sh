#!/bin/sh
# Installs every Debian package that building, running and testing Velnook needs.
set -e
PKGS="build-essential cmake ninja-build pkg-config git \
  libgtest-dev libgmock-dev libbenchmark-dev \
  qt6-base-dev libqt6dbus6 libqt6svg6 qt6-qpa-plugins qt6-wayland libgl-dev \
  xvfb xauth xdotool x11-utils openbox trayer weston fonts-liberation imagemagick dbus python3-dbusmock hyperfine \
  clang-format clang-tidy clang-14 libclang-rt-14-dev llvm-14 \
  libxcb1-dev libsm-dev libice-dev desktop-file-utils appstream dpkg-dev file debootstrap \
  g++-mingw-w64-x86-64-posix wine64 locales libsodium-dev"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi
