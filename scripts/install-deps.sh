#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, running and testing Tangrel need.
# libjack-jackd2-dev goes in the same apt-get command as libfluidsynth-dev and
# librtmidi-dev: alone, apt would satisfy their JACK dependency with JACK1.
# Only names that every Debian release from 12 on knows: libclang-rt-dev follows
# the default clang, whatever its version. Qt's Wayland platform runs the window
# natively on a Wayland desktop; sway, XWayland and the Wayland and xkbcommon
# headers (for the tests' virtual keyboard) are for the Wayland tests only. XTEST's
# headers let the key-to-sound benchmark press keys at an X server.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ clang pkg-config
  qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n libxcb1-dev libxcb-xkb-dev libxkbcommon-x11-dev libxcb-xtest0-dev
  libfluidsynth-dev librtmidi-dev libjack-jackd2-dev libasound2-dev libpulse-dev libpipewire-0.3-dev
  libgtest-dev timgm6mb-soundfont
  fonts-liberation2 fonts-wqy-microhei
  xvfb xdotool openbox midicsv python3 python3-pyatspi at-spi2-core dbus
  pulseaudio pulseaudio-utils jackd2 pipewire pipewire-bin wireplumber pipewire-pulse
  libclang-rt-dev
  dpkg-dev file desktop-file-utils shared-mime-info libglib2.0-bin man-db groff-base
  appstream lintian
  qt6-wayland
  sway xwayland libwayland-dev libxkbcommon-dev
)

# Packages that only some releases have, installed where apt knows them: Debian
# 13 moved the JACK example clients (jack_lsp, jack_midi_dump ...) out of jackd2.
OPTIONAL=(jack-example-tools)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
known() { apt-cache show "$1" >/dev/null 2>&1; }
find_optional() {
  optional=()
  for p in "${OPTIONAL[@]}"; do known "$p" && ! installed "$p" && optional+=("$p"); done
  true
}

missing=()
for p in "${PACKAGES[@]}"; do installed "$p" || missing+=("$p"); done
find_optional
if [ ${#missing[@]} -eq 0 ] && [ ${#optional[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "tangrel: missing packages: ${missing[*]} ${optional[*]}" >&2
  echo "tangrel: run as root (or: sudo apt-get install -y ${PACKAGES[*]} ${optional[*]})" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
find_optional
apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}" "${optional[@]}"
