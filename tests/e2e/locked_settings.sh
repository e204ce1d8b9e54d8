#!/usr/bin/env bash
# A settings key the user may read but not change still gives the stored
# view, and the run ends with exit code 0 having written nothing and shown no
# error; a key nobody may open gives the built-in view.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# run_locked HOW: a full-screen run with the settings key locked as HOW
# (see nivarel_e2e_host); PARAMS is what F11 showed.
run_locked() {
  coproc LOCK { wine "$HOST" lock-settings "$1" 2>/dev/null; }
  local line unlock=${LOCK[1]}
  read -r line <&"${LOCK[0]}"
  check "the key is locked: $1" equals "locked=$1" "${line%$'\r'}"
  start_saver /s
  check "the saver window appears" wait_for_saver
  send_keys F11
  wait_for_window Params 20
  PARAMS=$(describe Params | field texts)
  send_keys Return
  wait_for_no_window Params 20
  send_keys Escape
  wait_for_exit 30
  check "Esc ends the saver with exit code 0" equals 0 "$SAVER_EXIT"
  exec {unlock}>&-
  wait "$LOCK_PID"
}

fresh_registry
put_setting "mod1 depth" 15000
run_locked read
check "the stored depth is shown" grep -q "g_fDepth 150.000000" <<<"$PARAMS"
run_locked none
check "the built-in depth is shown" grep -q "g_fDepth 192.000000" <<<"$PARAMS"
check "nothing was written" equals "15000 missing" "$(setting "mod1 depth") $(setting "mod1 horz")"
finish
