#!/bin/sh
# Runs a Windows program under Wine in the build's private prefix, on a
# virtual display when there is no real one. Usage: wine-run.sh PREFIX EXE ARGS...
# KORRIN_WINE_VERSION picks the Windows version Wine reports (wine-prefix.sh).
. "$(dirname "$0")/wine-prefix.sh"
wine_prefix "$1"
shift
# No network here: never offer to fetch Mono or Gecko. Prefer our own ASPI manager.
export WINEDLLOVERRIDES="mscoree,mshtml=;wnaspi32=n"
if [ -z "$DISPLAY" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
fi
exec wine "$@"
