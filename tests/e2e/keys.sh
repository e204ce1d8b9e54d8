#!/usr/bin/env bash
# The keys of the full-screen saver: F2 to F9 steer the view that is saved;
# F11 shows the live values in a "Params" box, after which the saver goes on;
# F12, a key without a meaning, ends it (Esc does in the typical run; which
# keys stop is decided by the keyboard control's unit tests).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

fresh_registry
start_saver /s
check "the saver window appears for steering" wait_for_saver
# Turns of 1.5 degrees (F2 and F4 lower, F3 and F5 raise; F6 raises and F7
# lowers) and speed steps of 0.125 (F8 slower, F9 faster).
send_keys F2 F2 F3 F4 F5 F5 F6 F7 F7 F9 F9 F9 F8
send_keys F11
check "F11 shows the Params box" wait_for_window Params 20
check "the saver waits behind it" saver_running
send_keys Return
check "the box closes" wait_for_no_window Params 20
check "and the saver goes on" stays_running 2
send_keys F12
wait_for_exit 30
check "F12, a key without a meaning, ends the saver with exit code 0" equals 0 "$SAVER_EXIT"
for expected in "mod1 xrot=-150" "mod1 yrot=150" "mod1 zrot=-150" "mod1 speed=75" "mod1 depth=19200"; do
  name=${expected%=*}
  check "\"$name\" is saved as ${expected#*=}" equals "${expected#*=}" "$(setting "$name")"
done
finish
