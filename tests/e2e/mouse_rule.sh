#!/usr/bin/env bash
# The mouse rule: moves that stay within 100 pixels (|dx| + |dy|) of where the
# pointer was at the start never end the saver; one beyond does, and the view
# is saved.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

fresh_registry
xdotool mousemove 400 300
start_saver /s
check "the saver window appears" wait_for_saver

for move in "460 340" "300 300"; do
  xdotool mousemove $move
  check "a move to ($move), within 100 pixels of the start, keeps it running" stays_running 2
done

xdotool mousemove 460 341
wait_for_exit 20
check "a move to (460 341), 101 pixels away, ends it with exit code 0" equals 0 "$SAVER_EXIT"
check "the view is saved" equals 19200 "$(setting "mod1 depth")"
finish
