#!/usr/bin/env bash
# One full-screen saver at a time: of two started at the same moment one gives
# way with exit code 0, leaving one saver window that one key ends; a start
# while a saver runs brings that one to the front and ends at once with 0.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

fresh_registry
wine "$SAVER" /s >/dev/null 2>&1 &
first=$!
wine "$SAVER" /s >/dev/null 2>&1 &
second=$!
check "a saver window appears" wait_for_saver
either_ended() { ! kill -0 "$first" 2>/dev/null || ! kill -0 "$second" 2>/dev/null; }
check "one of the two starts gives way" poll 30 either_ended
SAVER_PID=$first
running=$second
saver_running && { SAVER_PID=$second; running=$first; }
wait_for_exit 1
check "with exit code 0" equals 0 "$SAVER_EXIT"

wine "$SAVER" /s >/dev/null 2>&1 &
SAVER_PID=$!
wait_for_exit 30
check "a later start ends with exit code 0" equals 0 "$SAVER_EXIT"

SAVER_PID=$running
check "the first saver goes on" saver_running
info=$(describe "Screen Saver")
check "there is one saver window" equals 1 "$(field count <<<"$info")"
check "and it is in the foreground" equals 1 "$(field foreground <<<"$info")"

send_keys Escape
wait_for_exit 30
check "Esc ends it with exit code 0" equals 0 "$SAVER_EXIT"
check "and no saver window is left" wait_for_no_window "Screen Saver" 10
kill "$first" "$second" 2>/dev/null
finish
