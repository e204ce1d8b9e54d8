# Checks and waits shared by the end-to-end scripts of both savers.  The
# sourcing script sets CHECK_NAME (its name in the log) first.
CHECK_FAILURES=0

log() { echo "[$CHECK_NAME] $*"; }

# check DESCRIPTION COMMAND...: records a failure when COMMAND fails.
check() { if "${@:2}"; then log "ok: $1"; else log "FAILED: $1"; CHECK_FAILURES=$((CHECK_FAILURES + 1)); fi; }

# equals EXPECTED ACTUAL
equals() { [ "$1" = "$2" ] || { log "  expected '$1', got '$2'"; return 1; }; }

finish() { log "$CHECK_FAILURES check(s) failed"; [ "$CHECK_FAILURES" -eq 0 ]; exit; }

# poll SECONDS COMMAND...: true as soon as COMMAND succeeds, false after
# SECONDS (which may be a fraction).
poll() {
  local end=$((${EPOCHREALTIME/./} + $(awk -v s="$1" 'BEGIN { print int(s * 1e6) }')))
  until "${@:2}"; do [ "${EPOCHREALTIME/./}" -lt "$end" ] || return 1; sleep 0.1; done
}
