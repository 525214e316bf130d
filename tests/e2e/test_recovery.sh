# Killed with SIGKILL a second after typing: the next start asks, Return takes the text back as
# the document it was, and Save writes it where it was. A close through the close box leaves
# nothing to ask about.
source "$(dirname "$0")/lib.sh" "$1"
start_x
returning_user
note=$HOME/note.nv

start_main
new_document
xdotool type --delay 20 "call Ann"
xdotool key ctrl+s
answer_dialog "Notavo | Save File" "$note"
main=$(wait_window "note.nv - Notavo")
focus_window "$main"
xdotool key ctrl+End
xdotool type --delay 20 " 555-0199"
sleep 1.5
kill -KILL "$NOTAVO_PID"
wait "$NOTAVO_PID" 2>/dev/null || true
expect_bytes "$note" 'call Ann\r\n'

# The question comes over the main window, both titled "Notavo": Return answers Yes.
start_notavo
deadline=$((SECONDS + 10))
until (($(xdotool search --onlyvisible --name '^Notavo$' 2>/dev/null | wc -l) >= 2)); do
    ((SECONDS < deadline)) || fail "no recovery question"
    sleep 0.1
done
box=$(xdotool search --onlyvisible --name '^Notavo$' | while read -r id; do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    echo "$((WIDTH * HEIGHT)) $id"
done | sort -n | head -n1 | cut -d' ' -f2)
focus_window "$box"
xdotool key Return
main=$(wait_window "note.nv - Notavo")
expect_bytes "$note" 'call Ann\r\n'
focus_window "$main"
xdotool key ctrl+s
sleep 0.5
expect_bytes "$note" 'call Ann 555-0199\r\n'

# Typed, then closed deliberately: the next start asks nothing.
xdotool type --delay 20 "x"
sleep 1.5
close_window "$main"
expect_ended "the close box"
start_main
sleep 1
(($(xdotool search --onlyvisible --name '^Notavo$' 2>/dev/null | wc -l) == 1)) ||
    fail "a question after a deliberate close"
echo "PASS killed, recovered with Return, saved; nothing after the close box"
