#!/usr/bin/env bash
# Builds the Debian package with CPack and checks its control fields and
# contents. Usage: check-deb.sh BUILD-FOLDER APP-ID
set -euo pipefail
build=$(cd "$1" && pwd)
id="$2"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

(cd "$out" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >cpack.log 2>&1) || {
    cat "$out/cpack.log" >&2
    exit 1
}
deb=$(ls "$out"/*.deb)
field() { dpkg-deb -f "$deb" "$1"; }

[ "$(field Package)" = quadrel ] || fail "package name is $(field Package)"
[ "$(field Version)" = 2.2.1 ] || fail "version is $(field Version)"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
# dpkg-shlibdeps found the libraries the programs link against.
depends=$(field Depends)
for lib in libc6 libqt6core6 libqt6widgets6 libqt6network6; do
    [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/quadrel ./usr/bin/quadrel-ctl ./usr/bin/quadrel-server ./usr/bin/quadrel-sim \
    ./usr/lib/systemd/user/quadrel-server@.service "./usr/share/applications/$id.desktop" \
    "./usr/share/metainfo/$id.metainfo.xml" "./usr/share/icons/hicolor/scalable/apps/$id.svg" \
    "./usr/share/icons/hicolor/48x48/apps/$id.png" ./usr/share/doc/quadrel/copyright; do
    grep -q " $path\$" <<<"$contents" || fail "the package lacks $path"
done
# The user service starts the program where the package puts it.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/systemd/user/quadrel-server@.service 2>/dev/null |
    grep -qx 'ExecStart=/usr/bin/quadrel-server --port %i' ||
    fail "the packaged quadrel-server unit does not start /usr/bin/quadrel-server"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "Debian package $(basename "$deb"): all checks passed"
