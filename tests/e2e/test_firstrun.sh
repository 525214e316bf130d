# A new user: the welcome window, "Start", the main window; later starts go straight to it, and
# a menu shortcut typed into the real window reaches its action.
source "$(dirname "$0")/lib.sh" "$1"
start_x

start_notavo
welcome=$(wait_window "Welcome to Notavo")
grep -q '^firsttime=0$' "$XDG_CONFIG_HOME/notavo/notavo.ini" || fail "firsttime not written at once"
expect_no_window "Notavo" 0.5
focus_window "$welcome"
# "Start" holds the focus. Typed, not sent to the window: Return closes it, and a key release
# sent to a window that is gone already fails.
xdotool key Return
main=$(wait_window "Notavo")
expect_no_window "Welcome to Notavo" 0.3
kill "$NOTAVO_PID"
wait "$NOTAVO_PID" 2>/dev/null || true

start_notavo
main=$(wait_window "Notavo")
expect_no_window "Welcome to Notavo" 0.5
focus_window "$main"
xdotool key --window "$main" ctrl+n
wait_window "New File - Notavo" >/dev/null
# The close box ends the program without a question.
close_window "$main"
for _ in $(seq 50); do notavo_running || break; sleep 0.1; done
notavo_running && fail "notavo still running after its window was closed"
echo "PASS first run, later start, shortcut, close"
