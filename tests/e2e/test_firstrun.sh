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
wait_window "Notavo" >/dev/null
expect_no_window "Welcome to Notavo" 0.3
stop_notavo

start_main
expect_no_window "Welcome to Notavo" 0.5
new_document
# The close box ends the program without a question.
close_window "$main"
expect_ended "its window was closed"
echo "PASS first run, later start, shortcut, close"
