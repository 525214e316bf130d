# The tray under a StatusNotifier host (KDE Plasma, GNOME's AppIndicator extension): the icon
# registers with the host's watcher on the private session bus, and again when the host
# restarts.
source "$(dirname "$0")/lib.sh" "$1"
[[ -x ${SNI_WATCHER:-} ]] || fail "SNI_WATCHER (the test's watcher) is not set"
start_x
returning_user

start_watcher() {
    : >"$E2E_WORK/watcher.log"
    "$SNI_WATCHER" >"$E2E_WORK/watcher.log" 2>&1 &
    WATCHER_PID=$!
    E2E_PIDS+=("$WATCHER_PID")
    wait_log ready
}

# Waits up to 10 s for a line of the watcher's log starting with $1.
wait_log() {
    local deadline=$((SECONDS + 10))
    while ((SECONDS < deadline)); do
        grep -q "^$1" "$E2E_WORK/watcher.log" && return 0
        sleep 0.1
    done
    fail "the watcher never logged '$1': $(cat "$E2E_WORK/watcher.log")"
}

# The host is there from the start, so Qt talks to it on D-Bus; File, Minimize to tray (by
# their access letters) gives it the icon.
start_watcher
start_main
xdotool key alt+f m
wait_log registered
expect_no_window "Notavo" 0.3

# The host restarts: the icon registers with the new watcher.
kill "$WATCHER_PID"
wait "$WATCHER_PID" 2>/dev/null || true
start_watcher
wait_log registered
notavo_running || fail "notavo ended when the tray host restarted"
echo "PASS tray watcher: registered, and again after the host restarted"
