#!/usr/bin/env bash
# Real-time soak: the real program on a virtual X display against quadrel-sim
# on a pseudo-terminal with faults, driven through its keyboard with xdotool.
# Halfway through the emulator is killed (SIGKILL, as a crash or a pulled
# adapter would end it): the program must live on without spinning and let
# go of the port; the emulator is started again and the port reopened through
# the Options dialog (Alt+O, then Enter on its default OK button).
#
#   scripts/soak.sh [MINUTES] [BUILD_DIR]     MINUTES defaults to 10, may be 0.5
#
# SOAK_SEED picks the emulator's faults (default 1; the restarted emulator
# takes the next seed); SOAK_DISPLAY the first X display number to try.
#
# Prints resident memory (VmRSS) and CPU use over an idle stretch at the
# start and at the end, and exits non-zero when the program died, spun after
# the loss, kept the lost port, failed to reopen it, or grew without bound.
# Needs Xvfb and xdotool.
set -euo pipefail

MINUTES=${1:-10}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${2:-$ROOT/build}
PORT=150
SEED=${SOAK_SEED:-1}
IDLE_WINDOW=10    # seconds of idle polling over which CPU is measured
CPU_IDLE_MAX=5    # per cent of one core, idle-polling or with the port lost
RSS_GROWTH_MAX=20 # MiB the program may grow between start and end

for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "soak: $tool is needed" >&2; exit 2; }
done
if [[ ! -x $BUILD/src/app/quadrel || ! -x $BUILD/sim/quadrel-sim ]]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja >/dev/null
    cmake --build "$BUILD" -j2 --target quadrel quadrel-sim
fi
QUADREL=$BUILD/src/app/quadrel
SIM=$BUILD/sim/quadrel-sim

TOTAL=$(awk -v m="$MINUTES" 'BEGIN { s = int(m * 60); print (s < 60 ? 60 : s) }')
WORK=$(mktemp -d /tmp/quadrel-soak.XXXXXX)
export XDG_CONFIG_HOME=$WORK/config
export XDG_STATE_HOME=$WORK/state
mkdir -p "$XDG_CONFIG_HOME/Quadrel"
printf '[COM]\nPORT%%20NUMBER=%d\nBAUD%%20RATE=9600\n' "$PORT" >"$XDG_CONFIG_HOME/Quadrel/Quadrel.conf"
ALIAS=$XDG_CONFIG_HOME/Quadrel/ports/com$PORT

XVFB_PID='' SIM_PID='' APP_PID=''
cleanup() {
    for pid in $APP_PID $SIM_PID $XVFB_PID; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "soak: FAIL: $*"; FAILED=1; }
FAILED=0

# A free display number: the first without a lock file (from SOAK_DISPLAY,
# so that soaks run side by side need not race for the same one).
DISPLAY_NUMBER=${SOAK_DISPLAY:-90}
while [[ -e /tmp/.X$DISPLAY_NUMBER-lock ]]; do DISPLAY_NUMBER=$((DISPLAY_NUMBER + 1)); done
Xvfb ":$DISPLAY_NUMBER" -screen 0 1600x1200x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
export DISPLAY=:$DISPLAY_NUMBER
for _ in $(seq 100); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getmouselocation >/dev/null 2>&1 || { cat "$WORK/xvfb.log"; echo "soak: Xvfb did not start" >&2; exit 1; }

# Three units, the first at ID 0 so that a scan finds it at once; faults on
# every answer at modest rates.
start_sim() {
    # A killed emulator leaves its alias behind, and its pseudo-terminal's
    # number may be taken again: only the new emulator's own alias will do.
    rm -f "$ALIAS"
    "$SIM" --port "$PORT" --trace --seed "$1" \
        --faults lost=0.02,corrupt=0.02,noise=0.02,split=0.03,late=0.02,wrong-id=0.01,out-of-range=0.02,empty=0.01 \
        --unit id=0,name=Stage,inputs=16,outputs=16,plug-period=3000 \
        --unit id=1,name=Lounge,inputs=8,outputs=4 \
        --unit id=2,name=Hall,inputs=150,outputs=200 \
        >>"$WORK/sim.log" 2>&1 &
    SIM_PID=$!
    for _ in $(seq 100); do [[ -L $ALIAS && -e $ALIAS ]] && return 0; sleep 0.1; done
    echo "soak: quadrel-sim did not make its alias" >&2
    exit 1
}
requests() { grep -c ' in ' "$WORK/sim.log" || true; }

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$APP_PID/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$APP_PID/stat"; }
# CPU use in per cent of one core over $1 seconds.
cpu_percent() {
    local t0 t1
    t0=$(cpu_ticks)
    sleep "$1"
    t1=$(cpu_ticks)
    awk -v d=$((t1 - t0)) -v hz="$(getconf CLK_TCK)" -v s="$1" 'BEGIN { printf "%.1f", 100 * d / hz / s }'
}
alive() { kill -0 "$APP_PID" 2>/dev/null; }
# Whether the program holds the pseudo-terminal $1 open.
holds() { [[ -n $1 ]] && ls -l "/proc/$APP_PID/fd" 2>/dev/null | grep -q -- "-> $1\$"; }

main_window() { xdotool search --onlyvisible --name '^Quadrel' 2>/dev/null | head -1; }
keys() {
    local w
    w=$(main_window)
    [[ -n $w ]] || return 0
    xdotool windowfocus --sync "$w" 2>/dev/null || true
    xdotool key --delay 80 "$@"
}

# The operator: scans and stops the scan a few seconds later (the units found
# by then stay, the first selected and polled), opens and cancels Options,
# moves about the focused list with arrow keys; never Enter or Space outside
# a dialog, which could land on Exit.
ACT=0
scan_briefly() { keys alt+c; sleep "$1"; keys alt+c; }
act() {
    ACT=$((ACT + 1))
    case $((ACT % 5)) in
    0) scan_briefly 4 ;;
    1) keys alt+o; sleep 0.5; keys Escape ;; # Options, then Cancel
    2) keys Down Down Up ;;
    3) keys Page_Down Page_Up ;;
    4) keys Right Left ;;
    esac
}
drive_for() {
    local until=$((SECONDS + $1))
    while ((SECONDS < until)); do
        act
        alive || return 0
        sleep 2
    done
}

start_sim "$SEED"
"$QUADREL" >"$WORK/quadrel.log" 2>&1 &
APP_PID=$!
for _ in $(seq 100); do [[ -n $(main_window) ]] && break; sleep 0.1; done
[[ -n $(main_window) ]] || { fail "no main window"; cat "$WORK/quadrel.log"; exit 1; }
sleep 5
keys alt+c # stop the start-up scan: the units found so far stay, the first is polled
sleep 2
RSS_START=$(rss_kib)
POLLED=$(requests)
CPU_START=$(cpu_percent "$IDLE_WINDOW")
POLLED=$(($(requests) - POLLED))
echo "soak: start  VmRSS $RSS_START KiB, CPU idle-polling $CPU_START % ($POLLED requests in those $IDLE_WINDOW s)"

HALF=$(((TOTAL - 4 * IDLE_WINDOW) / 2))
((HALF > 10)) || HALF=10
drive_for "$HALF"
alive || fail "the program died while driven"

# The emulator goes away.
OLD_PTY=$(readlink "$ALIAS")
BEFORE_KILL=$(requests)
kill -KILL "$SIM_PID"
wait "$SIM_PID" 2>/dev/null || true
sleep 3
alive || fail "the program died when the emulator was killed"
CPU_LOST=$(cpu_percent "$IDLE_WINDOW")
echo "soak: emulator killed; program alive: $(alive && echo yes || echo no), CPU $CPU_LOST %"
awk -v c="$CPU_LOST" -v m="$CPU_IDLE_MAX" 'BEGIN { exit !(c <= m) }' || fail "CPU $CPU_LOST % after the loss"
if holds "$OLD_PTY"; then
    fail "the lost port $OLD_PTY is still held open"
else
    echo "soak: the lost port $OLD_PTY is closed"
fi

# Back again, and reopened by the operator.
start_sim $((SEED + 1))
NEW_PTY=$(readlink "$ALIAS")
AFTER_RESTART=$(requests)
keys alt+o
for _ in $(seq 50); do xdotool search --onlyvisible --name '^Options$' >/dev/null 2>&1 && break; sleep 0.1; done
OPTIONS=$(xdotool search --onlyvisible --name '^Options$' 2>/dev/null | head -1)
if [[ -n $OPTIONS ]]; then
    xdotool windowfocus --sync "$OPTIONS" 2>/dev/null || true
    xdotool key Return
else
    fail "the Options dialog did not appear"
fi
for _ in $(seq 50); do holds "$NEW_PTY" && break; sleep 0.1; done
if holds "$NEW_PTY"; then
    echo "soak: the port was reopened through Options ($NEW_PTY)"
else
    fail "the port was not reopened through Options"
fi
sleep 1
scan_briefly 4 # a scan on the new line
(($(requests) > AFTER_RESTART)) || fail "no request reached the emulator after the reopen"

drive_for "$HALF"
alive || fail "the program died while driven"
# A unit given up under faults is polled no more until it is picked again:
# a brief scan picks the first unit afresh, then idle polling is measured.
sleep 2
scan_briefly 4
sleep 2
RSS_END=$(rss_kib)
POLLED=$(requests)
CPU_END=$(cpu_percent "$IDLE_WINDOW")
POLLED=$(($(requests) - POLLED))
echo "soak: end    VmRSS $RSS_END KiB, CPU idle-polling $CPU_END % ($POLLED requests in those $IDLE_WINDOW s)"
((POLLED > 0)) || echo "soak: WARNING: nothing was polled in the end window, so its CPU figure is of an idle line"
echo "soak: $TOTAL s planned, $SECONDS s taken, $ACT operator acts, $(requests) requests heard by the emulator ($BEFORE_KILL before the kill)"
FAULTS=$(grep -cE 'lost|corrupt|noise|split|late|wrong-id|out-of-range|empty' "$WORK/sim.log" || true)
echo "soak: $FAULTS trace lines of faulty answers"

awk -v c="$CPU_END" -v m="$CPU_IDLE_MAX" 'BEGIN { exit !(c <= m) }' || fail "CPU $CPU_END % while idle-polling"
((RSS_END - RSS_START <= RSS_GROWTH_MAX * 1024)) || fail "VmRSS grew by $(((RSS_END - RSS_START) / 1024)) MiB"
if ((FAILED)); then
    echo "soak: see $WORK (kept)"
    trap - EXIT
    for pid in $APP_PID $SIM_PID $XVFB_PID; do kill "$pid" 2>/dev/null || true; done
    exit 1
fi
echo "soak: PASS"
