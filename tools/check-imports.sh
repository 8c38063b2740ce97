#!/bin/sh
# Fails unless the program would start on Windows 98 SE: every function it
# imports must be in that system's export lists (tools/win98/DLL.txt), and
# the PE header must ask for subsystem and OS version 4.0.
# Usage: check-imports.sh PROGRAM.exe
set -e
exe="$1"
lists=$(cd "$(dirname "$0")" && pwd)/win98
dump=$(i686-w64-mingw32-objdump -p "$exe")
status=0
for field in MajorOSystemVersion MajorSubsystemVersion; do
  value=$(printf '%s\n' "$dump" | awk -v f="$field" '$1 == f { print $2 }')
  if [ "$value" != 4 ]; then
    echo "$exe: $field is $value, not 4" >&2
    status=1
  fi
done
# "DLL Name: X" opens a DLL's entries; each entry line reads
# "address hint name" (or an ordinal, which no list holds).
imports=$(printf '%s\n' "$dump" | awk '
  /^\tDLL Name: / { dll = tolower($3); sub(/\.dll$/, "", dll); next }
  /^$/ { dll = "" }
  dll != "" && /^\t[0-9a-f]+\t/ { name = $NF; if (NF < 3) name = "ordinal-" $2; print dll, name }')
if [ -z "$imports" ]; then
  echo "$exe: no import table read" >&2
  exit 1
fi
missing=$(printf '%s\n' "$imports" | while read -r dll name; do
  list="$lists/$dll.txt"
  if [ ! -f "$list" ] || ! sed 's/#.*//' "$list" | tr -s ' \t' '\n\n' | grep -qx -- "$name"; then
    echo "$dll.dll!$name"
  fi
done)
if [ -n "$missing" ]; then
  echo "$exe imports what Windows 98 SE does not export:" >&2
  printf '  %s\n' $missing >&2
  status=1
fi
[ $status = 0 ] && echo "$exe: $(printf '%s\n' "$imports" | wc -l) imports, all on Windows 98 SE"
exit $status
