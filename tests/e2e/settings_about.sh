#!/usr/bin/env bash
# "About Nivarel" opens the About dialog over the settings dialog; its OK closes
# it, and the settings preview goes on: the keys, which only the
# preview's frames take, still steer the view that OK saves.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/settings_lib.sh"

fresh_registry
window_manager_draws_frames
check "the settings dialog opens" open_settings

click_settings about
check "About opens \"$ABOUT_TITLE\"" wait_for_dialog "$ABOUT_TITLE"
click_about_ok
check "its OK closes it" wait_for_no_window "$ABOUT_TITLE" 20
check "the settings dialog stays" saver_running

check "the settings dialog has the keyboard again" poll 20 in_foreground "$SETTINGS_TITLE"
send_keys Next
click_settings ok
wait_for_exit 30
check "OK closes the settings with exit code 1" equals 1 "$SAVER_EXIT"
check "the key pressed after About steered the saved view" equals 18900 "$(setting "mod1 depth")"
finish
