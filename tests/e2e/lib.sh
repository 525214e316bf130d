# Shared helpers for end-to-end tests: a private Xvfb display, a fresh HOME and XDG folders,
# the real notavo binary, and xdotool to drive it as a person would.
# Usage in a test: source "$(dirname "$0")/lib.sh" "$1"   ($1: path of the notavo binary)
set -euo pipefail

NOTAVO=$(readlink -f "$1")
E2E_WORK=$(mktemp -d /tmp/notavo-e2e.XXXXXX)
export HOME=$E2E_WORK/home XDG_CONFIG_HOME=$E2E_WORK/config XDG_DATA_HOME=$E2E_WORK/data
export XDG_CACHE_HOME=$E2E_WORK/cache XDG_RUNTIME_DIR=$E2E_WORK/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export QT_QPA_PLATFORM=xcb
E2E_PIDS=()

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [[ -s $E2E_WORK/notavo.log ]]; then
        echo "--- notavo's output:" >&2
        tail -n 40 "$E2E_WORK/notavo.log" >&2
    fi
    if [[ -n ${DISPLAY:-} ]]; then
        local shot=/tmp/notavo-e2e-failure-$(basename "$0" .sh).png
        import -window root "$shot" 2>/dev/null && echo "screenshot: $shot" >&2
    fi
    exit 1
}

# Starts Xvfb on a free display and exports DISPLAY. The server picks the display itself, so
# tests run side by side never share one. -noreset: by default the server resets when its last
# client leaves (xdpyinfo here, xdotool later), and a program connecting during that reset is
# refused.
start_x() {
    local numberFile=$E2E_WORK/display n
    : >"$numberFile"
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    for _ in $(seq 200); do
        n=$(tr -dc 0-9 <"$numberFile")
        if [[ -n $n ]]; then
            export DISPLAY=:$n
            xdpyinfo >/dev/null 2>&1 && return 0
        fi
        sleep 0.05
    done
    fail "Xvfb did not start"
}

# Starts notavo in the background; its pid is in NOTAVO_PID.
start_notavo() {
    "$NOTAVO" "$@" >"$E2E_WORK/notavo.log" 2>&1 &
    NOTAVO_PID=$!
    E2E_PIDS+=("$NOTAVO_PID")
}

# Prints the id of a visible window whose title is exactly $1, waiting up to ${2:-10} s.
wait_window() {
    local title=$1 deadline=$((SECONDS + ${2:-10})) id
    while ((SECONDS < deadline)); do
        id=$(xdotool search --onlyvisible --name "^$(printf '%s' "$title" | sed 's/[][\.*^$|+?(){}]/\\&/g')\$" 2>/dev/null | head -n1 || true)
        if [[ -n $id ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no window titled '$title' appeared"
}

# Succeeds when no visible window titled exactly $1 exists after ${2:-1} s.
expect_no_window() {
    sleep "${2:-1}"
    if xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; then
        fail "window '$1' is visible"
    fi
}

# Gives a window the keyboard focus (there is no window manager to do it). A window just mapped
# may not be viewable yet, and focusing it then fails: so it is tried again for a moment.
focus_window() {
    for _ in $(seq 30); do
        if xdotool windowactivate --sync "$1" 2>/dev/null ||
            xdotool windowfocus --sync "$1" 2>/dev/null; then
            sleep 0.2
            return 0
        fi
        sleep 0.1
    done
    fail "could not give window $1 the focus"
}

# Clicks at a position relative to a window's top-left corner.
click_in_window() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.2
}

# Closes a window through its close box (WM_DELETE_WINDOW).
close_window() { "$XCLOSE" "$1"; }

notavo_running() { kill -0 "$NOTAVO_PID" 2>/dev/null; }

# A returning user: the welcome window was seen on an earlier start.
returning_user() {
    mkdir -p "$XDG_CONFIG_HOME/notavo"
    printf '[data]\nfirsttime=0\n' >"$XDG_CONFIG_HOME/notavo/notavo.ini"
}

# Starts notavo and gives its main window, whose id is then in main, the focus.
start_main() {
    start_notavo "$@"
    main=$(wait_window "Notavo")
    focus_window "$main"
}

stop_notavo() { kill "$NOTAVO_PID" && wait "$NOTAVO_PID" 2>/dev/null || true; }

expect_ended() {
    for _ in $(seq 50); do notavo_running || return 0; sleep 0.1; done
    fail "notavo still running after $1"
}

# Ctrl+N in the main window; the new document has the focus.
new_document() {
    xdotool key --window "$main" ctrl+n
    wait_window "New File - Notavo" >/dev/null
    focus_window "$main"
}

# Types $2 into the window titled $1 (a file dialog) and presses Return.
answer_dialog() {
    focus_window "$(wait_window "$1")"
    xdotool type --delay 20 "$2"
    xdotool key Return
}

# Fails unless file $1 holds exactly the bytes printf '%b' makes of $2.
expect_bytes() {
    [[ $(od -An -tx1 "$1") == "$(printf '%b' "$2" | od -An -tx1)" ]] || fail "$1: $(od -An -tx1 "$1")"
}
