# Sourced by the scripts: a throw-away Wine prefix for the Windows tests.
# Usage: start_wine_prefix FOLDER; ...; stop_wine (the callers trap it on EXIT).

# A fresh prefix, never the user's own, with one server for the whole run.
start_wine_prefix() {
  export WINEPREFIX=$1
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No Mono or Gecko installers: nothing here needs them.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # A fixed locale, so Wine's ANSI code page is 1252 and its decimal
  # separator the point, whatever the machine is set to.
  export LANG=C.UTF-8
  unset LC_ALL LC_CTYPE LC_NUMERIC
  wineserver -k >/dev/null 2>&1 || true  # a server left over from an interrupted run
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  # Its output away from any pipe: Wine's background processes inherit it,
  # and ctest waits until every holder of a test's output has let go.
  wineserver -p </dev/null >/dev/null 2>&1
  wineboot -i </dev/null >"$WINEPREFIX.wineboot.log" 2>&1 || { cat "$WINEPREFIX.wineboot.log" >&2; return 1; }
  WINE_STARTED=1
}

stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
