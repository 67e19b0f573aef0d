#!/bin/sh
# Installs what is missing, builds the default preset and runs every test
# (unit, end-to-end against krnsim on loopback, GUI on the offscreen platform).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
QT_QPA_PLATFORM=offscreen ctest --preset default
