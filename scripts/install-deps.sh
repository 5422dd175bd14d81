#!/usr/bin/env bash
# Installs the Debian packages the build needs, once. Quick when all are present.
# python3: the build generates the shipped thread catalogs from their charts (data-src/threads).
# qt6-svg-dev: the tool button icons are SVG drawings.
# zlib1g-dev: nordelune-cli writes its PNG pictures with zlib, so the batch tool needs no GUI toolkit.
# python3-markdown: the build renders the user guide (docs/guide) to HTML.
# dpkg-dev: `make package` finds the Debian package's library dependencies with dpkg-shlibdeps.
set -euo pipefail
pkgs=(cmake make g++ clang libclang-rt-14-dev qt6-base-dev qt6-svg-dev libgl-dev libgtest-dev libgmock-dev
      libbenchmark-dev libjpeg-dev zlib1g-dev python3 python3-markdown dpkg-dev xvfb xauth)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
