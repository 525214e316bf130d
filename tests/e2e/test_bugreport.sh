# "Report A Bug" hands a percent-encoded mailto: URL to xdg-open and judges its exit status:
# a fake xdg-open first on PATH records the URL and exits 0, then 3 (no handler).
source "$(dirname "$0")/lib.sh" "$1"
start_x
mkdir -p "$XDG_CONFIG_HOME/notavo" "$E2E_WORK/bin"
printf '[data]\nfirsttime=0\n' >"$XDG_CONFIG_HOME/notavo/notavo.ini"
cat >"$E2E_WORK/bin/xdg-open" <<'FAKE'
#!/bin/sh
printf '%s' "$1" >"$E2E_WORK/url"
exit "$(cat "$E2E_WORK/exit")"
FAKE
chmod +x "$E2E_WORK/bin/xdg-open"
export PATH="$E2E_WORK/bin:$PATH" E2E_WORK

start_notavo
main=$(wait_window "Notavo")

# Help menu (fourth on the bar), third entry.
open_report() {
    focus_window "$main"
    click_in_window "$main" 15 10
    xdotool key Right Right Right Down Down Return # the menu opens on its first entry
    report=$(wait_window "Report A Bug")
    focus_window "$report"
}

# Types into the focused window: the ID box has the focus, then Tab through Continue and Why?.
fill_and_continue() {
    xdotool type --delay 20 "$1"
    xdotool key Tab Tab Tab
    xdotool type --delay 20 "$2"
    xdotool key Tab
    xdotool type --delay 20 "$3"
    xdotool key Return
    xdotool type --delay 20 "$4"
    xdotool key Tab Tab space # wraps to the ID box, then Continue
}

echo 0 >"$E2E_WORK/exit"
open_report
fill_and_continue 13 None 'a & b? #1' 'line 2'
expect_no_window "Report A Bug" 1
expected='mailto:bugs@notavo.invalid?subject=Bug Report From: None. ID: 13&body=a%20%26%20b%3F%20%231%0D%0Aline%202'
[[ -f $E2E_WORK/url ]] || fail "xdg-open was not run"
[[ $(cat "$E2E_WORK/url") == "$expected" ]] || fail "URL was: $(cat "$E2E_WORK/url")"
(($(xdotool search --onlyvisible --name '^Notavo$' | wc -l) == 1)) || fail "a message after success"

# No mail program: the failure message, then the report window closes all the same.
echo 3 >"$E2E_WORK/exit"
rm -f "$E2E_WORK/url"
open_report
fill_and_continue 7 '' 'x=y' ''
sleep 1
[[ -f $E2E_WORK/url ]] || fail "xdg-open was not run the second time"
(($(xdotool search --onlyvisible --name '^Notavo$' | wc -l) == 2)) || fail "no failure message"
import -window root "$E2E_WORK/failure.png"
[[ -n ${NOTAVO_E2E_SHOTS:-} ]] && cp "$E2E_WORK/failure.png" "$NOTAVO_E2E_SHOTS/bugreport-failure.png"
xdotool key Return
sleep 0.5
(($(xdotool search --onlyvisible --name '^Notavo$' | wc -l) == 1)) || fail "message did not close"
expect_no_window "Report A Bug" 0.5
notavo_running || fail "notavo ended"
echo "PASS bug report: encoded URL handed over, exit 3 reported"
