# Shared by the project's scripts: step logging, package installation, Wine prefix.
# Sourced, not run.

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

step() { printf '\n==> %s\n' "$*"; }

# Debian packages the build, the tests and the demo need.
tribes_packages=(
    cmake make g++ python3 python3-pefile
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    nlohmann-json3-dev libcli11-dev
)

# Installs whatever of tribes_packages is missing; does nothing when all are there.
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
    echo "installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "not root and no sudo: install these by hand" >&2; return 1; }
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

export WINEPREFIX="${WINEPREFIX:-$repo_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No desktop menu entries, and no Mono or Gecko install prompts while a prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}"
