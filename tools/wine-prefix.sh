# Sourced by the Wine scripts. wine_prefix PREFIX exports WINEPREFIX and
# friends. With KORRIN_WINE_VERSION set (win98, winxp, ... as winecfg names
# them) the prefix is PREFIX-VERSION instead, and Wine reports that Windows
# version there (HKCU\Software\Wine, value Version), so a program takes its
# branches for that system.
wine_prefix() {
  WINEPREFIX="$1${KORRIN_WINE_VERSION:+-$KORRIN_WINE_VERSION}"
  export WINEPREFIX WINEARCH=win32 WINEDEBUG=-all
  mkdir -p "$WINEPREFIX"
  if [ -n "$KORRIN_WINE_VERSION" ] &&
    [ "$(cat "$WINEPREFIX/korrin-version" 2>/dev/null)" != "$KORRIN_WINE_VERSION" ]; then
    WINEDLLOVERRIDES="mscoree,mshtml=" wine reg add 'HKCU\Software\Wine' /v Version \
      /d "$KORRIN_WINE_VERSION" /f >/dev/null 2>&1 || {
      echo "cannot set Windows version $KORRIN_WINE_VERSION in $WINEPREFIX" >&2
      exit 1
    }
    wineserver -w
    echo "$KORRIN_WINE_VERSION" >"$WINEPREFIX/korrin-version"
  fi
}
