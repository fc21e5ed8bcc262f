# Shared by the project's scripts: step logging, package installation, Wine prefix.
# Sourced, not run.

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

step() { printf '\n==> %s\n' "$*"; }

# Debian packages the build, the tests and the demo need (xvfb and imagemagick: vtbrowse's
# windows on a virtual display, and their screenshots; x11-utils: xwininfo, which finds a window
# there; xdotool: the clicks and keys of the screenshots that show a dialog's outcome). wine32:i386 is Wine's 32-bit half: the shipping build is a 32-bit DLL, and its tests
# run there.
tribes_packages=(
    cmake make g++ python3 python3-pefile
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 wine32:i386
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    nlohmann-json3-dev libcli11-dev
    xvfb imagemagick x11-utils xdotool
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "not root and no sudo: run as root, or install by hand: $*" >&2
        return 1
    fi
}

# Installs whatever of tribes_packages is missing; does nothing when all are there. 32-bit
# packages need the i386 architecture, added first when it is not known yet.
ensure_packages() {
    local missing=()
    local package
    for package in "${tribes_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        echo "all ${#tribes_packages[@]} packages present"
        return 0
    fi
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "adding the i386 architecture (for Wine's 32-bit half)"
        as_root dpkg --add-architecture i386
    fi
    echo "installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

export WINEPREFIX="${WINEPREFIX:-$repo_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No desktop menu entries, and no Mono or Gecko install prompts while a prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}"

# vtbrowse's windows need a prefix whose graphics driver draws on a display: a second prefix,
# without the tests' headless setting (scripts/wine-prefix makes it when TRIBES_WINE_DISPLAY=1).
display_wineprefix="$repo_root/build/wineprefix-display"

# Whether $1 is a 64-bit Windows program (its PE header names the x86_64 machine).
is_64bit_program() {
    [ -f "$1" ] && [ "$(head -c 2 "$1")" = MZ ] || return 1
    local header
    header=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
    [ "$(od -An -tx2 -j $((header + 4)) -N 2 "$1" | tr -d ' ')" = 8664 ]
}

# The Wine loader for a program: Debian's `wine` is the 32-bit one when Wine's 32-bit half is
# installed and hands a 64-bit program to a new process that is not our child.
wine_loader_for() {
    if is_64bit_program "$1" && [ -x /usr/lib/wine/wine64 ]; then
        echo /usr/lib/wine/wine64
    else
        echo wine
    fi
}

# Starts Xvfb on the first free display from :90 (screen WIDTHxHEIGHT, default 1280x800) and
# waits at most 10 s for it. Sets DISPLAY and xvfb_pid; stop it with stop_xvfb.
start_xvfb() {
    local size=${1:-1280x800} number
    for number in $(seq 90 130); do
        [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] || break
    done
    Xvfb ":$number" -screen 0 "${size}x24" -nolisten tcp </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    local tries
    for tries in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$number" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -e "/tmp/.X11-unix/X$number" ]; then
        echo "Xvfb did not start on :$number" >&2
        kill "$xvfb_pid" 2>/dev/null || true
        return 1
    fi
    export DISPLAY=":$number"
}

stop_xvfb() {
    if [ -n "${xvfb_pid:-}" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    fi
}
