# Shared helpers of the end-to-end tests: start nivarel.scr under Wine as the
# system would, and watch it from outside.  Sourced by each test script, which
# is called as: SCRIPT <path of nivarel.scr> <path of nivarel_e2e_host.exe>.
#
# Every wait polls a condition with a time limit; a test never sleeps blindly.
# The machine may be loaded: anything the wineserver or the X server can make
# fail once (a `wine reg`, a window search) is polled until it holds.
set -uo pipefail

E2E_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Without a display (a plain ctest run), run the whole script on a private one.
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  exec "$E2E_TOP/scripts/with-display" bash "$0" "$@"
fi

SAVER=${1:?path of nivarel.scr}
HOST=${2:?path of nivarel_e2e_host.exe}
SETTINGS_KEY='HKCU\Software\Orrinvale\Nivarel'
CHECK_NAME=$(basename "$0" .sh)
source "$E2E_TOP/tests/support/checks.sh"
SAVER_PID=""
export WINEDEBUG=${WINEDEBUG:--all}

E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/nivarel-e2e-$CHECK_NAME.XXXXXX")
trap 'saver_running && kill "$SAVER_PID" && wait "$SAVER_PID"; rm -rf "$E2E_WORK"' EXIT

# wine_reg ARGUMENTS...: `wine reg`, until it succeeds; a command that meets
# the wineserver as it starts or stops can fail having done nothing.
reg_once() { wine reg "$@" >"$E2E_WORK/reg.out" 2>&1; }
wine_reg() { poll 20 reg_once "$@" || { log "  wine reg $1 failed: $(tr -d '\r' <"$E2E_WORK/reg.out" | head -n 3)"; return 1; }; }

# The maker's key is gone: a listing of its parent, which always exists, was
# read and does not name it (a failed query of the key itself could as well be
# a wineserver that was starting or stopping).
settings_gone() { reg_once query 'HKCU\Software' && ! tr -d '\r' <"$E2E_WORK/reg.out" | grep -qi 'Software\\Orrinvale$'; }
settings_removed() { settings_gone || { wine reg delete 'HKCU\Software\Orrinvale' /f >/dev/null 2>&1; settings_gone; }; }
# A fresh registry for each run: no settings of an earlier test.
fresh_registry() { check "no settings of an earlier run are left" poll 30 settings_removed; }

put_setting() { wine_reg add "$SETTINGS_KEY" /v "$1" /t REG_DWORD /d "$2" /f; }

# setting NAME: a stored setting as a signed decimal, or "missing".
setting() {
  local hex
  hex=$(wine reg query "$SETTINGS_KEY" /v "$1" 2>/dev/null | tr -d '\r' | awk '/REG_DWORD/ {print $NF}')
  if [ -n "$hex" ]; then echo $(((hex ^ 0x80000000) - 0x80000000)); else echo missing; fi
}

# check_settings NAME=VALUE...: each stored setting is as given.
check_settings() {
  local e
  for e in "$@"; do check "\"${e%=*}\" is saved as ${e#*=}" equals "${e#*=}" "$(setting "${e%=*}")"; done
}

# start_saver ARGUMENTS...: starts nivarel.scr as the system would; SAVER_PID.
start_saver() { wine "$SAVER" "$@" >"$E2E_WORK/saver.out" 2>&1 & SAVER_PID=$!; }
saver_running() { [ -n "$SAVER_PID" ] && kill -0 "$SAVER_PID" 2>/dev/null; }
saver_ended() { ! saver_running; }
stays_running() { ! poll "$1" saver_ended; }

# wait_for_exit SECONDS: SAVER_EXIT becomes the exit code (255 for -1), or
# "running" when the saver has not ended in time.
wait_for_exit() { SAVER_EXIT=running; poll "$1" saver_ended && { wait "$SAVER_PID"; SAVER_EXIT=$?; }; }

window_ids() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
window_shown() { [ -n "$(window_ids "$1")" ]; }
window_gone() { ! window_shown "$1"; }

# describe TITLE: what Win32 says of the top-level windows titled TITLE.
describe() { wine "$HOST" describe "$1" 2>/dev/null | tr -d '\r'; }
field() { sed -n "s/^$1=//p"; }

# The window titled TITLE takes keys sent now: it is Win32's foreground window
# and has the X keyboard focus.  Without a window manager Wine leaves the X
# focus following the pointer, and keys would go to whatever window the
# pointer is over: the focus is put on the window itself.
has_keyboard() {
  local id
  id=$(window_ids "$1" | head -n 1)
  [ -n "$id" ] && [ "$(describe "$1" | field foreground)" = 1 ] && timeout 10 xdotool windowfocus --sync "$id"
}
wait_for_keyboard() { poll 120 has_keyboard "$1"; }
wait_for_saver() { wait_for_keyboard "Screen Saver"; }
send_keys() { xdotool key --delay 100 "$@"; }
