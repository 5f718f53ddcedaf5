#!/usr/bin/env bash
# Runs the README's two commands on a fresh, minimal Debian 12, as a new user
# would on a clean clone: first the test command, then the demo command under
# xvfb-run, which must read the demo units. Run as root from the checkout.
# The root is made anew each time and removed on every exit path, after its
# mounts are gone.
set -euo pipefail
cd "$(dirname "$0")/.."
checkout=$PWD
commit=$(git rev-parse HEAD)

# The mirror that apt-get uses on this machine.
mirror=$(grep -hsE '^(URIs:|deb )' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list |
    grep -m1 -oE 'https?://[^ ]+/debian/?( |$)' | tr -d ' ' || true)
mirror=${mirror:-http://deb.debian.org/debian}

root=$(mktemp -d /var/tmp/quadrel-fresh.XXXXXX)
# It becomes "/" of the fresh system: open to all, as "/" is (tests run
# programs as nobody).
chmod 755 "$root"
mounted=()
demo_pid=""
cleanup() {
    local status=$?
    if [ -n "$demo_pid" ]; then
        kill -TERM -- "-$demo_pid" 2>/dev/null || true
        sleep 1
        kill -KILL -- "-$demo_pid" 2>/dev/null || true
    fi
    # Anything still running inside the root holds its mounts.
    local pid
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        if [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ]; then
            kill -KILL "$pid" 2>/dev/null || true
        fi
    done
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" || true
    done
    # Never remove a tree that still has a mount inside it: /dev is the host's.
    if findmnt -rn -o TARGET | grep -q "^$root"; then
        echo "fresh system: $root still has mounts; left in place" >&2
    else
        rm -rf --one-file-system "$root"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

bind() { # source, target inside the root
    mkdir -p "$root$2"
    mount "${@:3}" "$1" "$root$2"
    mounted+=("$root$2")
}

started=$(date +%s)
stamp() { echo "fresh system: $1 after $(($(date +%s) - started)) s"; }

echo "fresh system: debootstrap --variant=minbase bookworm from $mirror into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 || {
    tail -n 30 "$root.debootstrap.log" >&2
    exit 1
}
rm -f "$root.debootstrap.log"
stamp "minimal Debian 12 ready"
bind proc /proc -t proc
bind sysfs /sys -t sysfs
bind /dev /dev --bind
bind /dev/pts /dev/pts --bind
cp /etc/resolv.conf "$root/etc/resolv.conf"
# debootstrap writes no hosts file; every installed Debian has one.
printf '127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost ip6-loopback\n' >"$root/etc/hosts"

# A clean clone of the commit under test, as a new user would make.
git clone -q --no-checkout "$checkout" "$root/root/quadrel"
git -C "$root/root/quadrel" checkout -q --detach "$commit"

inside() { # command...: runs in the fresh root with a plain environment
    chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        "$@"
}

echo "fresh system: the README's test command: scripts/run-tests.sh"
t0=$(date +%s)
inside bash -c 'cd /root/quadrel && scripts/run-tests.sh'
test_s=$(($(date +%s) - t0))
stamp "test command passed in $test_s s"

# Tests write only to temporary folders.
"$root/root/quadrel/.ci/tree-clean.sh"

echo "fresh system: the README's demo command: xvfb-run -a scripts/run-demo.sh"
trace=/root/demo-trace.txt
t0=$(date +%s)
setsid chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    QUADREL_DEMO_TRACE="$trace" \
    bash -c 'cd /root/quadrel && exec xvfb-run -a scripts/run-demo.sh' >"$root/root/demo.log" 2>&1 &
demo_pid=$!

# The demo reads units 1, 2 and 5: each answers its information request in the
# scan, and unit 1, the first found and so selected, is read through to its
# last status request (the EDID types, code 0x29 addressed to 0x21).
deadline=$((t0 + 600))
first_frame=""
read_ok=""
while [ "$(date +%s)" -lt "$deadline" ]; do
    if ! kill -0 "$demo_pid" 2>/dev/null; then
        break
    fi
    if [ -s "$root$trace" ]; then
        [ -n "$first_frame" ] || first_frame=$(($(date +%s) - t0))
        if .ci/demo-read.sh "$root$trace"; then
            read_ok=yes
            break
        fi
    fi
    sleep 1
done
demo_s=$(($(date +%s) - t0))
if [ -z "$read_ok" ]; then
    echo "fresh system: the demo did not read units 1, 2 and 5 within $((demo_s)) s" >&2
    tail -n 40 "$root/root/demo.log" >&2 || true
    tail -n 20 "$root$trace" >&2 || true
    exit 1
fi
stamp "demo command: first frame on the line ${first_frame} s and units 1, 2 and 5 read $demo_s s after its start;"
echo "fresh system: both README commands passed (test command $test_s s)"
