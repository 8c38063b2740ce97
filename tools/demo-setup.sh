#!/bin/sh
# Prepares the demo set-up in a Wine prefix: a CD image holding a few banks,
# registered in Korrin's image list, and a simulated SCSI bus (read by the
# simulated WNASPI32.dll from the file KORRIN_BUS names) with an ESi hard
# disk, a CD-ROM drive holding a copy of the CD image and a removable drive
# without a medium, and a copy of the hard disk as an SD card's image file.
# Usage: demo-setup.sh BUILD_DIR PREFIX
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
prefix="$2"
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;wnaspi32=n"
if [ ! -f "$prefix/system.reg" ]; then
  echo "Creating the Wine prefix $prefix"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
demo="$prefix/drive_c/Korrin Demo"
mkdir -p "$demo"
if [ ! -f "$demo/demo.iso" ] || [ ! -f "$demo/harddisk.img" ]; then
  "$top/build/native/tools/demo/korrin_make_demo" "$demo/demo.iso" "$demo/harddisk.img"
fi
[ -f "$demo/library.iso" ] || cp "$demo/demo.iso" "$demo/library.iso"
[ -f "$demo/HD0.img" ] || cp "$demo/harddisk.img" "$demo/HD0.img"
cat >"$demo/korrin-bus.txt" <<'BUS'
# adapter target kind source [key=value ...]
0 1 disk      harddisk.img  vendor=SEAGATE product=ST32550N
0 3 cdrom     library.iso   vendor=TOSHIBA product="CD-ROM XM-3401"
0 4 removable -             vendor=IOMEGA product="ZIP 100"
BUS
key='HKLM\Software\Brightfen\Korrin'
wine reg add "$key\\CurrentVersion" /ve /d "0.10" /f >/dev/null 2>&1
# Register the demo image unless the list already names something.
if ! wine reg query "$key\\0.10\\ISO" /v Files >/dev/null 2>&1; then
  wine reg add "$key\\0.10\\ISO" /v 1 /t REG_SZ /d 'C:\Korrin Demo\demo.iso' /f >/dev/null 2>&1
  wine reg add "$key\\0.10\\ISO" /v Files /t REG_DWORD /d 1 /f >/dev/null 2>&1
fi
# And an SD card's hard disk image under "Disk image files".
if ! wine reg query "$key\\0.10\\Disk images" /v Files >/dev/null 2>&1; then
  wine reg add "$key\\0.10\\Disk images" /v 1 /t REG_SZ /d 'C:\Korrin Demo\HD0.img' /f >/dev/null 2>&1
  wine reg add "$key\\0.10\\Disk images" /v Files /t REG_DWORD /d 1 /f >/dev/null 2>&1
fi
wineserver -w
