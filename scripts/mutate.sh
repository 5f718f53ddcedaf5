#!/usr/bin/env bash
# Measures the test suite: applies a fixed list of faults, spread over every
# folder of the program and the emulator in proportion to its code, one at a
# time, rebuilds the test programs, runs the fast tests and
# says whether they caught each fault. The list stays fixed, so the figure
# before and after a change to the suite counts the same faults.
#
# Usage: scripts/mutate.sh [--check] [--list] [--part FOLDER] [--only NAME] [--tests REGEX]
#                          [--from N] [--to M] [--no-baseline]
#   --check   only tell whether every fault still applies (no build)
#   --list    print the faults and exit
#   --part FOLDER  only the faults in files under FOLDER (src/model, sim, ...):
#             a change is measured where it touches; may be given again
#   --only NAME  only the fault so named (a missed one, again after its test
#             is written); may be given again
#   --tests REGEX  build and run only the test programs REGEX matches (ctest
#             names, e.g. '^(ctl_test|service_test)$'): quicker where the tests
#             that guard a part are known; a fault only others catch is missed
#   --from/--to  run faults N..M of the list (1-based), for runs in chunks
#   --no-baseline  skip the run of the unchanged tree (a chunk after the first)
# Each fault's build and test output is kept in BUILD/faults/NNN-name.txt.
# Environment: QUADREL_MUTATE_BUILD (default build-mutate), QUADREL_MUTATE_TIMEOUT
# (seconds of tests per fault, default 420), QUADREL_CPU_LOCK (default
# /tmp/quadrel-build.lock, the lock of every build on this machine).
#
# Left out of the suite here: the install checks (install_tree, install_deb:
# packaging, no code under test) and the fuzzers' corpora (the sanitizer tree's).
# A fault counts as caught when a test fails or runs out of time. A fault
# that does not build is reported apart and counted neither way: it proves
# nothing of the tests. The source is restored after each fault, on every
# way out.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${QUADREL_MUTATE_BUILD:-build-mutate}"
per_fault="${QUADREL_MUTATE_TIMEOUT:-420}"
lock="${QUADREL_CPU_LOCK:-/tmp/quadrel-build.lock}"
exclude='^(install_tree|install_deb|fuzz_receive_corpus|fuzz_remote_corpus)$'

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
    $'        views_->ResetSelectionAnchors();\n' ''
fault give-up-waits-for-tick $L/TransmitQueue.cpp \
    'if (!heard_) {' 'if (false) {'
fault closed-port-keeps-queue $L/TransmitQueue.cpp \
    $'    if (!port_.isOpen()) {
        ClearQueue();
        return false;' $'    if (!port_.isOpen()) {
        return false;'
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
fault select-all-guard-off $A/SwitchViewActions.cpp \
    'blSkipSelAllSwitchOutput_ = true;' 'blSkipSelAllSwitchOutput_ = false;'
fault load-not-reread $A/UnitPaneMemory.cpp \
    $'        core_.status.RequestUnitStatus(0);\n' ''
fault audio-pick-off-by-one $C/AudioPage.cpp \
    $'    const int n = sco_->value() + index + 1;\n    if (n > kMaxPort) {\n        return;\n    }\n    PortSelection::Apply' \
    $'    const int n = sco_->value() + index;\n    if (n > kMaxPort) {\n        return;\n    }\n    PortSelection::Apply'
fault level-above-maximum $C/SelectedAudioGroup.cpp \
    'if (v < 0 || v > AudioRules::kMaxLevel) {' 'if (v < 0 || v > AudioRules::kMaxLevel + 1) {'
fault edid-choice-inverted $C/VideoPage.cpp \
    'const uint8_t type = optFix_->isChecked() ? 0 : 1;' 'const uint8_t type = optFix_->isChecked() ? 1 : 0;'

fault audio-scroll-one-too-far $C/AudioPage.cpp \
    $'    sco_->setValue(0);\n    sco_->setMaximum(std::max(count - shown_, 0));' $'    sco_->setValue(0);\n    sco_->setMaximum(std::max(count - shown_ + 1, 0));'
fault edid-panel-not-redrawn $C/VideoPage.cpp \
    $'        panel->ShowType(s.lEdidType);\n' ''
fault options-escape-keeps-port $A/frmOptions.cpp \
    'if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {' 'if (false) {'
fault options-choice-not-written $A/frmOptions.cpp \
    'if (!line_.settings().Write(port, rate, reason)) {' 'if (false) {'
fault window-page-not-restored $A/WindowPlacement.cpp \
    'if (tabs.tabData(i).toString() == page) {' 'if (false) {'
fault window-maximized-ignored $A/WindowPlacement.cpp \
    'if (state->Value(kMaximizedKey).toBool()) {' 'if (false) {'

fault route-to-unselected-outputs $A/SwitchViewActions.cpp \
    $'        if (!core_.model.SwitchOutputSelect[o].blSelected) {\n            continue;' $'        if (false) {\n            continue;'
fault route-video-unasked $A/SwitchViewActions.cpp \
    $'    const bool video = chkSelSwitchVideo_->isChecked() && unit->objVideoINFO() &&\n                       unit->objVideoINFO()->blEnabled();\n    const int outputs' \
    $'    const bool video = unit->objVideoINFO() &&\n                       unit->objVideoINFO()->blEnabled();\n    const int outputs'
fault crosspoint-not-undoable $A/SwitchViewActions.cpp \
    'core_.path.Send(change, core_.history.Record(target));' 'core_.path.Send(change, 0);'
fault crosspoint-asks-all-ports $A/SwitchViewActions.cpp \
    $'    change.follow = Change::Follow::EachPort;\n' ''
fault unit-list-keys-ignored $A/UnitPane.cpp \
    'if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {' 'if (key == Qt::Key_Space) {'
fault memory-save-unasked $A/UnitPaneMemory.cpp \
    'if (messages_ == nullptr || state_ == nullptr || !state_->Value(stateKey, true).toBool()) {' 'if (true) {'
fault memory-load-list-unbounded $A/UnitPaneMemory.cpp \
    'if (lines.size() > kMaxListedPorts) {' 'if (false) {'
fault names-import-unbounded $A/NamesDialog.cpp \
    'NamesCsv::Import(file.read(NamesCsv::kMaxBytes + 1), imported, error)' 'NamesCsv::Import(file.readAll(), imported, error)'

# --- The one change path, jobs, undo and the program's files ---
fault change-keeps-old-setting $M/ChangePath.cpp \
    $'        q.PurgeCommandsByData0(kind->setCode, port);\n' ''
fault change-port-value-swapped $M/ChangePath.cpp \
    '(s.*kind->set)(id, port, Byte(item.value), priority);' '(s.*kind->set)(id, Byte(item.value), port, priority);'
fault delay-off-step-sent $M/ChangePath.cpp \
    'if (step <= 0 || item.value < 0 || item.value % step != 0) {' 'if (step <= 0 || item.value < 0) {'
fault preset-save-bytes-swapped $M/ChangePath.cpp \
    'save ? s.CmdSaveVideoMemory(id, 0, l, c.priority)' 'save ? s.CmdSaveVideoMemory(id, l, 0, c.priority)'
fault other-unit-keeps-frames $M/QuadrelCore.cpp \
    $'    link.queue.PurgeCommandsByID(unit->bID());\n' ''
fault same-preset-restored-again $M/RestorePlan.cpp \
    'if (it != unitPresets.end() && Differences(it->second, wanted, location).empty()) {' 'if (false && it != unitPresets.end()) {'
fault equal-values-sent $M/UnitSettings.cpp \
    'if (wanted.*f.value && now.*f.value != wanted.*f.value) {' 'if (wanted.*f.value) {'
fault restore-ok-despite-not-taken $M/UnitSettingsJob.cpp \
    'out_.ok = !out_.cancelled && out_.notTaken.empty();' 'out_.ok = !out_.cancelled;'
fault newer-settings-file-read $M/UnitSettingsFile.cpp \
    'if (*version != kVersion) {' 'if (*version > kVersion + 1) {'
fault undo-over-a-later-change $M/ChangeHistory.cpp \
    $'    if (!shows) {\n' $'    if (false && !shows) {\n'
fault held-key-not-one-step $M/ChangeHistory.cpp \
    $'        if (joins) {\n' $'        if (false && joins) {\n'
fault undo-depth-unbounded $M/ChangeHistory.cpp \
    $'    undo_.push_back(std::move(change));\n    if (undo_.size() > kMaxChanges) {\n        undo_.pop_front();\n    }\n    redo_.clear();\n    return tag;' \
    $'    undo_.push_back(std::move(change));\n    if (undo_.size() > kMaxChanges * 2) {\n        undo_.pop_front();\n    }\n    redo_.clear();\n    return tag;'
fault names-offered-from-other-line $M/NamesStore.cpp \
    '(e.report.line == unit.line || e.report.line == 0);' 'true;'
fault names-put-aside-offered $M/NamesStore.cpp \
    'return e.report.id == unit.id && !e.aside && !e.report.SameUnit(unit) &&' 'return e.report.id == unit.id && !e.report.SameUnit(unit) &&'
fault names-count-unbounded $M/NamesStore.cpp \
    'v.toInt() < 0 || v.toInt() > high) {' 'v.toInt() < 0 || (false && v.toInt() > high)) {'
fault port-name-length-unchecked $M/NamesCodec.cpp \
    'if (Length(value.toString()) > kMaxPortNameLength) {' 'if (false) {'
fault settings-file-size-unchecked $M/PortSettings.cpp \
    'if (contents->size() > kMaxBytes) {' 'if (false) {'
fault settings-true-case-sensitive $M/PortSettings.cpp \
    'if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {' 'if (trimmed.compare(QLatin1String("true"), Qt::CaseSensitive) == 0) {'

# --- The trace in words ---
G=src/log
fault words-location-always $G/FrameWords.cpp \
    'if (HasLocation(c) && r.data(1) != 0) {' 'if (HasLocation(c)) {'
fault words-delay-bit $G/FrameWords.cpp \
    'if ((d[2] >> 6) & 1) {' 'if ((d[2] >> 5) & 1) {'
fault words-no-pairs $G/FrameWords.cpp \
    'if (pairs == 0) {' 'if (pairs == 1) {'
fault trace-pieces-always $G/TraceLines.cpp \
    'if (pieces_) {' 'if (true) {'
fault figures-empty-id-counted $G/TraceFigures.cpp \
    'if ((f.requests > 0 || f.droppedBytes > 0) && !IsEmptyId(id)) {' 'if (f.requests > 0 || f.droppedBytes > 0) {'

# --- quadrel-ctl ---
T=src/ctl
fault ctl-list-past-high $T/CtlCommand.cpp \
    '*first > *last || *first < low || *last > high) {' '*first > *last || *first < low) {'
fault ctl-list-repeats-kept $T/CtlCommand.cpp \
    'if (!seen[static_cast<size_t>(v - low)]) {' 'if (true) {'
fault ctl-route-input-past-count $T/RangeCheck.cpp \
    '(*c.input < 1 || *c.input > unit.iInputCount())) {' '*c.input < 1) {'
fault ctl-location-past-count $T/RangeCheck.cpp \
    'if (c.location < 1 || c.location > unit.iMemoryCount()) {' 'if (c.location < 1) {'
fault ctl-port-past-count $T/RangeCheck.cpp \
    'if (p < 1 || p > count) {' 'if (p < 1) {'

# --- The line's owner: the local socket and quadrel-server ---
V=src/service
fault service-peer-unchecked $V/LineService.cpp \
    'if (PeerUser(socket->socketDescriptor()) != static_cast<long>(::geteuid())) {' 'if (PeerUser(socket->socketDescriptor()) == -2) {'
fault service-one-client-too-many $V/LineService.cpp \
    'if (static_cast<int>(clients_.size()) >= protocol::kMaxClients) {' 'if (static_cast<int>(clients_.size()) > protocol::kMaxClients) {'
fault service-relative-file-taken $V/LineService.cpp \
    '} else if (!command->file.isEmpty() && QFileInfo(command->file).isRelative()) {' '} else if (false) {'
fault service-other-port-taken $V/LineService.cpp \
    '} else if (command->port && *command->port != port_) {' '} else if (false) {'
fault service-unread-unbounded $V/LineService.cpp \
    'if (socket->bytesToWrite() + line.size() > protocol::kMaxUnread) {' 'if (false) {'
fault service-version-fraction $V/ServiceProtocol.cpp \
    'if (version.toInteger() != kVersion || version.toDouble() != kVersion) {' 'if (version.toInteger() != kVersion) {'
fault server-bad-baud-taken src/server/Server.cpp \
    'if (!comm_.IsValidBaudRate(QString::number(baud))) {' 'if (false) {'

# --- The emulator ---
S=sim
fault sim-crc-unchecked $S/RequestParser.cpp \
    'if (crc != buffer_[length - 1]) {' 'if (false) {'
fault sim-gap-ignored $S/RequestParser.cpp \
    'if (!buffer_.empty() && at - lastByte_ > kGap) {' 'if (false) {'
fault sim-route-past-outputs $S/Unit.cpp \
    'if (output < 1 || output > config_.outputs || input > config_.inputs) {' 'if (output < 1 || input > config_.inputs) {'
fault sim-address-bit-loose $S/ProtocolEngine.cpp \
    'if ((b & 0x60) == 0x20) {' 'if ((b & 0x20) == 0x20) {'
fault sim-same-id-twice $S/ProtocolEngine.cpp \
    'if (config.id > 31 || unit(config.id) != nullptr) {' 'if (config.id > 31) {'
fault sim-silence-ignored $S/ProtocolEngine.cpp \
    'if (isSilent(slot, faults, t)) {' 'if (false) {'

# --- Scenes, roles and tokens in the core ---
fault scene-newer-file-read $M/SceneStoreJson.cpp \
    'if (version < 1 || version > kVersion) {' 'if (version < 1) {'
fault scene-output-twice-kept $M/SceneStoreJson.cpp \
    'if (!port || u.values.outputs.count(*port) != 0) {' 'if (!port) {'
fault scene-name-taken-twice $M/SceneStore.cpp \
    'if (taken != scenes.end() && taken != at) {' 'if (taken != scenes.end() && at == scenes.end()) {'
fault scene-file-one-too-many $M/SceneStore.cpp \
    '} else if (static_cast<int>(scenes.size()) >= kMaxScenes) {' '} else if (static_cast<int>(scenes.size()) > kMaxScenes) {'
fault scene-other-unit-recalled $M/ScenePlan.cpp \
    'if (found->sName() != unit.name || found->iInputCount() != unit.inputs ||' 'if (found->iInputCount() != unit.inputs ||'
fault scene-cancel-reads-on $M/SceneJobSteps.cpp \
    'if (!answers || r.cancelled || !core_.link.IsPortOpen()) {' 'if (!answers || !core_.link.IsPortOpen()) {'
fault roles-newer-file-read $M/RolesFile.cpp \
    'if (!version || *version > kVersion) {' 'if (!version) {'
fault staff-any-scene $M/StaffRules.cpp \
    'if (scenes.count(r.scene) == 0) {' 'if (false) {'
fault staff-beyond-outputs $M/StaffRules.cpp \
    'if (unit->second.count(port) == 0) {' 'if (false) {'
fault token-secret-unchecked $M/TokenFile.cpp \
    'if (found == nullptr || !SameBytes(digest, found->hash)) {' 'if (found == nullptr || (false && !SameBytes(digest, found->hash))) {'
fault token-compare-last-byte $M/TokenFile.cpp \
    'diff |= static_cast<unsigned char>(a[i] ^ b[i]);' 'diff = static_cast<unsigned char>(a[i] ^ b[i]);'

# --- The window: the lock, scenes, undo, the jobs, Options' pages ---
fault lock-without-password $A/WindowLock.cpp \
    $'    if (!config_.password.isSet()) {\n        core_.activity.Act(tr("Not locked' $'    if (false) {\n        core_.activity.Act(tr("Not locked'
fault locked-control-reenabled $A/WindowLock.cpp \
    'if (g.held && g.wanted) {' 'if (false) {'
fault scene-recall-while-busy $A/SceneUi.cpp \
    'if (w_.core.status.IsBusy()) {' 'if (false) {'
fault scene-undo-redone $A/SceneUi.cpp \
    $'    if (undo) {\n        job_.Undo(done);' $'    if (!undo) {\n        job_.Undo(done);'
fault scene-renamed-over-another $A/SceneUi.cpp \
    'if ((!kept || out.name != replacing) && store_.Find(out.name) != nullptr) {' 'if (!kept && store_.Find(out.name) != nullptr) {'
fault preset-load-not-undoable $A/UnitPaneMemory.cpp \
    'const uint32_t tag = core_.history.Record(preview);' 'const uint32_t tag = 0;'
fault restore-while-job-runs $A/UnitSettingsUi.cpp \
    '!core_.status.IsBusy() && !job_.Running()) {' '!core_.status.IsBusy()) {'
fault roles-password-repeat-unchecked $A/RolesPage.cpp \
    'if (txtPassword_->text() != txtRepeat_->text()) {' 'if (false) {'
fault network-one-port-twice $A/NetworkPage.cpp \
    'if (n.api && n.text && n.apiPort == n.textPort) {' 'if (false) {'

# --- The pages' rules ---
fault delay-steps-past-most $C/AudioRules.cpp \
    'if (steps > kMaxDelaySteps) {' 'if (steps > kMaxDelaySteps + 1) {'
fault typed-infinity-taken $C/AudioRules.cpp \
    'if (!ok || !std::isfinite(number)) {' 'if (!ok) {'
fault range-click-short-by-one $C/PortSelection.cpp \
    'table[m].blSelected = lo <= m && m <= hi;' 'table[m].blSelected = lo <= m && m < hi;'

# --- quadrel-ctl's own line ---
fault ctl-bad-baud-taken $T/Session.cpp \
    'if (!comm.IsValidBaudRate(QString::number(baud))) {' 'if (false) {'
fault ctl-port-number-past-most $T/Session.cpp \
    'if (number < 1 || number > basCOMM::kMaxPortNumber) {' 'if (number < 1) {'

# --- Network clients: the doors, their limits and tokens ---
R=src/remote
fault bearer-prefix-off-by-one $R/Gatekeeper.cpp \
    'token = token.mid(7).trimmed();' 'token = token.mid(8).trimmed();'
fault staff-rules-not-loaded $R/Gatekeeper.cpp \
    'if (caller.role == Role::Staff) {' 'if (false) {'
fault api-guess-not-delayed $R/ApiServer.cpp \
    'if (delay > 0) {' 'if (false) {'
fault foreign-origin-served $R/ApiServer.cpp \
    'if (!origin.isEmpty() && cors.empty()) {' 'if (false) {'
fault events-not-published $R/ApiServer.cpp \
    'if (streams_.empty()) {' 'if (!streams_.empty()) {'
fault text-events-to-all $R/TextServer.cpp \
    $'        if (c->subscribed) {\n            Send(*c, line);' $'        if (true) {\n            Send(*c, line);'
fault header-count-one-more $R/HttpRequest.cpp \
    'if (static_cast<int>(request_.headers.size()) >= limits_.maxHeaders) {' 'if (static_cast<int>(request_.headers.size()) > limits_.maxHeaders) {'
fault dot-dot-segment-taken $R/HttpRequest.cpp \
    'decoded == "." || decoded == ".." ||' 'decoded == "." ||'
fault route-outputs-not-asked $R/Door.cpp \
    'asks.push_back({Action::Route, c.id, c.outputs, {}});' 'asks.push_back({Action::Route, c.id, {}, {}});'

# --- The emulator's checks ---
fault sim-edid-type-loose $S/Unit.cpp \
    'if (input < 1 || input > config_.inputs || type > 1) {' 'if (input < 1 || input > config_.inputs) {'
fault sim-level-past-most $S/Unit.cpp \
    'if (value > kMaxLevel) {' 'if (value > kMaxLevel + 1) {'

count=${#names[@]}
mode=run from=1 to=$count baseline=1
parts=() only=() tests_re=""
while [ $# -gt 0 ]; do
    case "$1" in
    --check) mode=check ;;
    --list) mode=list ;;
    --from) from="$2"; shift ;;
    --to) to="$2"; shift ;;
    --part) parts+=("${2%/}"); shift ;;
    --only) only+=("$2"); shift ;;
    --tests) tests_re="$2"; shift ;;
    --no-baseline) baseline=0 ;;
    *) echo "unknown option $1 (see the head of $0)" >&2; exit 2 ;;
    esac
    shift
done

for n in "${only[@]}"; do
    printf '%s\n' "${names[@]}" | grep -qxF "$n" || { echo "no fault is named $n (see --list)" >&2; exit 2; }
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

# in_part FILE [NAME]: the file lies under one of the folders asked for (or
# none asked), and the fault is one of those named (or none named).
in_part() {
    local p
    if [ ${#only[@]} -gt 0 ] && [ -n "${2:-}" ]; then
        for p in "${only[@]}"; do [ "$p" = "$2" ] && break; done
        [ "$p" = "$2" ] || return 1
    fi
    [ ${#parts[@]} -eq 0 ] && return 0
    for p in "${parts[@]}"; do
        case "$1" in "$p"/*) return 0 ;; esac
    done
    return 1
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
    for ((i = 0; i < count; i++)); do
        in_part "${files[i]}" "${names[i]}" && printf '%2d %-28s %s\n' $((i + 1)) "${names[i]}" "${files[i]}"
    done
    # Faults per folder: the list is spread over the code in proportion to it.
    for ((i = 0; i < count; i++)); do in_part "${files[i]}" "${names[i]}" && dirname "${files[i]}"; done | sort | uniq -c
    exit 0
fi

if [ "$mode" = check ]; then
    keep_time=-p # nothing is built here
    bad=0
    for ((i = 0; i < count; i++)); do
        in_part "${files[i]}" "${names[i]}" || continue
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
if [ -n "$tests_re" ]; then
    mapfile -t tests < <(printf '%s\n' "${tests[@]}" | grep -E -- "$tests_re" || true)
    [ ${#tests[@]} -gt 0 ] || { echo "no test program matches $tests_re" >&2; exit 2; }
fi
targets=(quadrel quadrel-sim "${tests[@]}")

build_tests() { cmake --build "$build" -j2 --target "${targets[@]}" >"$build/mutant-build.txt" 2>&1; }
# The fast tests first, then the slow ones that start servers, browsers and
# emulated lines, then the real-time end-to-end ones, each stage only when the
# one before it passes: ctest starts its longest tests first, so one stage would keep a
# fault that a unit test catches in seconds waiting for a minute-long one.
# The figure is the same, since a fault counts as caught when any test fails.
slow='^(e2e_.*|remote_test|service_test|web_panel_test|ctl_test)$'
run_tests() {
    local status=0
    if [ -n "$tests_re" ]; then
        timeout "$per_fault" ctest --test-dir "$build" -j2 -R "$tests_re" -E "$exclude" \
            --stop-on-failure >"$build/mutant-tests.txt" 2>&1 || status=$?
        return $status
    fi
    timeout "$per_fault" ctest --test-dir "$build" -j2 -E "$exclude|$slow" --stop-on-failure \
        >"$build/mutant-tests.txt" 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        timeout "$per_fault" ctest --test-dir "$build" -j2 -R "$slow" -E "$exclude|^e2e_" \
            --stop-on-failure >>"$build/mutant-tests.txt" 2>&1 || status=$?
    fi
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

caught=0 missed=0 skipped=0 unbuilt=0 total=0
for ((i = from - 1; i < to && i < count; i++)); do
    name="${names[i]}" file="${files[i]}"
    in_part "$file" "$name" || continue
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
    rm -f "$build/mutant-tests.txt"
    locked try_tree || status=$?
    restore
    # Each fault's build and test output is kept, to read why it was missed.
    mkdir -p "$build/faults"
    cat "$build/mutant-build.txt" "$build/mutant-tests.txt" >"$build/faults/$(printf %03d $((i + 1)))-$name.txt" 2>/dev/null || true
    if [ "$status" -eq 10 ]; then
        echo "$line NOT BUILT (mend the fault: it proves nothing)"
        unbuilt=$((unbuilt + 1))
        total=$((total - 1))
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
echo "caught $caught of $total faults that built, missed $missed; not built $unbuilt, not applied $skipped"
# Put the test programs back in step with the restored source.
locked build_tests || true
