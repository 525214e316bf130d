# A new user writes a note: New, type, Ctrl+S, a path typed into the save dialog; the file holds
# the text with CR LF breaks; opening it again shows the text under its name.
source "$(dirname "$0")/lib.sh" "$1"
start_x

mkdir -p "$XDG_CONFIG_HOME/notavo"
printf '[data]\nfirsttime=0\n' >"$XDG_CONFIG_HOME/notavo/notavo.ini"
note=$HOME/note.nv

start_notavo
main=$(wait_window "Notavo")
focus_window "$main"
xdotool key --window "$main" ctrl+n
wait_window "New File - Notavo" >/dev/null
focus_window "$main"
xdotool type --delay 20 "call Ann 555-0199"
xdotool key Return
xdotool type --delay 20 "ann@example.org"
xdotool key ctrl+s
dialog=$(wait_window "Notavo | Save File")
focus_window "$dialog"
xdotool type --delay 20 "$note"
xdotool key Return
wait_window "note.nv - Notavo" >/dev/null
expected=$(printf 'call Ann 555-0199\r\nann@example.org\r\n' | od -An -tx1)
actual=$(od -An -tx1 "$note" 2>/dev/null || true)
[[ $actual == "$expected" ]] || fail "saved bytes: $actual, expected: $expected"

# A fresh start, then Open: the same file under its own name.
kill "$NOTAVO_PID"
wait "$NOTAVO_PID" 2>/dev/null || true
start_notavo
main=$(wait_window "Notavo")
focus_window "$main"
xdotool key --window "$main" ctrl+o
dialog=$(wait_window "Notavo | Open File")
focus_window "$dialog"
xdotool type --delay 20 "$note"
xdotool key Return
main=$(wait_window "note.nv - Notavo")
# Saving the unchanged document writes the same bytes.
focus_window "$main"
xdotool key ctrl+s
sleep 0.5
actual=$(od -An -tx1 "$note")
[[ $actual == "$expected" ]] || fail "bytes after Open and Save: $actual"
notavo_running || fail "notavo ended"
echo "PASS new, type, save through the dialog, open, save unchanged"
