# A returning user prints a long note to a PDF file through the real printer dialog: one page
# of real text, the header in the stored face at its larger size, the body as on screen, then a
# single "Printed" box.
source "$(dirname "$0")/lib.sh" "$1"
start_x
returning_user
printf '[data-font]\nfontname=DejaVu Serif\nfontbold=False\nfontitalic=False\nfontsize=12\ngotfont=1\n' \
    >>"$XDG_CONFIG_HOME/notavo/notavo.ini"
note="$HOME/phone numbers.nv"
for i in $(seq -w 1 200); do printf 'Line %s of the note\r\n' "$i"; done >"$note"
pdf="$E2E_WORK/printed note.pdf"

start_main
xdotool key --window "$main" ctrl+o
answer_dialog "Notavo | Open File" "$note"
main=$(wait_window "phone numbers.nv - Notavo")
focus_window "$main"
xdotool key ctrl+p
focus_window "$(wait_window "Notavo | Print File")"
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
pdfinfo "$pdf" | grep -Eq '^Pages: +1$' || fail "the PDF is not exactly one page"
text=$(pdftotext "$pdf" -)
for want in "phone numbers.nv" "Line 001 of the note" "Line 050 of the note"; do
    grep -q "$want" <<<"$text" || fail "'$want' missing from the PDF: $text"
done
grep -q "Line 060" <<<"$text" && fail "more than a page printed"
fonts=$(pdffonts "$pdf")
grep -q '^DejaVuSerif ' <<<"$fonts" && grep -q '^DejaVuSerif-Bold ' <<<"$fonts" ||
    fail "the body is not in the stored face, or the header not in its bold: $fonts"
# Glyph heights in points: the header at 27.75 pt, the body at 12 pt, as on screen.
pdftotext -bbox "$pdf" - | awk -F'"' '/>numbers\.nv</ {h = $8 - $4} />001</ && !b {b = $8 - $4}
    END {print "header " h " pt, body " b " pt"; exit !(h > 27 && h < 35 && b > 11.5 && b < 15)}' \
    >"$E2E_WORK/sizes" || fail "$(cat "$E2E_WORK/sizes")"

focus_window "$box"
xdotool key Return
expect_no_window "Notavo" 1
notavo_running || fail "notavo ended"
close_window "$main"
echo "PASS print a long note to PDF through the printer dialog"
