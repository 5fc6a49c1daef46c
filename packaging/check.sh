#!/usr/bin/env bash
# The packaging checks of `make test`, one per call:
#   check.sh desktop-entry FILE
#   check.sh metainfo FILE
#   check.sh build DIR CPACK_CONFIG VERSION   (the package, once, into DIR)
#   check.sh lintian DIR
#   check.sh installed DIR VERSION            (unpacked into a scratch root, started)
#   check.sh hardening DIR                    (hardening-check on the packaged program)
#   check.sh relations DIR                    (what the package pulls in beside its libraries)
# A check whose tool is missing is skipped: status 77, with the package that
# has it (scripts/deps.sh installs them all).
set -euo pipefail

skip_without() {
  local tool=$1 package=$2
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed (Debian package $package; scripts/deps.sh installs it)"
    exit 77
  fi
}

the_package() {
  local dir=$1
  local debs=("$dir"/triagon_*.deb)
  if [ ! -f "${debs[0]}" ]; then
    # The package-build check was skipped (it fails the run when it fails).
    echo "skipped: no package in $dir, since the package-build check made none" >&2
    exit 77
  fi
  if [ ${#debs[@]} -ne 1 ]; then
    echo "more than one package in $dir: ${debs[*]}" >&2
    exit 1
  fi
  echo "${debs[0]}"
}

case "$1" in
desktop-entry)
  skip_without desktop-file-validate desktop-file-utils
  out=$(desktop-file-validate "$2" 2>&1) || { echo "$out"; exit 1; }
  # Hints and warnings count as faults too.
  if [ -n "$out" ]; then echo "$out"; exit 1; fi
  echo "valid: $2"
  ;;
metainfo)
  skip_without appstreamcli appstream
  appstreamcli validate --no-net --explain "$2"
  ;;
build)
  dir=$2 config=$3 version=$4
  # A package of an earlier run never stands in for this one.
  rm -rf "$dir"
  skip_without dpkg-shlibdeps dpkg-dev
  skip_without cpack cmake
  changelog_version=$(sed -n '1s/^triagon (\([^)]*\)).*/\1/p' "$(dirname "$0")/changelog")
  if [ "$changelog_version" != "$version" ]; then
    echo "packaging/changelog: the newest entry is $changelog_version, the project is $version; add the entry of $version" >&2
    exit 1
  fi
  cpack -G DEB --config "$config" -B "$dir"
  deb=$(the_package "$dir")
  dpkg-deb --info "$deb"
  ;;
lintian)
  skip_without lintian lintian
  deb=$(the_package "$2")
  # Errors and warnings fail the check (a warning kept on purpose would need
  # an override, with its reason, in the package); the notes are listed.
  out=$(lintian --fail-on error,warning --tag-display-limit 0 --display-info "$deb") || { echo "$out"; exit 1; }
  echo "$out"
  # The hardening tags are notes only, but each is a protection missing.
  if grep -q ' hardening-' <<<"$out"; then
    echo "lintian finds hardening missing (see the hardening check)" >&2
    exit 1
  fi
  ;;
hardening)
  skip_without hardening-check devscripts
  deb=$(the_package "$2")
  root=$(mktemp -d)
  trap 'rm -rf "$root"' EXIT
  dpkg -x "$deb" "$root"
  # PIE, stack protector, fortified libc calls, read-only relocations and
  # immediate binding. Not control-flow protection: the program is compiled
  # for it, but the linker marks it only when every object is, and Debian 12's
  # C library start files (crt1.o, crti.o) are not.
  hardening-check --verbose --nocfprotection "$root/usr/bin/triagon"
  ;;
relations)
  deb=$(the_package "$2")
  recommends=$(dpkg-deb --field "$deb" Recommends)
  echo "Recommends: $recommends"
  echo "Suggests: $(dpkg-deb --field "$deb" Suggests)"
  # A file manager comes with a desktop; recommending one makes a default
  # install pull a desktop onto a machine that has none.
  for manager in nautilus dolphin nemo caja thunar pcmanfm pcmanfm-qt konqueror spacefm xfe doublecmd-gtk doublecmd-qt; do
    if grep -Eq "(^|[ ,|])$manager([ ,|(]|$)" <<<"$recommends"; then
      echo "Recommends names the file manager $manager: it belongs in Suggests" >&2
      exit 1
    fi
  done
  ;;
installed)
  dir=$2 version=$3
  deb=$(the_package "$dir")
  root=$(mktemp -d)
  trap 'rm -rf "$root"' EXIT
  dpkg -x "$deb" "$root"
  for file in usr/bin/triagon \
    usr/share/applications/com.brinkwolder.Triagon.desktop \
    usr/share/metainfo/com.brinkwolder.Triagon.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/com.brinkwolder.Triagon.svg \
    usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/com.brinkwolder.Triagon.png \
    usr/share/man/man1/triagon.1.gz \
    usr/share/doc/triagon/copyright usr/share/doc/triagon/changelog.gz; do
    if [ ! -f "$root/$file" ]; then
      echo "the package lacks /$file" >&2
      exit 1
    fi
  done
  # The installed program, as a terminal without a display starts it.
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/triagon" --version)
  echo "$out"
  if [ "$out" != "Triagon $version" ]; then
    echo "expected \"Triagon $version\"" >&2
    exit 1
  fi
  ;;
*)
  echo "check.sh: unknown check $1" >&2
  exit 2
  ;;
esac
