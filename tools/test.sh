#!/usr/bin/env bash
# Every test on a fresh Debian machine: installs what the tests need and this machine lacks,
# then builds with warnings as errors and runs the whole suite. Any part that cannot be built
# stops the configure rather than being left out.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_missing.sh tests
cmake --workflow --preset dev
# The web page, built by emscripten and tested in headless Chromium and in Firefox ESR against
# the programs that the dev preset has just built.
cmake --workflow --preset web
