# The tray under a real XEmbed tray host (trayer): no host means the window stays; a host that
# appears gets the icon; "Minimize to tray" hides the window; a double click brings it back;
# the icon survives the host's restart; a right click opens the menu whose "Close" ends the
# program. (What each menu entry does is tst_tray's.)
source "$(dirname "$0")/lib.sh" "$1"
start_x
returning_user

start_trayer() {
    trayer --edge top --align right --widthtype request --height 32 --SetDockType false \
        --transparent false >/dev/null 2>&1 &
    TRAYER_PID=$!
    E2E_PIDS+=("$TRAYER_PID")
}

# Prints the id of the docked icon: a small visible window of the program, waiting up to 10 s.
wait_icon() {
    local deadline=$((SECONDS + 10)) id
    while ((SECONDS < deadline)); do
        for id in $(xdotool search --onlyvisible --class notavo 2>/dev/null || true); do
            eval "$(xdotool getwindowgeometry --shell "$id")"
            if ((WIDTH <= 48 && HEIGHT <= 48)); then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    fail "no tray icon appeared"
}

visible_count() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }

# File, then the fourth entry, "Minimize to tray".
minimize_to_tray() {
    focus_window "$main"
    click_in_window "$main" 15 10
    xdotool key Down Down Down Down Return
    sleep 0.7
}

start_main

# No notification area: the window stays and a box titled "Notavo" says why.
minimize_to_tray
(($(visible_count Notavo) == 2)) || fail "no message box beside the main window without a tray host"
xdotool key Return
sleep 0.5
(($(visible_count Notavo) == 1)) || fail "main window not visible after the message"

# A tray host appears while the window is on screen: the icon is added, the window stays.
start_trayer
icon=$(wait_icon)
(($(visible_count Notavo) == 1)) || fail "main window hidden when the tray host appeared"

minimize_to_tray
expect_no_window "Notavo" 0.3
icon=$(wait_icon)

# A double click on the icon brings the window back.
xdotool mousemove --window "$icon" 10 10 click --repeat 2 --delay 80 1
main=$(wait_window "Notavo")

# The tray host restarts: the icon comes back.
kill "$TRAYER_PID"
wait "$TRAYER_PID" 2>/dev/null || true
sleep 0.5
start_trayer
icon=$(wait_icon)

# "Close" from the menu ends the program at once.
xdotool mousemove --window "$icon" 10 10 click 3
sleep 0.7
xdotool key Down Down Down Return
expect_ended "the tray menu's Close"
echo "PASS tray: no host, host appears, hide, double click, host restart, menu Close"
