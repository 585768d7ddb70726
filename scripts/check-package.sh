#!/usr/bin/env bash
# Builds the Debian package and tries it the way a user would: in a fresh
# Debian root (made with mmdebstrap, packages from the Debian mirror through
# apt), `apt-get install` it, which pulls in exactly what its Depends name,
# start both programs, and remove it again, checking that nothing of it stays.
#
# The minimal root is bootstrapped once and kept as a tarball in
# ${XDG_CACHE_HOME:-~/.cache}/brelvantor/; every run unpacks a new copy.
# Needs root (chroot, mounts), mmdebstrap and the network to the Debian mirror.
# Usage: scripts/check-package.sh [PACKAGE.deb]
set -euo pipefail
cd "$(dirname "$0")/.."
suite=${BRELVANTOR_CHECK_SUITE:-bookworm}

if [ "$(id -u)" -ne 0 ]; then echo "check-package: needs root (chroot)" >&2; exit 2; fi
command -v mmdebstrap >/dev/null || { echo "check-package: needs mmdebstrap (apt-get install mmdebstrap)" >&2; exit 2; }

deb=${1:-$(scripts/package.sh | tail -1)}
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"
dpkg-deb --field "$deb" Package Version Depends

cache=${XDG_CACHE_HOME:-$HOME/.cache}/brelvantor
base=$cache/$suite-apt.tar
if [ ! -s "$base" ]; then
  mkdir -p "$cache"
  echo "bootstrapping a minimal $suite root (once) ..."
  mmdebstrap --quiet --variant=apt --mode=root "$suite" "$base.part" http://deb.debian.org/debian
  mv "$base.part" "$base"
fi

root=$(mktemp -d "${TMPDIR:-/tmp}/brelvantor-root-XXXXXX")
cleanup() {
  for m in dev/pts dev proc; do umount "$root/$m" 2>/dev/null || true; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
tar -xf "$base" -C "$root"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"; }

echo "--- install"
in_root apt-get update -qq
in_root apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" >"$root/tmp/install.log" ||
  { cat "$root/tmp/install.log"; exit 1; }
in_root dpkg -L brelvantor | grep -E '^/usr/(bin|share/(brelvantor|applications|man/man1))/.' | sort

echo "--- run"
in_root brelvantor-cli --version
in_root sh -c 'cd /tmp && QT_QPA_PLATFORM=offscreen brelvantor --screenshot /tmp/shot.png' 2>&1 | grep -v '^QStandardPaths' || true
test -s "$root/tmp/shot.png" || { echo "FAIL: brelvantor --screenshot made no picture"; exit 1; }
echo "screenshot: $(du -k "$root/tmp/shot.png" | cut -f1) KiB"

echo "--- remove"
files=$(in_root dpkg -L brelvantor | while read -r f; do [ -f "$root$f" ] && echo "$f"; done)
in_root apt-get purge -y -qq brelvantor >/dev/null
left=$(for f in $files; do [ -e "$root$f" ] && echo "$f"; done || true)
if [ -n "$left" ] || [ -e "$root/usr/share/brelvantor" ]; then
  echo "FAIL: left behind after removal:"; echo "$left"; exit 1
fi
echo "removed cleanly ($(wc -w <<<"$files") files)"
echo "check-package: OK"
