# A note is corrected with Find and Replace from the keyboard: New, type, Ctrl+F, the match
# found with Return, Ctrl+H, each match replaced with Alt+R, Escape, Ctrl+S: the file holds the
# replaced text.
source "$(dirname "$0")/lib.sh" "$1"
start_x
returning_user
note=$HOME/note.nv

start_main
new_document
xdotool type --delay 20 "call Ann 555-0199"
xdotool key Return
xdotool type --delay 20 "Ann lives at 4 Elm St"
xdotool key ctrl+f
answer_dialog "Notavo | Find" "ann"
xdotool key ctrl+h
wait_window "Notavo | Replace" >/dev/null
xdotool key alt+p
xdotool type --delay 20 "Anna"
xdotool key alt+r
sleep 0.2
xdotool key alt+r
sleep 0.2
xdotool key Escape
expect_no_window "Notavo | Replace" 0.5
# Escape gave the keyboard back to the document.
xdotool key ctrl+s
answer_dialog "Notavo | Save File" "$note"
wait_window "note.nv - Notavo" >/dev/null
expect_bytes "$note" 'call Anna 555-0199\r\nAnna lives at 4 Elm St\r\n'
notavo_running || fail "notavo ended"
echo "PASS type, find, replace each match, save"
