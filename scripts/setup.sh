#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Safe to run again: only missing packages are installed.
set -euo pipefail
pkgs=(g++ cmake ninja-build make libgtest-dev libgmock-dev libbenchmark-dev
      libx11-dev libpng-dev libshp-dev shapelib python3-ezdxf
      xvfb xauth xdotool imagemagick x11-utils x11-apps xfonts-base gfortran)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
