#!/usr/bin/env bash
# The Windows programs import only Windows' own DLLs (the build links the
# C++ run-time, zlib and GoogleTest statically).
#   imports_check.sh PROGRAM.exe...
set -u
allowed=" KERNEL32.dll USER32.dll GDI32.dll OPENGL32.dll GLU32.dll WINMM.dll MSACM32.dll msvcrt.dll ole32.dll "
status=0
for program in "$@"; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$program" | awk '/DLL Name:/ {print $3}' | sort -u)
    for dll in $dlls; do
        case "$allowed" in
        *" $dll "*) ;;
        *) echo "FAIL: $(basename "$program") imports $dll"; status=1 ;;
        esac
    done
    echo "$(basename "$program"): $(echo $dlls)"
done
exit $status
