#!/usr/bin/env bash
# Installs the Debian packages a purpose needs that this machine lacks, through sudo when not
# root, and names them as it does. The one list of what every part of the project needs:
#   programs  sa_demo and sa_study, with sa_study's pictures
#   tests     every test and benchmark, the web page's among them
#   ci        the checks of .ci/run besides the tests: analysers, coverage, packaging, fuzzing
# Usage: tools/install_missing.sh PURPOSE...
set -euo pipefail

programs=(cmake g++ libcli11-dev gnuplot-nox)
# The web page: emscripten builds it, headless Chromium and Firefox ESR run its tests, and
# faketime starts the native sa_demo in the clock second that a test compares. Node and npm are
# asked for below, only where their commands are missing: a Node from elsewhere serves as well.
web=(emscripten chromium-headless-shell firefox-esr faketime)
# parallel runs the recipes of doc/many_machines.md on this machine.
tests=("${programs[@]}" libgtest-dev libbenchmark-dev valgrind libxml2-utils parallel "${web[@]}")
ci=("${tests[@]}" clang libclang-rt-14-dev libomp-dev gcovr cppcheck clang-tidy clang-format
    dpkg-dev file git lintian man-db groff-base)

wanted=()
for purpose in "$@"; do
  case $purpose in
    programs) wanted+=("${programs[@]}") ;;
    tests) wanted+=("${tests[@]}") ;;
    ci) wanted+=("${ci[@]}") ;;
    *) echo "install_missing: unknown purpose '$purpose' (programs, tests or ci)" >&2; exit 2 ;;
  esac
done

if [[ " ${wanted[*]} " == *" emscripten "* ]]; then
  command -v node >/dev/null || wanted+=(nodejs)
  command -v npm >/dev/null || wanted+=(npm)
fi

missing=()
for package in $(printf '%s\n' "${wanted[@]}" | sort -u); do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -gt 0 ] || exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null ||
    { echo "install_missing: needs root or sudo to install: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q --no-install-recommends "${missing[@]}"
