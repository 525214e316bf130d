# A returning user prints a new note to a PDF file through the real printer dialog: one page
# with the header and the typed text, then a single "Printed" box.
source "$(dirname "$0")/lib.sh" "$1"
start_x
mkdir -p "$XDG_CONFIG_HOME/notavo"
printf '[data]\nfirsttime=0\n' >"$XDG_CONFIG_HOME/notavo/notavo.ini"
pdf="$E2E_WORK/printed note.pdf"

start_notavo
main=$(wait_window "Notavo")
focus_window "$main"
xdotool key --window "$main" ctrl+n
wait_window "New File - Notavo" >/dev/null
xdotool type --delay 20 "Call Anna 0123 456789"
xdotool key ctrl+p
dialog=$(wait_window "Notavo | Print File")
focus_window "$dialog"
# "Print to File (PDF)" is the last entry of the printer box; then the output file.
xdotool key alt+n
sleep 0.2
xdotool key End
sleep 0.3
xdotool key alt+f
sleep 0.2
xdotool key ctrl+a
xdotool type --delay 10 "$pdf"
sleep 0.3
xdotool key Return

box=$(wait_window "Notavo" 10)
[[ $(xdotool search --onlyvisible --name '^Notavo$' | wc -l) -eq 1 ]] || fail "more than one box"
[[ -s $pdf ]] || fail "no PDF written"
pdfinfo "$pdf" | grep -Eq '^Pages: +1$' || fail "the PDF is not exactly one page"
text=$(pdftotext "$pdf" -)
grep -q "Untitled Document" <<<"$text" || fail "header missing from the PDF: $text"
grep -q "Call Anna 0123 456789" <<<"$text" || fail "typed text missing from the PDF: $text"

focus_window "$box"
xdotool key Return
expect_no_window "Notavo" 1
notavo_running || fail "notavo ended"
close_window "$main"
echo "PASS print to PDF through the printer dialog"
