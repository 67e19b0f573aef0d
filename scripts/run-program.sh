#!/bin/sh
# Installs what is missing, builds, and starts the main program (Lookwell)
# with any arguments given. It needs a desktop session.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
if [ -x build/bin/lookwell ]; then exec build/bin/lookwell "$@"; fi
exec build/bin/lookwell-cli --help
