#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks what a desktop and a
# software centre look for. Usage: check-install.sh BUILD-FOLDER APP-ID
set -euo pipefail
build="$1"
id="$2"
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
root="$dest/usr"

for program in quadrel quadrel-ctl quadrel-server quadrel-sim; do
    [ -x "$root/bin/$program" ] || fail "bin/$program is missing or not executable"
done
# The command-line tool runs from where it was installed, without a display.
"$root/bin/quadrel-ctl" --version | grep -qx "quadrel-ctl 2.2.1" ||
    fail "bin/quadrel-ctl --version does not name 2.2.1"
desktop="$root/share/applications/$id.desktop"
metainfo="$root/share/metainfo/$id.metainfo.xml"
svg="$root/share/icons/hicolor/scalable/apps/$id.svg"
png="$root/share/icons/hicolor/48x48/apps/$id.png"
for f in "$desktop" "$metainfo" "$svg" "$png" "$root/share/doc/quadrel/copyright"; do
    [ -s "$f" ] || fail "${f#"$dest"} is missing or empty"
done

# The launcher starts the installed program and names the installed icon.
grep -qx "Exec=quadrel" "$desktop" || fail "the desktop entry does not start quadrel"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the icon $id"
# The metainfo points at the desktop entry, and names this version.
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo does not carry the ID $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo's launchable is not $id.desktop"
grep -q '<release version="2.2.1"' "$metainfo" || fail "the metainfo has no release 2.2.1"
# No address the project could not stand behind.
if grep -Eq '<url|<screenshot|@' "$metainfo"; then
    fail "the metainfo names a web or mail address"
fi

# A PNG whose header says 48 by 48 (width and height follow the IHDR tag).
if [ -s "$png" ]; then
    header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
    [ "${header:0:16}" = 89504e470d0a1a0a ] || fail "the 48x48 icon is not a PNG"
    [ "${header:32:16}" = "0000003000000030" ] || fail "the PNG icon is not 48x48 (${header:32:16})"
fi
grep -q '<svg' "$svg" || fail "the scalable icon is not an SVG"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
else
    echo "desktop-file-validate is not installed: the desktop entry was not validated" >&2
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"
    appstreamcli validate-tree --no-net "$dest" || fail "appstreamcli rejects the installed tree"
else
    echo "appstreamcli is not installed: the metainfo was not validated" >&2
fi

# The user service of quadrel-server starts the installed program, one
# instance per port, and systemd accepts it as written.
unit="$root/lib/systemd/user/quadrel-server@.service"
if [ -s "$unit" ]; then
    grep -qx 'ExecStart=/usr/bin/quadrel-server --port %i' "$unit" ||
        fail "the quadrel-server unit does not start /usr/bin/quadrel-server --port %i"
    grep -qx 'Restart=on-failure' "$unit" || fail "the quadrel-server unit is not restarted on failure"
    if command -v systemd-analyze >/dev/null; then
        # Checked where it is installed here: verify looks for the program.
        check="$dest/check"
        mkdir -p "$check/runtime"
        sed "s#=/usr/bin/#=$root/bin/#" "$unit" >"$check/quadrel-server@.service"
        XDG_RUNTIME_DIR="$check/runtime" systemd-analyze verify --user --man=no \
            "$check/quadrel-server@.service" || fail "systemd-analyze verify rejects the unit"
    else
        echo "systemd-analyze is not installed: the quadrel-server unit was not verified" >&2
    fi
else
    fail "lib/systemd/user/quadrel-server@.service is missing or empty"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install tree: all checks passed"
