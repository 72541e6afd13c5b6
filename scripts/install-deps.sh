#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tangrel need.
# libjack-jackd2-dev stands in the same line as libfluidsynth-dev and
# librtmidi-dev: alone, apt would satisfy their JACK dependency with JACK1.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ clang pkg-config
  qt6-base-dev libfluidsynth-dev librtmidi-dev libjack-jackd2-dev libpulse-dev
  libgtest-dev timgm6mb-soundfont
  fonts-liberation2 fonts-wqy-microhei
  xvfb xdotool midicsv python3
  pulseaudio pulseaudio-utils jackd2
  libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "tangrel: missing packages: ${missing[*]}" >&2
  echo "tangrel: run as root (or: sudo apt-get install -y ${PACKAGES[*]})" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}"
