# Ticking "Associate .nv with Notavo" in the real welcome window registers the type for this
# user only, naming the program's own folder; nothing is shown, and "Start" works as usual.
source "$(dirname "$0")/lib.sh" "$1"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION XDG_SESSION_DESKTOP KDE_FULL_SESSION
folder=$(dirname "$NOTAVO")
start_x
start_notavo
welcome=$(wait_window "Welcome to Notavo")
focus_window "$welcome"
xdotool key --window "$welcome" Tab space
for _ in $(seq 100); do [[ -f $XDG_CONFIG_HOME/mimeapps.list ]] && break; sleep 0.1; done
entry=$XDG_DATA_HOME/applications/notavo-nv.desktop
grep -qxF "Exec=\"$folder/$(basename "$NOTAVO")\"" "$entry" || fail "Exec: $(grep Exec= "$entry")"
grep -qxF "Icon=$folder/notavo_logo.ico" "$entry" || fail "Icon: $(grep Icon= "$entry")"
out=$(desktop-file-validate "$entry" 2>&1) && [[ -z $out ]] || fail "entry: $out"
printf 'note\r\n' >"$E2E_WORK/some.nv"
[[ $(xdg-mime query filetype "$E2E_WORK/some.nv") == application/x-notavo ]] || fail "filetype"
[[ $(xdg-mime query default application/x-notavo) == notavo-nv.desktop ]] || fail "default"
[[ $(xdotool search --onlyvisible --name . 2>/dev/null | wc -l) -eq 1 ]] || fail "another window"
# Typed, not sent to the window: Return closes it, and a key release sent to a window that is
# gone already fails.
xdotool key shift+Tab Return
wait_window "Notavo" >/dev/null
expect_no_window "Welcome to Notavo" 0.3
echo "PASS association from the welcome window"
