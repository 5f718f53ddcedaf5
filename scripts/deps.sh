# Sourced by the build scripts: installs what Quadrel needs on Debian 12.
# Uses sudo only when not already root, so a sudo-capable user keeps owning
# the build tree.
quadrel_install_deps() {
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    local packages=(
        cmake ninja-build g++ pkg-config
        qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl-dev
        libgtest-dev libgmock-dev
        fonts-wqy-microhei
        xvfb xauth
        socat appstream desktop-file-utils dpkg-dev
    )
    if [ "${QUADREL_WITH_CLANG:-0}" = 1 ]; then
        packages+=(clang-14 libclang-rt-14-dev)
    fi
    local missing=()
    local p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        $sudo apt-get update
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}
