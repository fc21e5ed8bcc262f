# Shared by the project's scripts: step logging, package installation, Wine prefix.
# Sourced, not run.

# Without starting a process where the path is plain: scripts/vtquery starts on every call.
lib_folder=${BASH_SOURCE[0]%/*}
[ "$lib_folder" != "${BASH_SOURCE[0]}" ] || lib_folder=.
if [[ "$lib_folder" == /*/scripts && "$lib_folder" != *"/."* && "$lib_folder" != *//* ]]; then
    repo_root=${lib_folder%/scripts}
else
    repo_root=$(cd "$lib_folder/.." && pwd)
fi

# What a script says about itself goes to stderr: stdout is left to the programs it runs.
step() { printf '\n==> %s\n' "$*" >&2; }

# Actions for the end of a script, run last first, on exit and when interrupted, failures or not.
exit_actions=()
run_exit_actions() {
    local i
    for ((i = ${#exit_actions[@]} - 1; i >= 0; i--)); do
        eval "${exit_actions[i]}" || true
    done
    exit_actions=()
}
at_exit() {
    exit_actions+=("$*")
    trap run_exit_actions EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 129' HUP
}

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

# Installs whatever of the packages named (tribes_packages when none is) is missing; does nothing
# when all are there. 32-bit packages need the i386 architecture, added first when it is not
# known yet.
ensure_packages() {
    local wanted=("$@")
    [ $# -gt 0 ] || wanted=("${tribes_packages[@]}")
    local missing=()
    local package
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        echo "all ${#wanted[@]} packages present" >&2
        return 0
    fi
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "adding the i386 architecture (for Wine's 32-bit half)" >&2
        as_root dpkg --add-architecture i386
    fi
    echo "installing: ${missing[*]}" >&2
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
}

# --- The project's Wine prefixes: made by its scripts, and the only ones they use ---
# TRIBES_WINEPREFIX names the prefix of the tests, vtquery and the demo (build/wineprefix by
# default); a script that runs in another of ours (display, benchmarks, emulation) sets it for
# the scripts it starts. A WINEPREFIX of the caller's shell names the user's own prefix: it is
# never read, and each Wine program gets ours for itself alone.
unset WINEPREFIX
# Makes FOLDER the prefix this script and the scripts it starts use.
use_wine_prefix() {
    wine_prefix=$1
    export TRIBES_WINEPREFIX=$1
}
wine_prefix=${TRIBES_WINEPREFIX:-$repo_root/build/wineprefix}
[[ "$wine_prefix" == /* ]] || use_wine_prefix "$PWD/$wine_prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# No desktop menu entries, and no Mono or Gecko install prompts while a prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}"

# vtbrowse's windows need a prefix whose graphics driver draws on a display: a second prefix,
# without the tests' headless setting (scripts/wine-prefix makes it when TRIBES_WINE_DISPLAY=1).
display_wineprefix="$repo_root/build/wineprefix-display"

# scripts/wine-prefix writes .tribes-owned into a prefix before anything else, and .tribes-ready
# once it is made (prefixes made before the first marker have the second alone).
prefix_is_ours() { [ -e "$1/.tribes-owned" ] || [ -e "$1/.tribes-ready" ]; }

# Whether FOLDER may become or serve as one of the project's prefixes: it is new, empty, or made by
# the project. Otherwise says why and what to do in one line on stderr, SCRIPT first.
prefix_may_be_used() {
    local folder=$1 script=$2
    prefix_is_ours "$folder" || [ ! -e "$folder" ] && return 0
    [ -d "$folder" ] && [ -z "$(ls -A "$folder")" ] && return 0
    echo "$script: $folder is not a Wine prefix this project made (no .tribes-owned in it), so it is" \
        "left as it is; set TRIBES_WINEPREFIX to a new or empty folder, or unset it for build/wineprefix" >&2
    return 1
}

# The folders this run made for its work (new_work_folder), which it may remove.
made_folders=()
# Sets the variable named VAR to a new temporary folder of this run's.
new_work_folder() {
    local new_folder
    new_folder=$(mktemp -d)
    made_folders+=("$new_folder")
    printf -v "$1" '%s' "$new_folder"
}

# Whether PATH is the project's own: inside a Wine prefix the project made, a folder this run
# made, or this checkout's build/ folder, and holding no Wine prefix the project did not make.
# Sets not_ours to the reason when it is not.
is_ours() {
    local path=$1 folder made
    [[ "$path" == /* ]] || path=$PWD/$path
    case "$path/" in
        / | */../* | */./* | *//*) not_ours="it is not a plain path" && return 1 ;;
    esac
    while IFS= read -r folder; do
        prefix_is_ours "$folder" || { not_ours="$folder is a Wine prefix this project did not make" && return 1; }
    done < <(find "$path" -name system.reg -printf '%h\n' 2>/dev/null)
    not_ours="it is not in this checkout's build/ folder nor made by this run"
    folder=$path
    while [ -n "$folder" ]; do
        prefix_is_ours "$folder" && return 0
        if [ -e "$folder/system.reg" ] || [ -e "$folder/drive_c" ]; then
            not_ours="$folder is a Wine prefix this project did not make"
            return 1
        fi
        for made in "${made_folders[@]}"; do
            [ "$folder" != "$made" ] || return 0
        done
        [ "$folder" != "$repo_root/build" ] || return 0
        folder=${folder%/*}
    done
    return 1
}

# The one place where the scripts and tests delete or stop anything, and only what is the
# project's own (is_ours): anything else is left as it is, said in one line on stderr, and the
# call fails.
#   only_ours remove PATH...           removes files and folders
#   only_ours stop-wine PREFIX         ends the Wine server of a prefix the project made, and every
#                                      program in it
#   only_ours drop-drive PREFIX LETTER removes a drive letter (z: is the Linux file system)
only_ours() {
    local action=$1 path
    shift
    case "$action" in
        remove)
            for path; do
                is_ours "$path" || { echo "not removed: $path ($not_ours)" >&2; return 1; }
            done
            rm -rf -- "$@"
            ;;
        stop-wine | drop-drive)
            [[ "$1" == /* ]] || set -- "$PWD/$1" "${@:2}"
            # No prefix there: nothing runs in it, and no drive to drop.
            [ -e "$1" ] || return 0
            if ! prefix_is_ours "$1"; then
                echo "left as it is: $1 (not a Wine prefix this project made)" >&2
                return 1
            fi
            if [ "$action" = stop-wine ]; then
                WINEPREFIX=$1 wineserver -k </dev/null >/dev/null 2>&1 || true
            else
                rm -f -- "$1/dosdevices/$2"
            fi
            ;;
        *) echo "only_ours: no action $action" >&2 && return 2 ;;
    esac
}

# Whether $1 is a 64-bit Windows program (its PE header names the x86_64 machine). The first
# kilobyte is read once, and the header found in it (mingw-w64 puts it at 128).
is_64bit_program() {
    [ -f "$1" ] || return 1
    local bytes header
    bytes=($(od -An -v -tx1 -N 1024 "$1" 2>/dev/null))
    [ "${#bytes[@]}" -ge 64 ] && [ "${bytes[0]}${bytes[1]}" = 4d5a ] || return 1
    header=$((16#${bytes[63]}${bytes[62]}${bytes[61]}${bytes[60]}))
    [ $((header + 5)) -lt "${#bytes[@]}" ] || return 1
    [ "${bytes[header]}${bytes[header + 1]}${bytes[header + 4]}${bytes[header + 5]}" = 50456486 ]
}

wine64_loader=${TRIBES_WINE64_LOADER:-/usr/lib/wine/wine64}

# Sets loader to the Wine loader for PROGRAM: Debian's `wine` is the 32-bit one when Wine's
# 32-bit half is installed and hands a 64-bit program to a new process that is not our child.
# program_bits=32 or 64 tells the program's architecture when the caller knows it.
pick_wine_loader() {
    loader=wine
    case "${program_bits:-}" in
        32) return 0 ;;
        64) ;;
        *) is_64bit_program "$1" || return 0 ;;
    esac
    [ ! -x "$wine64_loader" ] || loader=$wine64_loader
}
wine_loader_for() {
    local loader
    pick_wine_loader "$1"
    echo "$loader"
}

# Wine's own programs (wineboot.exe, explorer.exe, reg.exe) run with the 64-bit loader: Debian's
# `wineboot` and `wine` start the 32-bit loader first, which fails at once where no 32-bit
# program runs (and Wine's services then start from the next test program, holding its output
# open) and costs a minute where 32-bit programs are emulated. In the project's prefix, as
# everything below.
wine_own() {
    if [ -x "$wine64_loader" ]; then
        WINEPREFIX=$wine_prefix "$wine64_loader" "$@"
    else
        WINEPREFIX=$wine_prefix wine "$@"
    fi
}
# Starts (-p) or waits for (-w) the prefix's Wine server; only_ours stops it.
wine_server() { WINEPREFIX=$wine_prefix wineserver "$@" </dev/null >/dev/null 2>&1 || true; }

# --- 32-bit (i386) Linux programs: Wine's 32-bit half needs them to run the shipping build ---
# A machine runs them natively, under user-mode emulation registered through binfmt_misc, or not
# at all (a kernel built without 32-bit support). An entry registered here is named
# $i386_entry; concurrent runs share it through a lock, and the last one out removes it: an
# entry left behind would make every later 32-bit program of the machine emulated and slow.
binfmt_dir=${TRIBES_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}
i386_entry=tribes-i386
i386_lock=${TRIBES_I386_LOCK:-/tmp/tribes-i386.lock}
# The 32-bit dynamic loader: whether it starts tells whether 32-bit programs run.
i386_loader=${TRIBES_I386_LOADER:-/lib/ld-linux.so.2}
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# Sets i386_emulator to the first enabled binfmt_misc entry that takes i386 executables (an
# emulator) other than the one named EXCEPT; empty when there is none. Read with the shell's own
# builtins: scripts/vtquery asks on every call.
find_i386_emulator() {
    local except=$1 entry line enabled magic
    i386_emulator=""
    for entry in "$binfmt_dir"/*; do
        [ -f "$entry" ] || continue
        case "${entry##*/}" in register | status | "$except") continue ;; esac
        enabled=0 magic=""
        while IFS= read -r line; do
            case "$line" in
                enabled) enabled=1 ;;
                "magic "*) magic=${line#magic } ;;
            esac
        done <"$entry" 2>/dev/null || true
        if [ "$enabled" = 1 ] && [[ "$magic" =~ ^7f454c460101[0-9a-f]{24}0300 ]]; then
            i386_emulator=${entry##*/}
            return 0
        fi
    done
}

# Removes this project's entry when no run holds it (left by a run that was killed).
drop_stale_i386_entry() {
    [ -e "$binfmt_dir/$i386_entry" ] || return 0
    (
        flock -xn 7 || exit 0
        echo -1 | as_root tee "$binfmt_dir/$i386_entry" >/dev/null 2>&1 || true
    ) 7>>"$i386_lock"
}

# Finds how this machine runs i386 programs. Sets i386_mode (native, emulated or none),
# i386_why (the cause, when not native) and i386_by (the machine's own emulator entry, when it
# has one). TRIBES_I386_NATIVE=0 or 1 forces the native check's answer.
detect_i386() {
    i386_mode=none i386_why="" i386_by=""
    drop_stale_i386_entry
    local own status
    find_i386_emulator "$i386_entry"
    own=$i386_emulator
    if [ -z "$own" ] && [ -e "$binfmt_dir/$i386_entry" ] && [ "${TRIBES_I386_NATIVE:-}" != 1 ]; then
        # A run of scripts/test holds this project's entry: this machine needed emulation, and
        # the native check cannot be made while the entry is there.
        i386_mode=emulated
        i386_why="32-bit programs run here under emulation (binfmt_misc entry $i386_entry, held by a run of scripts/test)"
        return 0
    fi
    case "${TRIBES_I386_NATIVE:-}" in
        1) i386_mode=native && return 0 ;;
        0) i386_why="the native check was forced to fail (TRIBES_I386_NATIVE=0)" ;;
        *)
            if [ -n "$own" ]; then
                # Every i386 program goes through that entry, whatever the kernel could do.
                i386_mode=emulated i386_by=$own
                i386_why="this machine runs 32-bit programs through its own emulator (binfmt_misc entry $own)"
                return 0
            fi
            if [ ! -e "$i386_loader" ]; then
                i386_why="the 32-bit dynamic loader $i386_loader is missing (package libc6:i386)"
            elif "$i386_loader" --version >/dev/null 2>&1; then
                i386_mode=native && return 0
            else
                # The shell answers 126 when the kernel cannot execute the file at all.
                status=$?
                i386_why="this machine's kernel runs no 32-bit programs ($i386_loader --version:"
                if [ "$status" -eq 126 ]; then
                    i386_why="$i386_why cannot execute binary file: Exec format error)"
                else
                    i386_why="$i386_why exit $status)"
                fi
            fi
            ;;
    esac
    if [ -n "$own" ]; then
        i386_mode=emulated i386_by=$own
    elif [ "$EUID" -ne 0 ] && ! sudo -n true 2>/dev/null; then
        i386_why="$i386_why; emulation needs root to register an emulator, and this is not root"
    elif [ ! -e "$binfmt_dir/register" ] && [ ! -d "$binfmt_dir" ]; then
        i386_why="$i386_why; emulation needs binfmt_misc, and $binfmt_dir does not exist"
    else
        i386_mode=emulated
    fi
}

# Makes i386 programs run under Debian's qemu-user-static, registered as $i386_entry, until
# stop_i386_emulation (at_exit calls it). Nothing to do when the machine's own emulator runs them.
# The lock is held on descriptor $i386_lock_fd: close it for what runs meanwhile
# ({i386_lock_fd}>&-), or a Wine server left running would hold the entry in place.
start_i386_emulation() {
    [ -z "${i386_by:-}" ] || return 0
    ensure_packages qemu-user-static
    if [ ! -e "$binfmt_dir/register" ]; then
        as_root mount -t binfmt_misc binfmt_misc "$binfmt_dir"
    fi
    exec {i386_lock_fd}>>"$i386_lock"
    flock -x "$i386_lock_fd"
    if [ ! -e "$binfmt_dir/$i386_entry" ]; then
        echo "registering $i386_entry in $binfmt_dir: i386 programs run under /usr/bin/qemu-i386-static" >&2
        printf ':%s:M::%s:%s:/usr/bin/qemu-i386-static:F' "$i386_entry" "$i386_magic" "$i386_mask" |
            as_root tee "$binfmt_dir/register" >/dev/null
    fi
    # Shared from here on: a concurrent run may use the entry too.
    flock -s "$i386_lock_fd"
    at_exit stop_i386_emulation
    "$i386_loader" --version >/dev/null 2>&1 ||
        { echo "i386 programs do not run even under $binfmt_dir/$i386_entry" >&2; return 1; }
}

stop_i386_emulation() {
    [ -n "${i386_lock_fd:-}" ] || return 0
    if flock -xn "$i386_lock_fd" && [ -e "$binfmt_dir/$i386_entry" ]; then
        echo -1 | as_root tee "$binfmt_dir/$i386_entry" >/dev/null || true
        echo "removed $i386_entry from $binfmt_dir" >&2
    fi
    exec {i386_lock_fd}>&-
    i386_lock_fd=""
}

# The architecture a script runs (sets arch): GIVEN (i686 or x86_64) when the caller named one,
# else the shipping i686 build where 32-bit programs run natively and the x86_64 one elsewhere,
# said in one line on stderr by SCRIPT.
choose_arch() {
    local given=$1 script=$2
    arch=${given:-i686}
    [ "$arch" = i686 ] || return 0
    detect_i386
    case "$i386_mode" in
        native) ;;
        emulated)
            if [ -n "$given" ] && [ -n "$i386_by" ]; then
                echo "$script: the i686 build runs under this machine's emulator ($i386_by): expect a minute or more per program" >&2
            elif [ -n "$given" ]; then
                echo "$script: $i386_why; scripts/test runs the i686 build under emulation, or use --arch x86_64" >&2
                return 2
            else
                arch=x86_64
            fi
            ;;
        none)
            if [ -n "$given" ]; then
                echo "$script: $i386_why; use --arch x86_64" >&2
                return 2
            fi
            arch=x86_64
            ;;
    esac
    if [ "$arch" = x86_64 ]; then
        echo "$script: this machine runs no 32-bit programs natively: running the x86_64 build (the same code, the same output) instead of the shipping i686 one" >&2
    fi
    return 0
}

# --- Starting a Windows program in the project's prefix (scripts/wine-run, scripts/vtquery) ---
# Wine starts a desktop process for the first program that makes a window: started by a test,
# it would hold that test's output pipe open for as long as any other program keeps a window,
# and the test runner would wait for it. Ours lives until the server goes, so while it runs the
# prefix is ready and its server and services are up. Its process id is kept in the prefix.

# Whether process $1 is a Wine desktop of this prefix (with the shell's builtins: every call
# asks).
is_our_desktop() {
    local pid=$1 first="" variable
    [ -n "$pid" ] && [ -r "/proc/$pid/environ" ] || return 1
    IFS= read -r -d '' first <"/proc/$pid/cmdline" 2>/dev/null || true
    [[ "$first" == *explorer.exe ]] || return 1
    while IFS= read -r -d '' variable; do
        [ "$variable" = "WINEPREFIX=$wine_prefix" ] && return 0
    done 2>/dev/null <"/proc/$pid/environ"
    return 1
}
desktop_runs() {
    local pid=""
    read -r pid 2>/dev/null <"$wine_prefix/.desktop-pid" || true
    is_our_desktop "$pid"
}
# Records the desktop of this prefix's session: looks TRIES times, 50 ms apart.
record_desktop() {
    local tries=$1 pid _
    for _ in $(seq "$tries"); do
        for pid in $(pgrep -f 'explorer\.exe /desktop' || true); do
            if is_our_desktop "$pid"; then
                echo "$pid" >"$wine_prefix/.desktop-pid"
                return 0
            fi
        done
        [ "$tries" -eq 1 ] || sleep 0.05
    done
    return 1
}

# Replaces the shell with PROGRAM ARGS... under Wine, by the loader pick_wine_loader names (so
# that whoever runs us, the benchmarks' processor-time figures or a timeout, sees the program
# itself). At once when the prefix is ready and its desktop runs; otherwise the prefix is made,
# and Wine's server, services and desktop started, first.
exec_in_prefix() {
    local loader halves=""
    pick_wine_loader "$1"
    # The prefix's marker is empty when it has both halves, "64" when it has the 64-bit one only.
    if [ -f "$wine_prefix/.tribes-ready" ]; then
        read -r halves <"$wine_prefix/.tribes-ready" || true
        if { [ -z "$halves" ] || [ "$loader" != wine ]; } && desktop_runs; then
            WINEPREFIX=$wine_prefix exec "$loader" "$@"
        fi
    fi
    "$repo_root/scripts/wine-prefix"
    # A persistent server keeps start-up of each program near 0.1 s instead of 1 s.
    wine_server -p
    # Booting a fresh server session starts Wine's own services; started from here they do not
    # inherit the caller's pipes (a test runner reading our output would otherwise wait for them
    # to exit). About 0.06 s when the session is already up.
    wine_own wineboot.exe </dev/null >/dev/null 2>&1 || true
    # The desktop must not inherit the lock's descriptor either: it would hold the lock for as
    # long as it lives, and the next program run here would wait for it forever.
    (
        flock 8
        if ! desktop_runs && ! record_desktop 1; then
            wine_own explorer.exe /desktop </dev/null >/dev/null 2>&1 8>&- &
            record_desktop 200 || echo "Wine's desktop did not start in 10 s in $wine_prefix" >&2
        fi
    ) 8>"$wine_prefix.desktop.lock"
    WINEPREFIX=$wine_prefix exec "$loader" "$@"
}

# Starts the native tribes-emu (build/native/bin) with the given options on free ports of
# 127.0.0.1 and waits at most 10 s for PORTS_FILE, which it writes once it listens:
#   start_tribes_emu PORTS_FILE LOG [tribes-emu options...]
# Sets tribes_emu_pid; the server is stopped at exit (pass --duration too: it then ends by itself
# even when this script is killed). Call it in the script's own shell, not in a command
# substitution, or the exit action never learns of the server.
start_tribes_emu() {
    local ports_file=$1 log=$2 _
    shift 2
    "$repo_root/build/native/bin/tribes-emu" --port 0 --ready-file "$ports_file" "$@" </dev/null >"$log" 2>&1 &
    tribes_emu_pid=$!
    at_exit "kill $tribes_emu_pid 2>/dev/null"
    for _ in $(seq 100); do
        [ -s "$ports_file" ] && return 0
        kill -0 "$tribes_emu_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "tribes-emu did not start:" >&2
    cat "$log" >&2
    return 1
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

# The display scale of the project's prefix (wine_prefix) (Wine's LogPixels: 96 is 100 %, 144 is 150 %);
# nothing when it has none of its own (Wine's 96). Wine reads it when its server starts. Both need
# the server running with Wine's services off our pipes.
display_dpi() {
    local value
    value=$(wine_own reg.exe query 'HKCU\Control Panel\Desktop' /v LogPixels </dev/null 2>/dev/null |
        tr -d '\r' | sed -n 's/.*LogPixels[[:space:]]*REG_DWORD[[:space:]]*\(0x[0-9a-fA-F]*\).*/\1/p')
    [ -z "$value" ] || echo $((value))
}
# Sets it to DPI, or takes the prefix's own away when DPI is empty.
set_display_dpi() {
    if [ -n "$1" ]; then
        wine_own reg.exe add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f
    else
        wine_own reg.exe delete 'HKCU\Control Panel\Desktop' /v LogPixels /f
    fi </dev/null >/dev/null 2>&1 || true
}
# WIDTHxHEIGHT at 96 DPI grown to DPI.
scaled_size() {
    local width=${1%x*} height=${1#*x}
    echo "$((width * $2 / 96))x$((height * $2 / 96))"
}
# Takes a --dpi option's value: a scale Wine and the tests know (96 to 480).
check_dpi() {
    [[ "${2:-}" =~ ^[0-9]+$ ]] && [ "$2" -ge 96 ] && [ "$2" -le 480 ] ||
        { echo "$1: --dpi takes a scale from 96 (100 %) to 480, such as 120, 144 or 192" >&2; exit 2; }
}

stop_xvfb() {
    if [ -n "${xvfb_pid:-}" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    fi
}
