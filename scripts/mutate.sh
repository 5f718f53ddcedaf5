#!/usr/bin/env bash
# Measures the test suite: applies a fixed list of faults to the core and the
# pages one at a time, rebuilds the test programs, runs the fast tests and
# says whether they caught each fault. The list stays fixed, so the figure
# before and after a change to the suite counts the same faults.
#
# Usage: scripts/mutate.sh [--check] [--list] [--from N] [--to M] [--no-baseline]
#   --check   only tell whether every fault still applies (no build)
#   --list    print the faults and exit
#   --from/--to  run faults N..M of the list (1-based), for runs in chunks
#   --no-baseline  skip the run of the unchanged tree (a chunk after the first)
# Environment: QUADREL_MUTATE_BUILD (default build-mutate), QUADREL_MUTATE_TIMEOUT
# (seconds of tests per fault, default 420), QUADREL_CPU_LOCK (default
# /tmp/quadrel-cpu.lock; every build and test run holds it).
#
# Left out of the suite here: the install checks (install_tree, install_deb:
# packaging, no code under test) and the soak test (minutes of random faults).
# A fault counts as caught when a test fails or runs out of time. The source
# is restored after each fault, on every way out.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${QUADREL_MUTATE_BUILD:-build-mutate}"
per_fault="${QUADREL_MUTATE_TIMEOUT:-420}"
lock="${QUADREL_CPU_LOCK:-/tmp/quadrel-cpu.lock}"
exclude='^(install_tree|install_deb|soak_fault_test|fuzz_receive_corpus)$'

names=() files=() olds=() news=()
# fault NAME FILE OLD NEW: OLD must occur exactly once in FILE.
fault() {
    names+=("$1")
    files+=("$2")
    olds+=("$3")
    news+=("$4")
}

# --- The device link ---
L=src/link
fault crc-initial-value $L/basCRC8_Dallas_1_Wire.cpp \
    'uint8_t crc = initial;' 'uint8_t crc = initial ^ 1;'
fault address-bit-5 $L/FrameBuilder.cpp \
    '((id & 0x1F) | 0x20)' '((id & 0x1F) | 0x40)'
fault empty-payload-long-form $L/FrameBuilder.cpp \
    'const bool shortForm = chunk == 0 || chunk == 2;' 'const bool shortForm = chunk == 2;'
fault length-byte-off-by-one $L/FrameBuilder.cpp \
    'frame.push_back(static_cast<uint8_t>(chunk));' 'frame.push_back(static_cast<uint8_t>(chunk + 1));'
fault insert-priority-strict $L/TransmitQueue.cpp \
    'waiting.lPriority <= packet.lPriority' 'waiting.lPriority < packet.lPriority'
fault insert-selected-at-end $L/TransmitQueue.cpp \
    $'        index = 0;\n' $'        index = SendQueue_.size();\n'
fault wait-ack-guard-inverted $L/TransmitQueue.cpp \
    '(packet.bFrame[0] & 0x80) == 0) {' '(packet.bFrame[0] & 0x80) != 0) {'
fault four-tries $L/TransmitQueue.cpp \
    'if (++iRetryCount_[id] < kMaxTries) {' 'if (++iRetryCount_[id] <= kMaxTries) {'
fault ack-keeps-retry-count $L/TransmitQueue.cpp \
    $'    iRetryCount_[CurrentCommand_.bID & 0x1F] = 0;\n' ''
fault purge-data1-reads-byte0 $L/TransmitQueue.cpp \
    'return p.bCommand == code && p.data(1) == data1; });' 'return p.bCommand == code && p.data(0) == data1; });'
fault silent-unit-keeps-frames $L/TransmitQueue.cpp \
    $'            PurgeCommandsByID(id);\n        }\n        const UnitRef& selected' $'        }\n        const UnitRef& selected'
fault silent-unit-keeps-anchors $L/TransmitQueue.cpp \
    $'            views_->ResetSelectionAnchors();\n' ''
fault give-up-waits-for-tick $L/TransmitQueue.cpp \
    'if (!heard_) {' 'if (false) {'
fault closed-port-keeps-queue $L/TransmitQueue.cpp \
    $'    if (!port_.isOpen()) {\n        SendQueue_.clear();' $'    if (!port_.isOpen()) {'
fault odd-paired-length-taken $L/ReceiveParser.cpp \
    'accepted = b % 2 == 0;' 'accepted = true;'
fault firmware-length-loose $L/ReceiveParser.cpp \
    'accepted = b == 2;' 'accepted = b >= 2;'
fault info-reply-too-short $L/ReceiveParser.cpp \
    '(page == 0 && b >= 3)' '(page == 0 && b >= 2)'
fault crc-unchecked $L/ReceiveParser.cpp \
    'if (crc != b || (packet_.bBuffer[0] & 0x80) == 0) {' 'if ((packet_.bBuffer[0] & 0x80) == 0) {'
fault answer-from-any-unit $L/ReceiveParser.cpp \
    'if (packet_.bID != current.bID) {' 'if (false) {'
fault partial-frame-kept $L/ReceiveParser.cpp \
    $'    if (IsReceiving()) {\n        timRecvNext_->start();' $'    if (IsReceiving()) {'
fault bass-reply-to-treble $L/ReceiveParser.cpp \
    $'    case kCmdGetBassLevel:\n        return replies_->ReplyBassLevel();' \
    $'    case kCmdGetBassLevel:\n        return replies_->ReplyTrebleLevel();'

# --- The unit model ---
M=src/model
fault level-range-255 $M/ReplyHandlers.cpp \
    '!basQRD::IsInRange(v, 0, 100)' '!basQRD::IsInRange(v, 0, 255)'
fault route-input-unchecked $M/ReplyHandlers.cpp \
    '(input != 0 && !basQRD::IsInRange(input, 1, unit->iInputCount()))' '(input != 0 && input > 255)'
fault delay-bytes-swapped $M/ReplyHandlers.cpp \
    'static_cast<long>(high) * 256 + low;' 'static_cast<long>(low) * 256 + high;'
fault firmware-minor-nibble $M/ReplyHandlers.cpp \
    'firmware->setiMinor(p.bData[0] & 0x0F);' 'firmware->setiMinor(p.bData[0] >> 4);'
fault delay-support-bit $M/ReplyHandlers.cpp \
    'audio->setblSupportDelayControl(Bit(d[2], 6));' 'audio->setblSupportDelayControl(Bit(d[2], 5));'
fault delay-unit-swapped $M/ReplyHandlers.cpp \
    'audio->setiDelayUnit(Bit(d[2], 7) ? 10 : 5);' 'audio->setiDelayUnit(Bit(d[2], 7) ? 5 : 10);'
fault memory-count-3-bits $M/ReplyHandlers.cpp \
    'true, flags & 0x0F,' 'true, flags & 0x07,'
fault old-crosspoint-kept $M/basQRD.cpp \
    $'        Crosspoints[old][output].blAudio = false;\n' ''
fault video-outputs-not-cleared $M/basQRD.cpp \
    $'    VideoOutputs.Clear();\n' ''
fault scan-keeps-queue $M/StatusPolling.cpp \
    $'    link_.queue.ClearQueue();\n    link_.queue.ScanStarted();' $'    link_.queue.ScanStarted();'
fault poll-over-waiting-frames $M/StatusPolling.cpp \
    'link_.queue.iSendQueueCount() != 0) {' 'false) {'
fault status-keeps-edid-query $M/StatusPolling.cpp \
    $'            q.PurgeCommandsByCode(kCmdGetEdidType);\n' ''
fault last-id-30 $M/ScanMemory.cpp \
    'constexpr uint8_t kIds = 32;' 'constexpr uint8_t kIds = 31;'
fault last-seen-not-asked-first $M/ScanMemory.cpp \
    $'        order.push_back(unit.id);\n' ''
fault read-end-not-redrawn $M/StatusPolling.cpp \
    $'    SetLoadingStatus(false);\n    views_.Setup_AllViews();' $'    SetLoadingStatus(false);'

# --- The pages ---
A=src/app C=src/control
fault route-keeps-old-setting $A/SwitchViewActions.cpp \
    $'            queue.PurgeCommandsByData0(kCmdSetAudioSwitch, out);\n' ''
fault cell-route-bytes-swapped $A/SwitchViewActions.cpp \
    'send.CmdSetVideoSwitch(id, output, input, kQueryPriority);' 'send.CmdSetVideoSwitch(id, input, output, kQueryPriority);'
fault select-all-guard-off $A/SwitchViewActions.cpp \
    'blSkipSelAllSwitchOutput_ = true;' 'blSkipSelAllSwitchOutput_ = false;'
fault other-unit-keeps-frames $A/UnitPane.cpp \
    $'    core_.link.queue.PurgeCommandsByID(unit->bID());\n' ''
fault save-bytes-swapped $A/UnitPaneMemory.cpp \
    'CmdSaveVideoMemory(unit->bID(), 0, l, kRequestPriority);' 'CmdSaveVideoMemory(unit->bID(), l, 0, kRequestPriority);'
fault load-not-reread $A/UnitPaneMemory.cpp \
    $'        core_.status.RequestUnitStatus(0);\n' ''
fault audio-pick-off-by-one $C/AudioPage.cpp \
    $'    const int n = sco_->value() + index + 1;\n    if (n > kMaxPort) {\n        return;\n    }\n    PortSelection::Apply' \
    $'    const int n = sco_->value() + index;\n    if (n > kMaxPort) {\n        return;\n    }\n    PortSelection::Apply'
fault audio-scroll-one-too-far $C/AudioPage.cpp \
    'sco_->setMaximum(std::max(count - kPanels, 0));' 'sco_->setMaximum(std::max(count - kPanels + 1, 0));'
fault level-keeps-old-setting $C/SelectedAudioGroup.cpp \
    $'            core_.link.queue.PurgeCommandsByData0(kind.setCode, static_cast<uint8_t>(n));\n' ''
fault level-above-maximum $C/SelectedAudioGroup.cpp \
    'if (v < 0 || v > AudioRules::kMaxLevel) {' 'if (v < 0 || v > AudioRules::kMaxLevel + 1) {'
fault edid-choice-inverted $C/VideoPage.cpp \
    'const uint8_t type = optFix_->isChecked() ? 0 : 1;' 'const uint8_t type = optFix_->isChecked() ? 1 : 0;'
fault edid-panel-not-redrawn $C/VideoPage.cpp \
    $'        panel->ShowType(core_.model.VideoInputs[input].lEdidType);\n' ''

count=${#names[@]}
mode=run from=1 to=$count baseline=1
while [ $# -gt 0 ]; do
    case "$1" in
    --check) mode=check ;;
    --list) mode=list ;;
    --from) from="$2"; shift ;;
    --to) to="$2"; shift ;;
    --no-baseline) baseline=0 ;;
    *) echo "unknown option $1 (see the head of $0)" >&2; exit 2 ;;
    esac
    shift
done

# apply FILE OLD NEW: replaces the one occurrence; status 3 when OLD is not
# there exactly once (the code moved on: the fault needs a new anchor).
apply() {
    OLD="$2" NEW="$3" perl -0777 -i -pe '
        my ($o, $n) = ($ENV{OLD}, $ENV{NEW});
        my $c = () = /\Q$o\E/g;
        if ($c != 1) { $bad = 1 } else { s/\Q$o\E/$n/ }
        END { exit 3 if $bad }' "$1"
}

backup=""
target=""
keep_time=""
# The restored file gets a fresh time, so the next build compiles it again
# (from the compiler cache) instead of keeping the mutant's object.
restore() {
    if [ -n "$target" ]; then
        cp $keep_time "$backup" "$target"
        target=""
    fi
}
trap 'restore; rm -f "${backup:-}"' EXIT
trap 'exit 130' INT TERM
backup=$(mktemp)

if [ "$mode" = list ]; then
    for ((i = 0; i < count; i++)); do printf '%2d %-28s %s\n' $((i + 1)) "${names[i]}" "${files[i]}"; done
    exit 0
fi

if [ "$mode" = check ]; then
    keep_time=-p # nothing is built here
    bad=0
    for ((i = 0; i < count; i++)); do
        cp -p "${files[i]}" "$backup"
        target="${files[i]}"
        if apply "${files[i]}" "${olds[i]}" "${news[i]}"; then r=applies; else r="NOT APPLIED"; bad=1; fi
        restore
        printf '%2d %-28s %s\n' $((i + 1)) "${names[i]}" "$r"
    done
    echo "$count faults"
    exit $bad
fi

# The shared CPU lock, held on descriptor 9 for one build and test run at a time.
exec 9>>"$lock"
locked() {
    flock 9
    local status=0
    "$@" || status=$?
    flock -u 9
    return $status
}
if [ ! -f "$build/build.ninja" ]; then
    extra=()
    command -v ccache >/dev/null && extra+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # Every fault relinks all the test programs: a fast linker pays.
    command -v ld.lld >/dev/null && extra+=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)
    # The flags of the usual build, so the compiler cache serves the unchanged files.
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUADREL_WERROR=ON \
        -DQUADREL_BUILD_BENCH=OFF "${extra[@]}" >/dev/null
fi
# Configured again first: tests added or removed since the last run are listed.
cmake -S . -B "$build" >/dev/null
# The programs the suite runs (the end-to-end tests start quadrel and quadrel-sim).
mapfile -t tests < <(ctest --test-dir "$build" -N -E "$exclude" | sed -n 's/^ *Test *#[0-9]*: //p')
targets=(quadrel quadrel-sim "${tests[@]}")

build_tests() { cmake --build "$build" -j2 --target "${targets[@]}" >"$build/mutant-build.txt" 2>&1; }
# The tests in virtual time first, the real-time end-to-end ones only when
# those pass: most faults are caught in seconds, and the figure is the same,
# since a fault counts as caught when any test fails.
run_tests() {
    local status=0
    timeout "$per_fault" ctest --test-dir "$build" -j2 -E "$exclude|^e2e_" --stop-on-failure \
        >"$build/mutant-tests.txt" 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        timeout "$per_fault" ctest --test-dir "$build" -j2 -R '^e2e_' -E "$exclude" \
            --stop-on-failure >>"$build/mutant-tests.txt" 2>&1 || status=$?
    fi
    return $status
}
# Build, then test, in one hold of the lock. Status 10: it does not build.
try_tree() {
    build_tests || return 10
    run_tests
}
failed_tests() {
    sed -nE 's/.*Test +#[0-9]+: ([A-Za-z_0-9]+) .*\*\*\*.*/\1/p' "$build/mutant-tests.txt" | sort -u | paste -sd' '
}

if [ "$baseline" = 1 ]; then
    echo "building and testing the unchanged tree ..." >&2
    status=0
    locked try_tree || status=$?
    if [ "$status" -ne 0 ]; then
        echo "the unchanged tree fails (status $status): $(failed_tests); see $build/mutant-*.txt" >&2
        exit 1
    fi
fi

caught=0 missed=0 skipped=0 total=0
for ((i = from - 1; i < to && i < count; i++)); do
    name="${names[i]}" file="${files[i]}"
    line=$(printf '%2d %-28s %-38s' $((i + 1)) "$name" "$file")
    cp -p "$file" "$backup"
    target="$file"
    if ! apply "$file" "${olds[i]}" "${news[i]}"; then
        restore
        echo "$line not applied"
        skipped=$((skipped + 1))
        continue
    fi
    total=$((total + 1))
    status=0
    locked try_tree || status=$?
    restore
    if [ "$status" -eq 10 ]; then
        echo "$line caught (does not build)"
        caught=$((caught + 1))
    elif [ "$status" -eq 124 ]; then
        echo "$line caught (tests ran out of time)"
        caught=$((caught + 1))
    elif [ "$status" -ne 0 ]; then
        echo "$line caught by $(failed_tests)"
        caught=$((caught + 1))
    else
        echo "$line MISSED"
        missed=$((missed + 1))
    fi
done
echo "caught $caught of $total faults applied, missed $missed, not applied $skipped"
# Put the test programs back in step with the restored source.
locked build_tests || true
