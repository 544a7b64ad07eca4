#!/usr/bin/env bash
# Installs the Debian packages KVX needs to build, test and run, once.
set -euo pipefail
# debian/control builds with the same list (tests/packaging checks it).
# Qt Charts' CMake package needs Qt6OpenGL's, which qt6-charts-dev does not pull in.
pkgs=(build-essential cmake ccache pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev
      qt6-svg-dev libgl-dev scdoc liblingua-stopwords-perl libicu-dev libgtest-dev libgmock-dev
      libbenchmark-dev xvfb xauth python3 parallel desktop-file-utils appstream)
pkgs+=("$@")  # extra packages a target needs (the fuzzers: clang; the package: debhelper, lintian)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq || true
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
