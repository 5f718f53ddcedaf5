# Sourced by the build scripts and by CI: the one list of the Debian 12
# packages that Quadrel needs, by what they are needed for.
#
#   quadrel_install_deps [demo|tests|sanitizer|ci]...
#
# demo       build the program and the emulator, and show them under xvfb-run
# tests      everything the test suite needs besides (the default)
# sanitizer  clang 14 and its runtimes, for the sanitizer build and the fuzzer
# ci         what CI itself runs: the format check and the fresh-system run
#
# Each profile takes in the ones above it that it relies on. Only missing
# packages are installed, with sudo when not already root, so a sudo-capable
# user keeps owning the build tree. A minimal Debian 12 (debootstrap's minbase)
# needs nothing else for the README's two commands.
quadrel_packages() {
    local profile
    for profile in "$@"; do
        case "$profile" in
        demo)
            echo cmake ninja-build g++ pkg-config
            echo qt6-base-dev qt6-svg-dev libgl-dev
            # lupdate and lrelease check and compile the translations; Qt's
            # own translations give its standard buttons and dialogs too.
            echo qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
            echo fonts-wqy-microhei xvfb xauth
            ;;
        tests)
            quadrel_packages demo
            echo libgtest-dev libgmock-dev
            # The end-to-end tests bridge a line through socat; the install
            # checks build a .deb (CPack needs file, dpkg-shlibdeps is in
            # dpkg-dev) and validate the desktop entry and metadata.
            echo socat file dpkg-dev appstream desktop-file-utils
            # The network doors' test checks where they listen with ss, and
            # speaks to them with curl as an integrator would.
            echo iproute2 curl
            # The hands-on window test drives an X server as a person would.
            echo xdotool
            # The web panel's test drives headless Chromium through its
            # WebDriver server.
            echo chromium chromium-driver
            ;;
        sanitizer)
            quadrel_packages tests
            echo clang-14 libclang-rt-14-dev
            ;;
        ci)
            quadrel_packages sanitizer
            echo clang-format-14 debootstrap git
            ;;
        *)
            echo "quadrel_packages: unknown profile $profile" >&2
            return 1
            ;;
        esac
    done
}

quadrel_install_deps() {
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    local wanted
    wanted=$(quadrel_packages "${@:-tests}" | tr ' ' '\n' | sort -u) || return 1
    local missing=()
    local p
    for p in $wanted; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        $sudo apt-get update
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}
