# Shared helpers of the end-to-end tests: start nivarel.scr under Wine as the
# system would, and watch it from outside.  Sourced by each test script, which
# is called as: SCRIPT <path of nivarel.scr> <path of nivarel_e2e_host.exe>.
#
# Every wait polls a condition with a time limit; a test never sleeps blindly.
set -uo pipefail

E2E_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Without a display (a plain ctest run), run the whole script on a private one.
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  exec "$E2E_TOP/scripts/with-display" bash "$0" "$@"
fi

SAVER=${1:?path of nivarel.scr}
HOST=${2:?path of nivarel_e2e_host.exe}
SETTINGS_KEY='HKCU\Software\Orrinvale\Nivarel'
E2E_NAME=$(basename "$0" .sh)
E2E_FAILURES=0
SAVER_PID=""
export WINEDEBUG=${WINEDEBUG:--all}

E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/nivarel-e2e-$E2E_NAME.XXXXXX")
e2e_cleanup() {
  if [ -n "$SAVER_PID" ] && kill -0 "$SAVER_PID" 2>/dev/null; then
    kill "$SAVER_PID" 2>/dev/null
    wait "$SAVER_PID" 2>/dev/null
  fi
  rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

log() { echo "[$E2E_NAME] $*"; }

check() {  # check DESCRIPTION COMMAND...: records a failure when COMMAND fails
  local what=$1
  shift
  if "$@"; then
    log "ok: $what"
  else
    log "FAILED: $what"
    E2E_FAILURES=$((E2E_FAILURES + 1))
  fi
}

equals() {  # equals EXPECTED ACTUAL
  [ "$1" = "$2" ] || { log "  expected '$1', got '$2'"; return 1; }
}

finish() {
  if [ "$E2E_FAILURES" -eq 0 ]; then
    log "passed"
    exit 0
  fi
  log "$E2E_FAILURES check(s) failed"
  exit 1
}

# poll SECONDS COMMAND...: true as soon as COMMAND succeeds, false after SECONDS.
poll() {
  local limit=$1
  shift
  local deadline=$((SECONDS + limit))
  while ! "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

# The maker's key is gone: a listing of its parent, which always exists, was
# read and does not name it.  (A failed query of the key itself could as well
# be a wineserver that was starting or stopping.)
settings_gone() {
  local listing
  listing=$(wine reg query 'HKCU\Software' 2>/dev/null | tr -d '\r') || return 1
  [ -n "$listing" ] && ! grep -qi 'Software\\Orrinvale$' <<<"$listing"
}

# A fresh registry for each run: no settings of an earlier test.  On a loaded
# machine a delete can fail having done nothing, so it is tried until the key
# is seen gone; a key that stays is the test's failure, not a stale reading.
fresh_registry() {
  local attempt
  for attempt in 1 2 3 4 5; do
    settings_gone && return 0
    wine reg delete 'HKCU\Software\Orrinvale' /f >/dev/null 2>&1
  done
  settings_gone && return 0
  log "FAILED: the settings of an earlier run could not be removed"
  E2E_FAILURES=$((E2E_FAILURES + 1))
  return 1
}

# wine_reg ARGUMENTS...: `wine reg`, tried up to three times: on a loaded
# machine a command that meets the wineserver as it starts or stops can fail
# having done nothing.  The last attempt's messages go to the log.
wine_reg() {
  local attempt
  for attempt in 1 2 3; do
    wine reg "$@" >"$E2E_WORK/reg.out" 2>&1 && return 0
    sleep 0.5
  done
  log "  wine reg $1 failed: $(tr -d '\r' <"$E2E_WORK/reg.out" | head -n 3)"
  return 1
}

# put_setting NAME VALUE: stores a DWORD setting before the saver starts.
put_setting() {
  wine_reg add "$SETTINGS_KEY" /v "$1" /t REG_DWORD /d "$2" /f
}

# setting NAME: a stored setting as a signed decimal, or "missing".
setting() {
  local line hex
  line=$(wine reg query "$SETTINGS_KEY" /v "$1" 2>/dev/null | tr -d '\r' | grep -F "REG_DWORD")
  [ -n "$line" ] || { echo missing; return; }
  hex=$(awk '{print $NF}' <<<"$line")
  local value=$((hex))
  [ "$value" -ge 2147483648 ] && value=$((value - 4294967296))
  echo "$value"
}

# start_saver ARGUMENTS...: starts nivarel.scr as the system would; SAVER_PID.
start_saver() {
  wine "$SAVER" "$@" >"$E2E_WORK/saver.out" 2>&1 &
  SAVER_PID=$!
}

saver_running() { kill -0 "$SAVER_PID" 2>/dev/null; }
saver_ended() { ! saver_running; }

# wait_for_exit SECONDS: sets SAVER_EXIT to the saver's exit code (255 for
# -1), or to "running" when it has not ended in time.
SAVER_EXIT=""
wait_for_exit() {
  if poll "$1" saver_ended; then
    wait "$SAVER_PID"
    SAVER_EXIT=$?
  else
    SAVER_EXIT=running
  fi
}

# stays_running SECONDS: the saver is still running after SECONDS.
stays_running() { ! poll "$1" saver_ended; }

window_ids() { xdotool search --name "^$1\$" 2>/dev/null; }
window_shown() { [ -n "$(window_ids "$1")" ]; }

# wait_for_window TITLE [SECONDS]
wait_for_window() { poll "${2:-30}" window_shown "$1"; }
wait_for_no_window() { poll "${2:-30}" bash -c "[ -z \"\$(xdotool search --name '^$1\$' 2>/dev/null)\" ]"; }

# describe TITLE: what Win32 says of the top-level windows titled TITLE.
describe() { wine "$HOST" describe "$1" 2>/dev/null | tr -d '\r'; }
field() { sed -n "s/^$1=//p"; }

# The saver is up and has the keyboard: its window exists and is the
# foreground window, so that keys sent now reach it.
saver_in_foreground() { [ "$(describe "Screen Saver" | field foreground)" = 1 ]; }
wait_for_saver() {
  wait_for_window "Screen Saver" 30 && poll 20 saver_in_foreground
}

send_keys() { xdotool key --delay 60 "$@"; }

screen_size() { xdotool getdisplaygeometry; }

screenshot() { import -window root "$1" 2>/dev/null; }

# region_stat FILE GEOMETRY STAT: mean, maxima or standard_deviation of the
# grey levels (0 to 1) of a region of a picture.
region_stat() {
  convert "$1" -crop "$2" +repage -colorspace gray -format "%[fx:$3]" info:
}

# above LIMIT VALUE / below LIMIT VALUE: floating-point comparisons.
above() { awk -v l="$1" -v v="$2" 'BEGIN { exit !(v > l) }'; }
below() { awk -v l="$1" -v v="$2" 'BEGIN { exit !(v < l) }'; }
