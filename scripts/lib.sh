# Shared by the project's scripts: step logging, package installation, Wine prefix.
# Sourced, not run.

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

step() { printf '\n==> %s\n' "$*"; }

# Debian packages the build, the tests and the demo need. wine32:i386 is Wine's 32-bit half:
# the shipping build is a 32-bit DLL, and its tests run there.
tribes_packages=(
    cmake make g++ python3 python3-pefile
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 wine32:i386
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    nlohmann-json3-dev libcli11-dev
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
