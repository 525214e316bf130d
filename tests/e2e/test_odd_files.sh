# A named pipe typed into the real Open dialog: an error box at once, and the window goes on
# answering: the next Open of an ordinary file works.
source "$(dirname "$0")/lib.sh" "$1"
start_x
returning_user
pipe=$HOME/pipe.nv
mkfifo "$pipe"
note=$HOME/note.nv
printf 'call Ann\r\n' >"$note"

start_main
xdotool key --window "$main" ctrl+o
dialog=$(wait_window "Notavo | Open File")
focus_window "$dialog"
xdotool type --delay 20 "$pipe"
started=$(date +%s%N)
xdotool key Return
box=$(wait_window "Error" 3)
elapsed=$((($(date +%s%N) - started) / 1000000))
((elapsed < 1000)) || fail "the error box took $elapsed ms"
[[ -p $pipe ]] || fail "the pipe was replaced"
focus_window "$box"
xdotool key Return
expect_no_window "Error" 0.3

focus_window "$main"
xdotool key --window "$main" ctrl+o
answer_dialog "Notavo | Open File" "$note"
wait_window "note.nv - Notavo" 3 >/dev/null
notavo_running || fail "notavo ended"
echo "PASS a named pipe is refused at once (${elapsed} ms), then a file opens"
