#!/bin/sh
# Runs a Windows program under Wine in the build's private prefix, on a
# virtual display when there is no real one. Usage: wine-run.sh PREFIX EXE ARGS...
prefix="$1"
shift
export WINEPREFIX="$prefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No network here: never offer to fetch Mono or Gecko. Prefer our own ASPI manager.
export WINEDLLOVERRIDES="mscoree,mshtml=;wnaspi32=n"
mkdir -p "$prefix"
if [ -z "$DISPLAY" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
fi
exec wine "$@"
