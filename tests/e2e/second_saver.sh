#!/usr/bin/env bash
# A second full-screen start while one saver runs brings the first to the
# front and ends at once with exit code 0; only one saver window exists.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

fresh_registry
start_saver /s
check "the first saver window appears" wait_for_saver
first=$SAVER_PID

wine "$SAVER" /s >/dev/null 2>&1 &
second=$!
SAVER_PID=$second
wait_for_exit 30
check "the second start ends with exit code 0" equals 0 "$SAVER_EXIT"

SAVER_PID=$first
check "the first saver goes on" saver_running
info=$(describe "Screen Saver")
check "there is one saver window" equals 1 "$(field count <<<"$info")"
check "and it is in the foreground" equals 1 "$(field foreground <<<"$info")"

send_keys Escape
wait_for_exit 30
check "Esc ends the first with exit code 0" equals 0 "$SAVER_EXIT"
finish
