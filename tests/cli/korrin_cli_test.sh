#!/bin/sh
# End-to-end runs of korrin on images that the demo maker builds with the
# program's own create and import code: each command's output and exit
# status, bad usage, a missing file, a damaged and a read-only image.
# Usage: korrin_cli_test.sh KORRIN KORRIN_MAKE_DEMO
set -u
korrin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
# The demo's four banks, each from one WAV file made by sox.
for bank in "GRAND PIANO" "STRING PADS" "DRUM KIT 808" "ANALOG BASS"; do mkdir -p "wavs/$bank"; done
sox -n -r 44100 -b 16 -c 1 "wavs/GRAND PIANO/C3.wav" synth 1.5 sine 131 &&
  sox -n -r 22050 -b 16 -c 2 "wavs/STRING PADS/Pad.wav" synth 2 sine 220 sine 330 &&
  sox -n -r 44100 -b 16 -c 1 "wavs/DRUM KIT 808/Kick.wav" synth 0.4 sine 80 &&
  sox -n -r 22050 -b 16 -c 1 "wavs/ANALOG BASS/Saw.wav" synth 1 sawtooth 55 &&
  "$2" wavs demo.iso hd.img >/dev/null || exit 1
failures=0
tab=$(printf '\t')

# expect STATUS EXPECTED-STDOUT COMMAND...: runs korrin with stderr in err.
expect() {
  want=$1 out=$2
  shift 2
  got=$("$korrin" "$@" 2>err)
  status=$?
  if [ "$status" != "$want" ] || [ "$got" != "$out" ]; then
    printf 'FAIL: korrin %s\n  status %s (want %s)\n  stdout: %s\n  stderr: %s\n' \
      "$*" "$status" "$want" "$got" "$(cat err)"
    failures=$((failures + 1))
  fi
}
# says TEXT: the last run's stderr holds TEXT.
says() {
  grep -qF -- "$1" err || { echo "FAIL: stderr lacks \"$1\": $(cat err)"; failures=$((failures + 1)); }
}

banks="B00${tab}GRAND PIANO${tab}143515
B01${tab}STRING PADS${tab}187615
B02${tab}DRUM KIT 808${tab}46495
B03${tab}ANALOG BASS${tab}55315"
cp hd.img before.img
expect 0 "$banks" list hd.img
expect 0 "$banks" list demo.iso
expect 0 "" check hd.img
expect 0 "02 DRUM KIT 808.e3x" export hd.img 2
expect 0 "pads.e3x" export hd.img "string pads" pads.e3x
cmp -s hd.img before.img || { echo "FAIL: list, check or export changed the image"; failures=$((failures + 1)); }

# Writing commands, and the image they leave read back.
expect 0 "B04${tab}DRUM KIT 808${tab}46495" import hd.img "02 DRUM KIT 808.e3x"
expect 0 "" rename hd.img B04 "DRUMS AGAIN"
expect 0 "" renumber hd.img "DRUMS AGAIN" 0
expect 0 "" delete hd.img "STRING PADS"
expect 0 "B00${tab}DRUMS AGAIN${tab}46495
B01${tab}GRAND PIANO${tab}143515
B03${tab}DRUM KIT 808${tab}46495
B04${tab}ANALOG BASS${tab}55315" list hd.img
expect 0 "" check hd.img
expect 0 "" create new.iso
expect 0 "B00${tab}STRING PADS${tab}187615" import new.iso pads.e3x
"$korrin" export new.iso 0 again.e3x >/dev/null && cmp -s pads.e3x again.e3x ||
  { echo "FAIL: a bank came back changed"; failures=$((failures + 1)); }

# A bank from WAV files, its contents, and its samples back as WAV files of
# the same length.
sox -n -r 22050 -b 16 -c 1 kick.wav synth 0.2 sine 60 &&
  sox -n -r 44100 -b 16 -c 2 pad.wav synth 0.5 sine 330 &&
  sox -n -r 44100 -b 24 -c 1 deep.wav synth 0.1 sine 50 || exit 1
expect 0 "B01${tab}MY BANK${tab}108327" new-bank new.iso "MY BANK" pad.wav kick.wav
samples="S001${tab}kick${tab}8912${tab}1${tab}22050${tab}0.20${tab}
S002${tab}pad${tab}88292${tab}2${tab}44100${tab}0.50${tab}"
expect 0 "$samples" contents new.iso "my bank"
mkdir out
expect 0 "out/001 kick.wav
out/002 pad.wav" extract new.iso 1 out
[ "$(soxi -s 'out/002 pad.wav') $(soxi -r 'out/002 pad.wav')" = "$(soxi -s pad.wav) 44100" ] ||
  { echo "FAIL: an extracted sample is not as long as its WAV file"; failures=$((failures + 1)); }
expect 0 "" new-bank --to banks.e3x "MY BANK" kick.wav pad.wav
expect 0 "$samples" contents banks.e3x
expect 1 "" new-bank new.iso DEEP deep.wav
says "deep.wav"

# Refusals.
expect 1 "" create new.iso
says "new.iso: The file already exists"
expect 1 "" export hd.img 1 again.e3x
says "again.e3x: The file already exists"
expect 1 "" export hd.img 42
says "hd.img: No bank B42"
expect 1 "" list missing.img
says "missing.img: Unable to open the disk image file"
expect 2 "" frobnicate hd.img
expect 2 "" rename hd.img 1
expect 2 "" renumber hd.img 1 100
expect 2 "" list hd.img --all
expect 0 "korrin 0.10" --version
"$korrin" delete --help | grep -q "^Usage: korrin delete IMAGE BANK" ||
  { echo "FAIL: delete --help"; failures=$((failures + 1)); }

# A damaged Bank Allocation Table: every chain runs into free blocks.
cp before.img damaged.img
bat=$(od -An -tu4 -j24 -N4 damaged.img | tr -d ' ')
dd if=/dev/zero of=damaged.img bs=512 seek="$bat" count=1 conv=notrunc 2>/dev/null
cp damaged.img damaged-before.img
expect 1 "" import damaged.img pads.e3x
says "damaged.img: pads.e3x: Bank Allocation Table on disk is damaged"
expect 1 "" export damaged.img 0 lost.e3x
says "damaged.img: B00 GRAND PIANO: Bank chain on disk is damaged"
[ ! -e lost.e3x ] || { echo "FAIL: a failed export left a file"; failures=$((failures + 1)); }
"$korrin" check damaged.img >check.out 2>err
[ $? = 1 ] && grep -q "^B00${tab}GRAND PIANO${tab}Bank chain on disk is damaged" check.out ||
  { echo "FAIL: check of a damaged disk: $(cat check.out)"; failures=$((failures + 1)); }
cmp -s damaged.img damaged-before.img || { echo "FAIL: a refused write changed the image"; failures=$((failures + 1)); }

# A read-only image: read, never written, and refused by the writing commands.
chmod 444 before.img
chmod 755 "$work"
as_user=""
if [ "$(id -u)" = 0 ]; then
  command -v setpriv >/dev/null || { echo "skipping the read-only image (no setpriv)"; exit $((failures != 0)); }
  as_user="setpriv --reuid=nobody --regid=nogroup --clear-groups"
fi
$as_user "$korrin" list before.img >ro.out 2>err && [ "$(cat ro.out)" = "$banks" ] ||
  { echo "FAIL: list of a read-only image: $(cat err)"; failures=$((failures + 1)); }
$as_user "$korrin" delete before.img 0 2>err
[ $? = 1 ] || { echo "FAIL: delete on a read-only image"; failures=$((failures + 1)); }
says "before.img: Unable to open the disk image file: it is missing, read-only"

[ "$failures" = 0 ] && echo "korrin: all runs as expected"
exit $((failures != 0))
