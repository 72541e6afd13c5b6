#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and tests Tangrel inside a Debian 13 (trixie) root made with debootstrap
# from the package archive this machine's apt sources name, and no other. CI
# runs it; the first run makes the root and installs every package into it, so
# the root is kept outside the clone for the next run.
#
#   sudo ./scripts/check-trixie.sh [ROOT]     (default ROOT: /var/tmp/tangrel-trixie)
#   ./scripts/check-trixie.sh --mirror        (prints the archive it would use)
#
# A root left by an earlier run is used again, with its compiler cache; the
# source tree is copied afresh.
# The tests run in their own network namespace with a private /dev/shm, so their
# X displays, PulseAudio and JACK servers cannot meet those of the host.
set -euo pipefail
cd "$(dirname "$0")/.."
tree="$PWD"
src=/root/tangrel
# The apt configuration to read; another folder only for this script's own test.
apt_etc="${TANGREL_APT_ETC:-/etc/apt}"

# The Debian archive (not its security updates) that this machine's apt sources
# name, in the deb822 form (URIs: of a stanza whose Suites are not -security)
# or the one-line form ("deb [options] URI suite ..."). The suite is ours.
mirror() {
  local url
  url="$(cat "$apt_etc"/sources.list.d/*.sources 2>/dev/null | awk '
    function flush() { if (uris != "" && suites !~ /-security/) { split(uris, u, " "); print u[1] } uris = suites = "" }
    /^[ \t]*$/ { flush(); next }
    /^URIs:/ { sub(/^URIs:[ \t]*/, ""); uris = $0 }
    /^Suites:/ { suites = $0 }
    END { flush() }' | grep -v security | head -n1 || true)"
  [ -n "$url" ] || url="$(cat "$apt_etc"/sources.list "$apt_etc"/sources.list.d/*.list 2>/dev/null |
    sed -n 's/^deb[ \t]\+\(\[[^]]*\][ \t]\+\)\?\([^ \t]\+\)[ \t]\+\([^ \t]\+\).*/\2 \3/p' |
    awk '$2 !~ /-security/ {print $1}' | grep -v security | head -n1 || true)"
  if [ -z "$url" ]; then
    echo "check-trixie: no Debian archive in $apt_etc/sources.list or $apt_etc/sources.list.d;" \
      "add the mirror this machine installs from" >&2
    return 1
  fi
  echo "$url"
}

if [ "${1:-}" = --mirror ]; then
  mirror
  exit
fi
root="$(realpath -m "${1:-/var/tmp/tangrel-trixie}")"
url="$(mirror)"

if [ "$(id -u)" -ne 0 ]; then
  echo "check-trixie: run as root (debootstrap, mount and chroot need it)" >&2
  exit 1
fi

stamp() { echo "== $(date +%T) $*"; }
started=$SECONDS
phase() { stamp "$1 ($((SECONDS - started)) s so far)"; }

command -v debootstrap >/dev/null || {
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
}

if [ ! -x "$root/usr/bin/apt-get" ] || [ ! -e "$root/.debootstrap-done" ]; then
  phase "debootstrap trixie into $root from $url"
  rm -rf "$root"
  debootstrap --variant=minbase trixie "$root" "$url"
  touch "$root/.debootstrap-done"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

mounted=()
unmount() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -R "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"; done
}
trap unmount EXIT
mount_in() {  # mount_in TARGET MOUNT-ARGS...
  local target="$root$1"
  shift
  mkdir -p "$target"
  mount "$@" "$target"
  mounted+=("$target")
}
mount_in /proc -t proc proc
mount_in /sys -t sysfs sysfs
mount_in /dev --rbind /dev
mount --make-rslave "$root/dev"
mount_in /dev/shm -t tmpfs -o mode=1777 shm
mount_in /tmp -t tmpfs -o mode=1777 tmp

phase "copying the source tree to $src"
mkdir -p "$root$src"
# The build folder goes too: the copied files keep their times, which may be
# older than objects built from an earlier tree.
find "$root$src" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
git -C "$tree" ls-files -z --cached --others --exclude-standard |
  (cd "$tree" && tar --null -T - -cf - 2>/dev/null) | tar -xf - -C "$root$src"

# A clean environment inside; two build jobs, as on the host, and a compiler
# cache that stays in the root, so a later run rebuilds only what changed.
clean_env=(/usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb CMAKE_BUILD_PARALLEL_LEVEL=2
  CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_DIR=/root/.ccache
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
in_root() { chroot "$root" "${clean_env[@]}" "$@"; }

phase "installing the build and test packages"
in_root bash "$src/scripts/install-deps.sh"
in_root sh -c 'command -v ccache >/dev/null || { apt-get install -y -qq --no-install-recommends ccache && ccache -M 2G; }'

phase "building and running ./scripts/test.sh"
status=0
unshare --net bash -c 'ip link set lo up && exec "$@"' - \
  chroot "$root" "${clean_env[@]}" bash -c "cd $src && ./scripts/test.sh" || status=$?

phase "done, test command exit status $status"
in_root sh -c '. /etc/os-release; echo "root: $PRETTY_NAME"; python3 --version; clang --version | head -n1; g++ --version | head -n1; cmake --version | head -n1; dpkg-query -W qtbase6-dev 2>/dev/null || dpkg-query -W qt6-base-dev'
exit "$status"
