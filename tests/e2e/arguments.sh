#!/usr/bin/env bash
# The command line as only the system can answer it: a preview of a window
# that does not exist or of the desktop window, and a password change outside
# the Windows 95 family end with -1 and show nothing.  How every other odd
# command line reads is decided by the unit tests of the command-line rules.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# The saver has ended; whether it showed a window of its own before is kept.
shown_nothing() {
  [ -z "$(xdotool search --onlyvisible --pid "$SAVER_PID" 2>/dev/null)" ] || shown=yes
  saver_ended
}
desktop_known() { desktop=$(describe "" | field desktop); [ -n "$desktop" ]; }
check "the desktop window's number is known" poll 30 desktop_known
for arguments in "/p 123456789" "/p $desktop" "/a 1234"; do
  shown=no
  start_saver $arguments
  poll 30 shown_nothing
  wait_for_exit 1
  check "\"$arguments\" ends with exit code -1 and shows nothing" equals "255 no" "$SAVER_EXIT $shown"
done
finish
