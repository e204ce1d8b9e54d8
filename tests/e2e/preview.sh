#!/usr/bin/env bash
# The Display control panel's preview: "/p <window>" draws into a child window
# as large as the given one's client area, passes help requests to the control
# panel, and ends with exit code 0, having saved nothing, when the control
# panel closes its window.  (That keys do nothing there is the keyboard
# control's unit tests'.)
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

fresh_registry
put_setting "mod1 depth" 15000
report=$(wine "$HOST" preview "$SAVER" 2>/dev/null | tr -d '\r')
log "host report: $(tr '\n' ' ' <<<"$report")"
check "a child \"Preview\" window as large as the host's client area appears" equals "$(field host_client <<<"$report")" \
  "$(field preview_client <<<"$report")"
check "help and the context menu reach the host with its handle" equals "1 1" "$(field help <<<"$report")"
check "closing the host ends the saver with exit code 0" equals 0 "$(field saver_exit <<<"$report")"
check_settings "mod1 depth=15000"
finish
