#!/usr/bin/env bash
# Installs the Debian packages Brindlecot needs to build, run and test,
# skipping those already installed. Uses sudo when not run as root. The
# argument "fuzz" adds clang and its libFuzzer runtime for scripts/fuzz.sh,
# "package" the tools scripts/package-check.sh builds and checks the Debian
# package with.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite libsqlite3-dev libgl-dev
  libgtest-dev python3
  xvfb xauth poppler-utils fonts-dejavu-core
  xdotool openbox imagemagick sqlite3 x11-utils clang-format man-db
  postgresql-15 libqt6sql6-psql libpq-dev
)
for group in "$@"; do
  case "$group" in
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    package) packages+=(dpkg-dev file lintian appstream desktop-file-utils) ;;
    *) echo "install-deps.sh: unknown group $group" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
