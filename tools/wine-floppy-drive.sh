#!/bin/sh
# Makes drive A: of a Wine prefix a 1.44 MB floppy image file, as a floppy
# emulator or a raw drive would present it: Korrin's raw writes to \\.\A:
# then land in the file. Creates the prefix and a blank image when missing.
# Usage: wine-floppy-drive.sh PREFIX IMAGE; with KORRIN_WINE_VERSION set, an
# IMAGE inside PREFIX moves into that version's prefix (wine-prefix.sh).
set -e
. "$(dirname "$0")/wine-prefix.sh"
wine_prefix "$1"
prefix="$WINEPREFIX"
case "$2" in
  "$1"/*) image="$prefix${2#"$1"}" ;;
  *) image="$2" ;;
esac
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
mkdir -p "$(dirname "$image")"
image=$(cd "$(dirname "$image")" && pwd)/$(basename "$image")
[ -f "$image" ] || head -c 1474560 /dev/zero >"$image"
if [ "$(readlink "$prefix/dosdevices/a::" || true)" != "$image" ]; then
  ln -sfn "$(dirname "$image")" "$prefix/dosdevices/a:"
  ln -sfn "$image" "$prefix/dosdevices/a::"
  # Wine learns of a new drive letter only when its services start again.
  wineserver -k 2>/dev/null || true
fi
