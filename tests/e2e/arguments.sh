#!/usr/bin/env bash
# The command line: requests that are not understood, previews of windows that
# do not exist or of the desktop window, and a password change outside the
# Windows 95 family end with -1 and show nothing; "/save" counts as "/s".
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Records whether the saver showed any window of its own before it ended.
shown_anything=0
watch_for_windows() {
  [ -n "$(xdotool search --onlyvisible --pid "$SAVER_PID" 2>/dev/null)" ] && shown_anything=1
  saver_ended
}

desktop=$(describe "" | field desktop)
for arguments in "/x" "/p 0" "/p:1234" "/p 123456789" "/p $desktop" "/a" "/a 1234" "-q"; do
  shown_anything=0
  start_saver $arguments
  poll 30 watch_for_windows
  wait_for_exit 1
  check "\"$arguments\" ends with exit code -1" equals 255 "$SAVER_EXIT"
  check "\"$arguments\" shows nothing" equals 0 "$shown_anything"
done

fresh_registry
start_saver /save
check "\"/save\" starts the full-screen saver" wait_for_saver
send_keys Escape
wait_for_exit 30
check "which Esc ends with exit code 0" equals 0 "$SAVER_EXIT"
finish
