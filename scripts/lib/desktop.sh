# Sourced by the scripts: a virtual display with a small window manager and
# a throw-away Wine prefix, for running the Windows program as a user would.
# Usage: start_display; start_wine_prefix FOLDER; ...; stop_desktop
# Both are stopped by stop_desktop (the callers trap it on EXIT).

. scripts/lib/wine.sh

DESKTOP_PACKAGES=(xvfb openbox xdotool wine wine64 unzip)

DESKTOP_PIDS=()

# Xvfb on the first free display number (it picks and reports it), then
# openbox, which gives new windows the focus as a desktop does.
start_display() {
  local log=${1:-/dev/null} number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >"$log" 2>&1 &
  DESKTOP_PIDS+=($!)
  local i
  for i in $(seq 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  [ -s "$number_file" ] || { echo "Xvfb did not start" >&2; rm -f "$number_file"; return 1; }
  export DISPLAY=:$(cat "$number_file")
  rm -f "$number_file"
  openbox >>"$log" 2>&1 &
  DESKTOP_PIDS+=($!)
  # The window manager is up when it names itself on the root window.
  for i in $(seq 100); do
    xdotool get_desktop >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "openbox did not start" >&2
  return 1
}

stop_desktop() {
  [ -n "${WINE_STARTED:-}" ] && stop_wine
  local pid
  for pid in "${DESKTOP_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${DESKTOP_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  DESKTOP_PIDS=()
}
