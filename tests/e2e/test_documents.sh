# A new user writes a note: New, type, Ctrl+S, a path typed into the save dialog; the file holds
# the text with CR LF breaks; opening it again shows the text under its name.
source "$(dirname "$0")/lib.sh" "$1"
start_x
returning_user
note=$HOME/note.nv

start_main
new_document
xdotool type --delay 20 "call Ann 555-0199"
xdotool key Return
xdotool type --delay 20 "ann@example.org"
xdotool key ctrl+s
answer_dialog "Notavo | Save File" "$note"
wait_window "note.nv - Notavo" >/dev/null
expect_bytes "$note" 'call Ann 555-0199\r\nann@example.org\r\n'

# A fresh start, then Open: the same file under its own name.
stop_notavo
start_main
xdotool key --window "$main" ctrl+o
answer_dialog "Notavo | Open File" "$note"
main=$(wait_window "note.nv - Notavo")
# Saving the unchanged document writes the same bytes.
focus_window "$main"
xdotool key ctrl+s
sleep 0.5
expect_bytes "$note" 'call Ann 555-0199\r\nann@example.org\r\n'
notavo_running || fail "notavo ended"
echo "PASS new, type, save through the dialog, open, save unchanged"
