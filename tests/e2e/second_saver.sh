#!/usr/bin/env bash
# One full-screen saver at a time: of two started at the same moment one gives
# way with exit code 0 (as a start while a saver runs does), leaving one saver
# window, in the foreground, that one key ends.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

fresh_registry
start_saver /s
first=$SAVER_PID
start_saver /s
check "a saver window appears" wait_for_saver
check "one of the two starts gives way" poll 30 bash -c "! kill -0 $first 2>/dev/null || ! kill -0 $SAVER_PID 2>/dev/null"
if saver_running; then running=$SAVER_PID; SAVER_PID=$first; else running=$first; fi
wait_for_exit 1
check "with exit code 0" equals 0 "$SAVER_EXIT"
SAVER_PID=$running
info=$(describe "Screen Saver")
check "one saver window goes on, in the foreground" equals "1 1" "$(field count <<<"$info") $(field foreground <<<"$info")"
check "with the keyboard" wait_for_saver
send_keys Escape
wait_for_exit 30
check "Esc ends it with exit code 0" equals 0 "$SAVER_EXIT"
check "and no saver window is left" poll 30 window_gone "Screen Saver"
finish
