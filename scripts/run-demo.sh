#!/usr/bin/env bash
# Installs what is needed, builds, and starts Quadrel on the unit emulator's
# demo line-up, with a settings folder of its own inside the build tree, so the
# operator's own settings and ports are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
quadrel_install_deps demo
# The demo needs only the program and the emulator, so the window comes up as
# soon as those two are built. A build folder that the test command made
# keeps its configuration (the two share it); a new one leaves the tests and
# benchmarks out, so configuring needs no test libraries.
if [ -f build/CMakeCache.txt ]; then
    cmake -S . -B build >/dev/null
else
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUADREL_WERROR=ON \
        -DQUADREL_BUILD_TESTS=OFF -DQUADREL_BUILD_BENCH=OFF
fi
cmake --build build -j2 --target quadrel quadrel-sim
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here (DISPLAY and WAYLAND_DISPLAY are empty). The build is done;" >&2
    echo "to see the program on a virtual display, run:" >&2
    echo "    xvfb-run -a scripts/run-demo.sh" >&2
    exit 0
fi

port="${QUADREL_DEMO_PORT:-200}"
demo_config="$PWD/build/demo-config"
mkdir -p "$demo_config/Quadrel"
cat >"$demo_config/Quadrel/Quadrel.conf" <<CONF
[COM]
PORT NUMBER=$port
BAUD RATE=9600
CONF

# QUADREL_DEMO_TRACE=FILE makes the emulator write every frame of the line to
# FILE (CI reads it to see that the demo units were read).
sim_args=(--port "$port" --baud 9600)
if [ -n "${QUADREL_DEMO_TRACE:-}" ]; then
    XDG_CONFIG_HOME="$demo_config" build/sim/quadrel-sim "${sim_args[@]}" --trace \
        >"$QUADREL_DEMO_TRACE" &
else
    XDG_CONFIG_HOME="$demo_config" build/sim/quadrel-sim "${sim_args[@]}" &
fi
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
alias_path="$demo_config/Quadrel/ports/com$port"
for _ in $(seq 100); do
    [ -L "$alias_path" ] && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.05
done
if [ ! -L "$alias_path" ] || ! kill -0 "$sim_pid" 2>/dev/null; then
    echo "The unit emulator did not start on port $port (see above);" >&2
    echo "QUADREL_DEMO_PORT=<another number> scripts/run-demo.sh picks another port." >&2
    exit 1
fi
# The window's placement is kept beside the demo's settings, not in the
# operator's own state folder.
XDG_CONFIG_HOME="$demo_config" XDG_STATE_HOME="$PWD/build/demo-state" build/src/app/quadrel
