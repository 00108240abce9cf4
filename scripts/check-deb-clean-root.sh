#!/bin/sh
# Shows that the Debian package installs and starts on a clean machine: makes
# the package, debootstraps a minimal Debian 12 into a scratch folder under
# /tmp, installs the package there with apt-get (which must bring everything
# it needs), starts the desktop entry's Exec command under Xvfb inside the
# chroot and takes a screenshot. Slow (minutes, most of it downloading), so
# not part of the test suite. Needs root.
#
#   scripts/check-deb-clean-root.sh [screenshot.png]   (default docs/installed-deb.png)
#
# Nothing inside the chroot can reach the host's power state: no init, dbus
# or systemd runs there (policy-rc.d refuses every service start, and the
# host's buses are not mounted), the program's system bus points nowhere,
# and it is killed right after the screenshot, long before a countdown
# could end. KEEP_ROOT=1 leaves the chroot in place for a look.
set -eu
cd "$(dirname "$0")/.."
repo=$(pwd)
shot=${1:-$repo/docs/installed-deb.png}
mirror=${MIRROR:-http://deb.debian.org/debian}
[ "$(id -u)" -eq 0 ] || { echo "run as root: debootstrap and chroot need it" >&2; exit 1; }

./scripts/package.sh
deb=$(ls build/velnook_*.deb | head -n 1)

root=$(mktemp -d /tmp/velnook-clean-root.XXXXXX)
chmod 755 "$root"  # its "/": apt's own _apt user must get through
cleanup() {
  for m in "$root/dev/shm" "$root/proc"; do
    if mountpoint -q "$m"; then umount "$m" || umount -l "$m"; fi
  done
  # Removed only with nothing mounted inside, and never across file systems.
  if [ "${KEEP_ROOT:-0}" != 1 ] && ! grep -q " $root/" /proc/mounts; then
    rm -rf --one-file-system "$root"
  else
    echo "chroot left in $root"
  fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

echo "== debootstrap bookworm into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" > "$root.debootstrap.log" 2>&1 ||
  { tail -n 20 "$root.debootstrap.log" >&2; exit 1; }
rm -f "$root.debootstrap.log"

# No service may start inside the chroot, whatever a package's scripts ask.
printf '#!/bin/sh\nexit 101\n' > "$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
cp "$deb" "$root/tmp/"
mount -t proc proc "$root/proc"
mount -t tmpfs -o size=64m tmpfs "$root/dev/shm"

# Xvfb's abstract socket is shared with the host: take a number nobody uses.
n=150
while grep -q "X11-unix/X$n\$" /proc/net/unix || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done

in_root() {
  chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent "$@"
}

echo "== apt-get install ./$(basename "$deb") (its Depends alone, no Recommends)"
in_root apt-get update -q
in_root sh -c "apt-get install -y --no-install-recommends /tmp/$(basename "$deb")"
in_root apt-get install -y --no-install-recommends xvfb xauth imagemagick xdotool
in_root dpkg-query -W -f='${Package} ${Version}\n' velnook

echo "== start the desktop entry's Exec command under Xvfb :$n"
in_root sh -eu -c '
  mkdir -p -m 700 /tmp/runtime-root
  export XDG_RUNTIME_DIR=/tmp/runtime-root DISPLAY=:'"$n"'
  Xvfb "$DISPLAY" -screen 0 640x200x24 -nolisten tcp 2>/dev/null & xvfb=$!
  i=0; until xdotool getmouselocation >/dev/null 2>&1; do
    i=$((i + 1)); [ $i -lt 100 ] || { echo "Xvfb did not start" >&2; exit 1; }; sleep 0.1; done
  command=$(sed -n "s/^Exec=//p" /usr/share/applications/org.velnook.Velnook.desktop)
  echo "Exec=$command"
  $command & app=$!
  i=0; until xdotool search --onlyvisible --name "^Velnook\$" >/dev/null 2>&1; do
    i=$((i + 1)); [ $i -lt 300 ] || { echo "no main window" >&2; kill $app $xvfb; exit 1; }
    sleep 0.1; done
  sleep 1  # let it paint; the screen is small, as the window is
  import -window root /tmp/installed-deb.png
  kill $app; wait $app || true
  kill $xvfb; wait $xvfb || true
  ls /root/.local/share/velnook /root/.local/share/velnook/Data /root/.local/share/velnook/Log
'
cp "$root/tmp/installed-deb.png" "$shot"
echo "== screenshot: $shot"
