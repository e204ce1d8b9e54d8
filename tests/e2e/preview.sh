#!/usr/bin/env bash
# The Display control panel's preview: "/p <window>" draws into a child window
# of the given one, ignores keys, passes help requests to the control panel,
# and ends with exit code 0 when the control panel closes its window.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

fresh_registry
put_setting "mod1 depth" 15000
report=$(wine "$HOST" preview "$SAVER" 2>/dev/null | tr -d '\r')
log "host report:"
sed 's/^/    /' <<<"$report"

check "the saver starts" equals 1 "$(field started <<<"$report")"
check "a child \"Preview\" window appears" equals 1 "$(field preview_found <<<"$report")"
check "of the screen-saver class" equals WindowsScreenSaverClass "$(field preview_class <<<"$report")"
check "a visible child that clips its children" equals 0x52000000 "$(field preview_style <<<"$report")"
check "as large as the host's client area" equals "$(field host_client <<<"$report")" \
  "$(field preview_client <<<"$report")"
check "keys, stop keys included, do not end it" equals 1 "$(field preview_alive_after_keys <<<"$report")"
check "the saver keeps running after the keys" equals 1 "$(field saver_running_after_keys <<<"$report")"
check "help reaches the host" equals 1 "$(field help_received <<<"$report")"
check "with the host's handle" equals 1 "$(field help_wparam_is_host <<<"$report")"
check "the context menu request reaches the host" equals 1 "$(field contextmenu_received <<<"$report")"
check "with the host's handle" equals 1 "$(field contextmenu_wparam_is_host <<<"$report")"
check "closing the host ends the saver" equals 1 "$(field saver_ended <<<"$report")"
check "with exit code 0" equals 0 "$(field saver_exit <<<"$report")"
check "the keys changed nothing that is stored" equals 15000 "$(setting "mod1 depth")"
finish
