#!/bin/sh
# Prepares the demo set-up in a Wine prefix: a CD image holding a few banks
# built from WAV files made with sox, registered in Korrin's image list, and a simulated SCSI bus (read by the
# simulated WNASPI32.dll from the file KORRIN_BUS names) with an ESi hard
# disk, a CD-ROM drive holding a copy of the CD image, a removable drive
# without a medium and an E-mu sampler holding three samples made with sox,
# and a copy of the hard disk as an SD card's image file.
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
le32() {
  for bits in 0 8 16 24; do
    printf "\\$(printf %03o $(($1 >> bits & 255)))"
  done
}
# sox writes no loop: appends a one-loop "smpl" chunk (frames $2 to $3) and
# makes the RIFF length count it.
add_loop() {
  { printf smpl; le32 60
    for v in 0 0 45351 60 0 0 0 1 0 0 0 "$2" "$3" 0 0; do le32 "$v"; done
  } >>"$1"
  le32 $(($(wc -c <"$1") - 8)) | dd of="$1" bs=1 seek=4 conv=notrunc 2>/dev/null
}
# The demo banks' samples, a folder per bank; Korrin builds the banks from
# them as "New Bank from WAV Files" does.
wavs="$demo/wavs"
if [ ! -f "$wavs/ANALOG BASS/Square bass.wav" ]; then
  mkdir -p "$wavs/GRAND PIANO" "$wavs/STRING PADS" "$wavs/DRUM KIT 808" "$wavs/ANALOG BASS"
  for note in C3 C4 C5; do
    sox -n -r 44100 -b 16 -c 1 "$wavs/GRAND PIANO/$note pluck.wav" synth 1.5 pluck $note vol 0.6
  done
  sox -n -r 22050 -b 16 -c 2 "$wavs/STRING PADS/Pad A.wav" synth 2 sine 220 sine 330 vol 0.4
  add_loop "$wavs/STRING PADS/Pad A.wav" 4410 39689
  sox -n -r 22050 -b 16 -c 2 "$wavs/STRING PADS/Pad D.wav" synth 2 sine 293.66 sine 440 vol 0.4
  add_loop "$wavs/STRING PADS/Pad D.wav" 4410 39689
  sox -n -r 44100 -b 16 -c 1 "$wavs/DRUM KIT 808/Kick.wav" synth 0.4 sine 80-40 fade 0 0.4 0.3
  sox -n -r 44100 -b 16 -c 1 "$wavs/DRUM KIT 808/Snare.wav" synth 0.2 whitenoise vol 0.5 fade 0 0.2 0.15
  sox -n -r 44100 -b 16 -c 1 "$wavs/DRUM KIT 808/Hat.wav" synth 0.08 pinknoise vol 0.4 fade 0 0.08 0.06
  sox -n -r 22050 -b 16 -c 1 "$wavs/ANALOG BASS/Saw bass.wav" synth 1 sawtooth 55 vol 0.5
  add_loop "$wavs/ANALOG BASS/Saw bass.wav" 2205 22049
  sox -n -r 22050 -b 16 -c 1 "$wavs/ANALOG BASS/Square bass.wav" synth 1 square 55 vol 0.4
fi
if [ ! -f "$demo/demo.iso" ] || [ ! -f "$demo/harddisk.img" ]; then
  "$top/build/native/tools/demo/korrin_make_demo" "$wavs" "$demo/demo.iso" "$demo/harddisk.img"
fi
[ -f "$demo/library.iso" ] || cp "$demo/demo.iso" "$demo/library.iso"
[ -f "$demo/HD0.img" ] || cp "$demo/harddisk.img" "$demo/HD0.img"
# The simulated sampler's memory: "NNN name.wav" files it loads at start.
memory="$demo/sampler"
if [ ! -f "$memory/005 Saw loop.wav" ]; then
  mkdir -p "$memory"
  sox -n -r 44100 -b 16 -c 1 "$memory/001 Sine A440.wav" synth 1 sine 440 vol 0.5
  sox -n -r 48000 -b 16 -c 2 "$memory/002 Stereo fifth.wav" synth 2 sine 220 sine 330 vol 0.4
  sox -n -r 22050 -b 16 -c 1 "$memory/005 Saw loop.wav" synth 0.5 sawtooth 110 vol 0.4
  add_loop "$memory/005 Saw loop.wav" 2205 11024
fi
# Drive A: is a blank 1.44 MB floppy image (floppy-a.img), and two WAV files
# wait to be written: one fits a disk, the other needs a set of two.
"$top/tools/wine-floppy-drive.sh" "$prefix" "$demo/floppy-a.img"
[ -f "$demo/floppy-one.wav" ] ||
  sox -n -r 22050 -b 16 -c 1 "$demo/floppy-one.wav" synth 2 pluck A3 vol 0.5
[ -f "$demo/floppy-two.wav" ] ||
  sox -n -r 44100 -b 16 -c 1 "$demo/floppy-two.wav" synth 25 sine 110-880 vol 0.4
cat >"$demo/korrin-bus.txt" <<'BUS'
# adapter target kind source [key=value ...]
0 1 disk      harddisk.img  vendor=SEAGATE product=ST32550N
0 3 cdrom     library.iso   vendor=TOSHIBA product="CD-ROM XM-3401"
0 4 removable -             vendor=IOMEGA product="ZIP 100"
0 6 sampler   sampler       vendor=E-mu product=ESi-4000
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
