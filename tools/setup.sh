#!/bin/sh
# Installs what building and testing Korrin needs on a Debian machine (run as
# root). Idempotent: does nothing when everything is already there.
set -e
packages="cmake g++ make googletest libgtest-dev g++-mingw-w64-i686 mingw-w64-tools \
  wine wine32:i386 xvfb xauth clang libclang-rt-14-dev imagemagick xdotool clang-format \
  sox sndfile-programs"
missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q $missing
