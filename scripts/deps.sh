#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Works as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libgl-dev libxcb1-dev
  # GIO: which application the desktop opens folders with.
  libglib2.0-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  ffmpeg
  libgtest-dev googletest
  xvfb xauth imagemagick x11-utils
  fonts-dejavu-core
  clang-format-14
  # The icons rendered at their sizes, the Debian package and its checks.
  librsvg2-bin dpkg-dev desktop-file-utils appstream lintian
  # An exFAT card image mounted through FUSE, for the organize tests.
  exfat-fuse exfatprogs
  # hardening-check on the packaged program; the shared MIME database the
  # desktop entry's types are checked against; a private session bus for tests.
  devscripts shared-mime-info dbus-daemon
  # The Wayland platform plugin, for the test of a Wayland session without a
  # compositor.
  qt6-wayland
)

# `deps.sh fuzz`: also what the fuzz targets are built with (clang and its
# fuzzer and sanitizer runtime).
if [ "${1:-}" = fuzz ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "deps: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi

echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
