#!/bin/sh
# Installs the Debian packages the build and the tests need (run as root, or
# with sudo available). Packages already present are left alone.
set -eu
PKGS="cmake ninja-build g++ clang libclang-rt-14-dev ccache pkg-config
      libgtest-dev libgmock-dev libbenchmark-dev libasio-dev libcli11-dev
      qt6-base-dev qt6-qpa-plugins libgl-dev"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q || true
$SUDO apt-get install -y -q --no-install-recommends $missing
