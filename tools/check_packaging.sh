#!/usr/bin/env bash
# Checks installation and packaging from a configured and built folder: `cmake --install`
# puts the programs in bin/ and the manual pages in share/man/man1/; the Debian package
# holds them with its copyright file and changelog, its control fields are sound, lintian
# finds no error or warning, and every manual page renders without a warning.
# Usage: tools/check_packaging.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

fail() { echo "check_packaging: $*" >&2; exit 1; }

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" --strip >/dev/null
for path in bin/sa_demo bin/sa_study share/man/man1/sa_demo.1.gz share/man/man1/sa_study.1.gz \
            share/doc/sa-demo/copyright share/doc/sa-demo/changelog.gz; do
  [ -e "$prefix/$path" ] || fail "cmake --install did not install $path"
done

rm -f "$build"/sa-demo_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/sa-demo_*.deb)

contents=$(dpkg-deb --contents "$deb")
for path in ./usr/bin/sa_demo ./usr/bin/sa_study \
            ./usr/share/man/man1/sa_demo.1.gz ./usr/share/man/man1/sa_study.1.gz \
            ./usr/share/doc/sa-demo/copyright ./usr/share/doc/sa-demo/changelog.gz; do
  grep -q " $path\$" <<<"$contents" || fail "$path is not in the package"
done

[ "$(dpkg-deb --field "$deb" Package)" = sa-demo ] || fail "wrong package name"
[ "$(dpkg-deb --field "$deb" Architecture)" = "$(dpkg --print-architecture)" ] ||
  fail "wrong architecture"
version=$(sed -n 's/^project(sa_demo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "version is not $version"
dpkg-deb --field "$deb" Depends | grep -q 'libc6' || fail "no dependency on libc6"

findings=$(lintian "$deb" 2>/dev/null | grep -E '^[EW]: ' || true)
[ -z "$findings" ] || fail "lintian finds errors or warnings:
$findings"

unpacked="$prefix/unpacked"
mkdir "$unpacked"
dpkg-deb --extract "$deb" "$unpacked"
for page in "$unpacked"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page") renders with warnings: $warnings"
done
printf '0\n' | "$unpacked"/usr/bin/sa_demo | grep -q 'Escolha: ' || fail "packaged sa_demo does not run"

echo "check_packaging: installs; $(basename "$deb") holds the programs, manual pages, copyright and changelog; lintian is silent; pages render cleanly"
