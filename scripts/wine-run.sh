#!/usr/bin/env bash
# Runs a Windows program under Wine and returns its exit code, quietly and
# without prompts: the CMake emulator of the Windows build (ctest runs every
# Windows test through it).
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]
# The Wine prefix lives in $WINEPREFIX, by default wine-prefix/ in the
# current build folder (the folder of PROGRAM's bin/ parent, or the current
# directory), and is made once:
#   - X11 Driver Managed=N: without a window manager, DestroyWindow of a
#     managed window waits 2 s for one;
#   - AeDebug Debugger set to a program that cannot start, and WineDbg
#     ShowCrashDialog=0: a crash then ends the program with the crash's
#     code instead of 0 or 5 from winedbg, and never opens a dialog;
#   - Drivers Audio="": no sound driver, so no ALSA lines on headless
#     machines.
# Without an X display (a unit test on a headless machine) the program
# gets a 1024 x 768 Xvfb of its own: Wine's window system needs one. The
# wineserver is waited for before the program's exit code is returned, so
# that no Wine process outlives an Xvfb.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM.exe [ARGS...]" >&2; exit 2; }

if [ -z "${WINEPREFIX:-}" ]; then
    program_dir=$(cd "$(dirname "$1")" && pwd)
    build_dir=$program_dir
    [ "$(basename "$program_dir")" = bin ] && build_dir=$(dirname "$program_dir")
    export WINEPREFIX=$build_dir/wine-prefix
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

make_prefix() {
    local tmp=$WINEPREFIX.tmp.$$
    rm -rf "$tmp"
    mkdir -p "$tmp"
    WINEPREFIX=$tmp wineboot -i >/dev/null 2>&1
    local reg=$tmp/vorna3d.reg
    cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"=""

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="vorna3d-no-debugger.exe %ld %ld"
"Auto"="1"
REG
    WINEPREFIX=$tmp wine regedit /S "$reg" >/dev/null 2>&1
    WINEPREFIX=$tmp wineserver -w
    rm -f "$reg"
    # Two tests may start at once: the first finished prefix wins.
    if ! mv -T "$tmp" "$WINEPREFIX" 2>/dev/null; then
        rm -rf "$tmp"
    fi
}

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

[ -f "$WINEPREFIX/system.reg" ] || make_prefix

set +e
wine "$@"
rc=$?
wineserver -w
set -e
exit $rc
