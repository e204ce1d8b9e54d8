#!/usr/bin/env bash
# The settings dialog's OK keeps the view the keys steered to, the cycle time
# and the sound setting; the dialog's result is the exit code, 1.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/settings_lib.sh"

fresh_registry
window_manager_draws_frames
check "/c opens \"$SETTINGS_TITLE\"" open_settings
check "one settings dialog" equals 1 "$(describe "$SETTINGS_TITLE" | field count)"
# Page Down at depth 192 brings the world 3 units nearer, twice.
send_keys Next Next
click_settings ok
wait_for_exit 30
check "OK closes the dialog with exit code 1" equals 1 "$SAVER_EXIT"
check "the dialog is gone" wait_for_no_window "$SETTINGS_TITLE" 10
for expected in "mod1 depth=18600" "mod1 speed=50" "mod1 active=1" "cycle time=15" "enable sound=0"; do
  name=${expected%=*}
  check "\"$name\" is saved as ${expected#*=}" equals "${expected#*=}" "$(setting "$name")"
done

finish
