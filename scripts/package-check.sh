#!/usr/bin/env bash
# Builds the Debian package and checks it. The package is made by CPack from
# a Release build of the two programs alone (no tests) in build-package/ (or
# $BUILD_DIR), with Debian's compiler flags; then the script lists the package, runs lintian on it (an
# error fails the run, warnings are printed), and unpacks it into a temporary
# root, where it validates the desktop entry and the AppStream metadata,
# renders the manual pages, and runs the unpacked brindlecot-cli: --version
# must name the package's version, and it must create a book.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-package}"
"$root/scripts/install-deps.sh" package

# Compiled as Debian compiles its packages: optimised with -O2, hardened
# (fortified functions, stack protector, read-only relocations bound at
# start), without debugging data (the package's files are stripped).
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1" | sed -E 's/(^| )-g( |$)/ /'; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLECOT_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" -DCMAKE_CXX_FLAGS_RELEASE="-DNDEBUG" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" -DBRINDLECOT_WERROR="${WERROR:-OFF}" >/dev/null
cmake --build "$build" -j2 --target brindlecot brindlecot-cli packagefiles
rm -f "$build"/brindlecot_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(echo "$build"/brindlecot_*.deb)
[ -f "$deb" ] || { echo "package-check: cpack wrote no package" >&2; exit 1; }
version=$(dpkg-deb --field "$deb" Version)

echo "== $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends Installed-Size
dpkg-deb --contents "$deb"
depends=$(dpkg-deb --field "$deb" Depends)
for library in libqt6widgets6 libqt6sql6-sqlite libc6; do
  [[ $depends == *"$library"* ]] || { echo "package-check: Depends lacks $library" >&2; exit 1; }
done

echo "== lintian"
lintian --fail-on error --info "$deb"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
echo "== the unpacked files"
desktop-file-validate "$unpacked/usr/share/applications/brindlecot.desktop"
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
grep -q "<release version=\"$version\"" "$unpacked"/usr/share/metainfo/*.metainfo.xml ||
  { echo "package-check: the AppStream metadata lists no release $version" >&2; exit 1; }
for page in "$unpacked"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "package-check: $page: $warnings" >&2; exit 1; }
done
bash -n "$unpacked/usr/share/bash-completion/completions/brindlecot-cli"
cli="$unpacked/usr/bin/brindlecot-cli"
printed=$("$cli" --version)
echo "$printed"
[ "$printed" = "brindlecot-cli $version" ] ||
  { echo "package-check: the unpacked tool says \"$printed\", the package is $version" >&2; exit 1; }
"$cli" new "$unpacked/check.fd" >/dev/null
"$cli" accounts "$unpacked/check.fd" >/dev/null
echo "package-check: $deb is sound"
