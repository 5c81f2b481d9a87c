#!/usr/bin/env bash
# Checks a built Windows program: check-pe.sh OBJDUMP FORMAT MAX_BYTES EXE
# The file format objdump reports must be FORMAT (pei-i386, pei-x86-64), the program must
# import from the system's own DLLs only (a static build needs no run-time DLL beside it),
# and it must be smaller than MAX_BYTES.
set -euo pipefail
objdump=$1 format=$2 max=$3 exe=$4
status=0

found=$("$objdump" -f "$exe" | sed -n 's/.*file format \(.*\)$/\1/p')
if [ "$found" != "$format" ]; then
    echo "$exe: expected file format $format, got '$found'"
    status=1
fi

system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|wininet|winhttp|ws2_32|ole32|oleaut32|msvcrt|version|shlwapi)\.dll$'
while read -r dll; do
    if ! [[ "${dll,,}" =~ $system_dlls ]]; then
        echo "$exe: imports $dll, which is not a system DLL"
        status=1
    fi
done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')

size=$(stat -c %s "$exe")
if [ "$size" -ge "$max" ]; then
    echo "$exe: $size bytes, expected fewer than $max"
    status=1
fi

[ $status = 0 ] && echo "$exe: $found, $size bytes, imports only system DLLs"
exit $status
