#!/usr/bin/env bash
# Cancel and the title bar's close button end the settings dialog with
# exit code 1 and leave the registry exactly as it was, whatever the keys
# steered.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/settings_lib.sh"

discard_with() {
  local way=$1
  fresh_registry
  put_setting "mod1 depth" 25000
  put_setting "cycle time" 20
  export_settings "$E2E_WORK/before-$way.reg"
  check "the dialog opens for $way" open_settings
  send_keys Next Next Left F9
  case $way in
    cancel) click_settings cancel ;;
    close-button) click_close_button "$SETTINGS_TITLE" ;;
  esac
  wait_for_exit 30
  check "$way closes the dialog with exit code 1" equals 1 "$SAVER_EXIT"
  export_settings "$E2E_WORK/after-$way.reg"
  check "$way leaves the registry as it was" same_files "$E2E_WORK/before-$way.reg" "$E2E_WORK/after-$way.reg"
}

window_manager_draws_frames
discard_with cancel
wine_draws_frames
discard_with close-button
window_manager_draws_frames
finish
