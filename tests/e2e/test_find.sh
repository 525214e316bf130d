# A note is corrected with Find and Replace from the keyboard: New, type, Ctrl+F, the match
# found with Return, Ctrl+H, each match replaced with Alt+R, Escape, Ctrl+S: the file holds the
# replaced text.
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
xdotool type --delay 20 "Ann lives at 4 Elm St"
xdotool key ctrl+f
find=$(wait_window "Notavo | Find")
focus_window "$find"
xdotool type --delay 20 "ann"
xdotool key Return
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
dialog=$(wait_window "Notavo | Save File")
focus_window "$dialog"
xdotool type --delay 20 "$note"
xdotool key Return
wait_window "note.nv - Notavo" >/dev/null
expected=$(printf 'call Anna 555-0199\r\nAnna lives at 4 Elm St\r\n' | od -An -tx1)
actual=$(od -An -tx1 "$note" 2>/dev/null || true)
[[ $actual == "$expected" ]] || fail "saved bytes: $actual, expected: $expected"
notavo_running || fail "notavo ended"
echo "PASS type, find, replace each match, save"
