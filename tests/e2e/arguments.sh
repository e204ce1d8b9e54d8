#!/usr/bin/env bash
# The command line as only the system can answer it: a preview of a window
# that does not exist or of the desktop window, and a password change outside
# the Windows 95 family end with -1 and show nothing.  How every other odd
# command line reads is decided by the unit tests of the command-line rules.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Records whether the saver showed any window of its own before it ended.
shown_anything=0
watch_for_windows() {
  [ -n "$(xdotool search --onlyvisible --pid "$SAVER_PID" 2>/dev/null)" ] && shown_anything=1
  saver_ended
}

desktop=$(describe "" | field desktop)
for arguments in "/p 123456789" "/p $desktop" "/a 1234"; do
  shown_anything=0
  start_saver $arguments
  poll 30 watch_for_windows
  wait_for_exit 1
  check "\"$arguments\" ends with exit code -1" equals 255 "$SAVER_EXIT"
  check "\"$arguments\" shows nothing" equals 0 "$shown_anything"
done
finish
