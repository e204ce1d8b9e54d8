# Shared helpers of the native saver's end-to-end tests, each run on a private
# Xvfb with a private settings folder.  Sourced by each test script, which is
# called as: SCRIPT <path of nivarel>.  Every wait polls with a time limit.
set -uo pipefail
X11_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
if [ -z "${NIVAREL_PRIVATE_DISPLAY:-}" ]; then
  exec env -u DISPLAY NIVAREL_NO_WINE=1 NIVAREL_PRIVATE_DISPLAY=1 "$X11_TOP/scripts/with-display" bash "$0" "$@"
fi

SAVER=${1:?path of nivarel}
CHECK_NAME=$(basename "$0" .sh)
source "$X11_TOP/tests/support/checks.sh"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/nivarel-x11-$CHECK_NAME.XXXXXX")
export XDG_CONFIG_HOME=$WORK/config
SETTINGS=$XDG_CONFIG_HOME/nivarel/settings.ini
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$WORK"' EXIT


# start ARGS...: the saver in the background, its stderr in $WORK/err; SAVER_PID.
start() { "$SAVER" "$@" 2>"$WORK/err" & SAVER_PID=$!; PIDS+=("$SAVER_PID"); }
ended() { ! kill -0 "$SAVER_PID" 2>/dev/null; }
# exits_with CODE SECONDS: the saver ends within SECONDS with CODE.
exits_with() { poll "$2" ended && { wait "$SAVER_PID"; [ $? -eq "$1" ]; }; }
stays() { ! poll "$1" ended; }
window_of() { xdotool search --name "^$1\$" 2>/dev/null | head -n 1; }
shown() { [ -n "$(window_of "$1")" ]; }

# lit WINDOW: the centre of the window (or "root") shows more than black.
lit() {
  local grey
  grey=$(import -window "$1" -gravity center -crop 40x40+0+0 +repage -colorspace gray \
         -format '%[fx:maxima]' info: 2>/dev/null) || return 1
  awk -v g="$grey" 'BEGIN { exit !(g > 0.1) }'
}
dark() { ! lit "$1"; }

# host: a black 400x300 window of another program (xev), its id in HOST.
host() {
  xev -rv -geometry 400x300+0+0 >"$WORK/xev" 2>&1 & PIDS+=($!)
  poll 10 grep -q 'Outer window is' "$WORK/xev" || return 1
  HOST=$(sed -n 's/^Outer window is \(0x[0-9a-f]*\).*/\1/p' "$WORK/xev" | head -n 1)
  poll 10 bash -c "xwininfo -id $HOST | grep -q IsViewable"
}
stored() { sed -n "s/^$1=//p" "$SETTINGS" 2>/dev/null; }
