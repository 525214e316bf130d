#!/bin/bash
# bench/run.sh -- the figures that matter to a user, for 1, 10 and 100 MB CR LF documents, a
# 256 MiB document of one line and a 100 MB document of empty lines, each with its target and
# PASS or MISS, and the peer note pads' figures beside ours when the peer benchmark
# (../shared/bench/peers) is present.
#
#   bash bench/run.sh [--build DIR] [--runs N] [--start-runs N]
#                     [--peers] [--peer-runs N] [--peer-editors "kwrite featherpad"]
#
# --build: a Release build directory holding notavo and bench/bench_editing (default build-rel).
# --peers: also runs the peer benchmark (needs root: it installs the editors) in the same run.
# Documents come from the peer benchmark's generator when it is there, so both measure the same
# files; otherwise a generator of the same shape (about 80 characters a line, CR LF) is used.
set -uo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
BUILD=$ROOT/build-rel
RUNS=5
START_RUNS=7
PEERS=0
PEER_RUNS=3
PEER_EDITORS="kwrite featherpad mousepad"
PEER_DIR=$(cd "$ROOT/.." && pwd)/shared/bench/peers
while [ $# -gt 0 ]; do
    case $1 in
    --build) BUILD=$(cd "$2" && pwd); shift ;;
    --runs) RUNS=$2; shift ;;
    --start-runs) START_RUNS=$2; shift ;;
    --peers) PEERS=1 ;;
    --peer-runs) PEER_RUNS=$2; shift ;;
    --peer-editors) PEER_EDITORS=$2; shift ;;
    -h | --help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
[ -d "$PEER_DIR" ] || PEER_DIR=/work/shared/bench/peers
NOTAVO=$BUILD/notavo
BENCH=$BUILD/bench/bench_editing
FIND=$BUILD/bench/bench_find
LINES=$BUILD/bench/bench_lines
REPLACE=$BUILD/bench/bench_replace
JOURNAL=$BUILD/bench/bench_journal
for f in "$NOTAVO" "$BENCH" "$FIND" "$LINES" "$REPLACE" "$JOURNAL" "$BUILD/bench/bench_documents" \
    "$BUILD/bench/bench_encodings"; do
    [ -x "$f" ] || { echo "missing $f: build with -DCMAKE_BUILD_TYPE=Release first" >&2; exit 1; }
done
WORK=$(mktemp -d /tmp/notavo-bench.XXXXXX)
XPID=""
cleanup() {
    [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

# ------------------------------------------------------------------ documents
declare -A BYTES=([1]=1048576 [10]=10485760 [100]=104857600)
doc() { echo "$WORK/$1M-crlf.txt"; }
for mb in 1 10 100; do
    if [ -f "$PEER_DIR/gen_text.pl" ]; then
        perl "$PEER_DIR/gen_text.pl" "${BYTES[$mb]}" crlf "$(doc $mb)"
    else
        perl -e 'my ($n, $i) = (shift, 0); while ($n > 0) {
            my $l = sprintf("%07d The quick brown fox jumps over the lazy dog near the river bank.\r\n", ++$i);
            print $l; $n -= length $l }' "${BYTES[$mb]}" >"$(doc $mb)"
    fi
done

# One line of 256 MiB (words, no line break at all) and 50 million empty CR LF lines.
perl -e 'my $r = "lorem ipsum dolor sit amet, consectetur adipiscing elit; sed do eiusmod tempor " x 1000;
    for (my $n = 268435456; $n > 0; $n -= length $r) { print $n < length $r ? substr($r, 0, $n) : $r }' \
    >"$WORK/one-line.txt"
perl -e 'my $s = "\r\n" x 1048576; print $s for 1 .. 50' >"$WORK/empty-lines.txt"
# 100 MB of CR LF lines of 80 bytes, the word "fox" in exactly 1,000,000 of them.
perl -e 'for my $i (1 .. 1310720) { printf "%07d %-70s\r\n", $i,
    "The quick brown " . ($i <= 1000000 ? "fox" : "cat") . " jumps over the lazy dog by the river." }' \
    >"$WORK/replace.txt"

# ------------------------------------------------------------------ peers (same run)
if [ $PEERS = 1 ] && [ -f "$PEER_DIR/run.sh" ]; then
    echo "running the peer benchmark ($PEER_EDITORS, $PEER_RUNS runs)..." >&2
    bash "$PEER_DIR/run.sh" --editors "$PEER_EDITORS" --runs "$PEER_RUNS" --start-runs 5 \
        --files "1M-crlf 10M-crlf 100M-crlf" --no-floor --no-shots >"$WORK/peers.md" 2>"$WORK/peers.log" ||
        echo "peer benchmark failed; see its log" >&2
fi
PEER_RAW=${PEERBENCH_DIR:-/tmp/peerbench}/raw/runs.txt
# peer_best FILEKEY FIELD: "value editor" of the best (lowest) median among the peers
peer_best() {
    [ $PEERS = 1 ] && [ -s "$PEER_RAW" ] || return 0
    awk -v f="$1" -v k="$2" '
        function med(a, n,   i, j, t) { for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j+1] = a[j]; a[j+1] = t } return a[int((n+1)/2)] }
        $0 ~ ("file=" f " ") && / phase=measure / && / status=ok/ {
            ed = $1; sub("editor=", "", ed)
            for (i = 1; i <= NF; i++) if (index($i, k "=") == 1) { v = substr($i, length(k) + 2) + 0; n[ed]++; val[ed, n[ed]] = v }
        }
        END { best = ""; for (ed in n) { for (i = 1; i <= n[ed]; i++) a[i] = val[ed, i]; m = med(a, n[ed]); if (best == "" || m < best) { best = m; who = ed } }
              if (best != "") printf "%s %s\n", best, who }' "$PEER_RAW"
}

# ------------------------------------------------------------------ our figures
# row FIGURE VALUE UNIT TARGET [PEER_VALUE PEER_NAME]: one line with PASS/MISS for the target and
# for "at least twice as good as the best peer".
row() {
    local fig=$1 val=$2 unit=$3 target=$4 pval=${5:-} pname=${6:-}
    local verdict peer="-" pverdict="-"
    if [ "$target" = - ]; then verdict="info"; else
        verdict=$(awk -v v="$val" -v t="$target" 'BEGIN { print (v >= 0 && v <= t) ? "PASS" : "MISS" }')
    fi
    if [ -n "$pval" ]; then
        peer="$pval $unit ($pname)"
        pverdict=$(awk -v v="$val" -v p="$pval" 'BEGIN { print (v >= 0 && 2 * v <= p) ? "PASS" : "MISS" }')
    fi
    local tcol="<= $target"
    [ "$target" = - ] && tcol=-
    printf "| %-34s | %10s %-3s | %-11s | %-4s | %-26s | %-4s |\n" "$fig" "$val" "$unit" "$tcol" "$verdict" "$peer" "$pverdict"
}

echo
echo "| figure (median of $RUNS) | ours | target | | best peer | 2x peer |"
echo "|---|---|---|---|---|---|"
for mb in 1 10 100; do
    line=$(QT_QPA_PLATFORM=offscreen "$BENCH" "$(doc $mb)" "$RUNS") || { echo "bench_editing failed for $mb MB" >&2; continue; }
    get() { echo "$line" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
    read -r popen pname <<<"$(peer_best "${mb}M-crlf" ready_ms)"
    read -r prss prssname <<<"$(peer_best "${mb}M-crlf" rss_settled_kb)"
    [ -n "$prss" ] && prss=$(awk -v k="$prss" 'BEGIN { printf "%.0f", k / 1024 }')
    row "$mb MB: first screen after open" "$(get first_ms)" ms 500
    row "$mb MB: whole document editable" "$(get editable_ms)" ms 2000 "$popen" "$pname"
    row "$mb MB: key to repaint, start" "$(get key_start_ms)" ms 16
    row "$mb MB: key to repaint, middle" "$(get key_middle_ms)" ms 16
    row "$mb MB: key to repaint, end" "$(get key_end_ms)" ms 16
    row "$mb MB: key to repaint, slowest" "$(get key_slowest_ms)" ms 16
    # The memory target (three times the file) is set for the 100 MB document.
    memtarget=-
    [ "$mb" = 100 ] && memtarget=300
    row "$mb MB: resident memory, open" "$(get rss_mb)" MB "$memtarget" "$prss" "$prssname"
    row "$mb MB: peak resident while opening" "$(get peak_mb)" MB -
    row "$mb MB: save incl. sync" "$(get save_ms)" ms 500
    # The disk's own speed, measured in the same run: the same bytes written to a new file in the
    # same folder and synced. Save (encode, write, sync, rename, folder sync) may take twice that.
    row "$mb MB: raw write+sync, same disk" "$(get raw_write_ms)" ms -
    ratio=$(awk -v s="$(get save_ms)" -v r="$(get raw_write_ms)" 'BEGIN { if (r > 0 && s >= 0) printf "%.2f", s / r; else print -1 }')
    ratiotarget=-
    [ "$mb" = 100 ] && ratiotarget=2
    row "$mb MB: save / raw write+sync" "$ratio" x "$ratiotarget"
    [ "$(get round_trip)" = exact ] || echo "| $mb MB: ROUND TRIP CHANGED BYTES | | | MISS | | |"
    [ "$(get keys)" = typed ] || echo "| $mb MB: TIMED KEYS DID NOT TYPE | | | MISS | | |"
    # The same keys with the recovery journal off: the journal may add at most 0.1 ms.
    with=$line
    line=$(QT_QPA_PLATFORM=offscreen "$BENCH" "$(doc $mb)" "$RUNS" no-journal) || echo "bench_editing (no journal) failed for $mb MB" >&2
    for at in start middle end; do
        off=$(get key_${at}_ms)
        on=$(echo "$with" | tr ' ' '\n' | sed -n "s/^key_${at}_ms=//p")
        row "$mb MB: key, $at, journal off" "$off" ms 16
        row "$mb MB: key, $at, journal cost" "$(awk -v a="$on" -v b="$off" 'BEGIN { d = a - b; printf "%.2f", d < 0 ? 0 : d }')" ms 0.1
    done
    # The peer benchmark only times start and open; see bench_find.cpp for why no peer column.
    line=$(QT_QPA_PLATFORM=offscreen "$FIND" "$(doc $mb)" "$RUNS" 2>/dev/null) || { echo "bench_find failed for $mb MB" >&2; continue; }
    row "$mb MB: Find Next, match near the end" "$(get find_next_ms)" ms 100
    row "$mb MB: Find Next, not found" "$(get not_found_ms)" ms 100
    row "$mb MB: Go To Line 1,000,000" "$(get goto_line_ms)" ms 16
    [ "$(get results)" = right ] || echo "| $mb MB: FIND OR GO TO LINE WENT WRONG | | | MISS | | |"
done

line=$(QT_QPA_PLATFORM=offscreen "$LINES" "$WORK/one-line.txt" "$RUNS" 2>/dev/null) || echo "bench_lines failed" >&2
get() { echo "$line" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
row "256 MiB one line: Ctrl+End" "$(get ctrl_end_ms)" ms 50
row "256 MiB one line: key, end" "$(get key_end_ms)" ms 16
row "256 MiB one line: key near its start" "$(get key_start_ms)" ms 16
row "256 MiB one line: Ctrl+End after it" "$(get end_after_edit_ms)" ms 50
row "256 MiB one line: key, end, after it" "$(get key_end_after_edit_ms)" ms 16
row "256 MiB one line: resident memory" "$(get rss_mb)" MB -
line=$(QT_QPA_PLATFORM=offscreen "$BENCH" "$WORK/empty-lines.txt" "$RUNS" 2>/dev/null) || echo "bench_editing failed for empty lines" >&2
slowest=$(echo "$(get key_start_ms) $(get key_middle_ms) $(get key_end_ms)" | tr ' ' '\n' | sort -n | tail -1)
row "100 MB empty lines: open" "$(get first_ms)" ms 1000
row "100 MB empty lines: resident memory" "$(get rss_mb)" MB 300
row "100 MB empty lines: peak while opening" "$(get peak_mb)" MB -
row "100 MB empty lines: key to repaint" "$slowest" ms 16
line=$("$JOURNAL" 100 2>/dev/null) || echo "bench_journal failed" >&2
get() { echo "$line" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
row "journal: bytes per typed character" "$(get bytes_per_typed_char)" B -
row "journal: slowest hand-over (window)" "$(get handover_slowest_ms)" ms 16
row "journal: 100 MB copy on the worker" "$(get base_copy_ms)" ms -
row "journal: recover 100 MB, 10,000 edits" "$(get recover_after_10000_edits_ms)" ms 1000
row "journal: Save to journal restarted" "$(get save_to_restart_ms)" ms -
[ "$(get recovered)" = exact ] || echo "| journal: RECOVERED TEXT WRONG | | | MISS | | |"
row "100 MB empty lines: save incl. sync" "$(get save_ms)" ms -
line=$(QT_QPA_PLATFORM=offscreen "$REPLACE" "$WORK/replace.txt" "$RUNS" 2>/dev/null) || echo "bench_replace failed" >&2
row "100 MB: Replace All, 1M matches" "$(get replace_ms)" ms 1000
row "100 MB: Replace All, Undo" "$(get undo_ms)" ms 1000
row "100 MB: Replace All, Redo" "$(get redo_ms)" ms 1000
row "100 MB: Replace All, longest stall" "$(get stall_ms)" ms -
row "100 MB: Replace All, peak resident" "$(get peak_mb)" MB -
[ "$(get results)" = right ] && [ "$(get matches)" = 1000000 ] || echo "| 100 MB: REPLACE ALL WENT WRONG | | | MISS | | |"

# ------------------------------------------------------------------ start-up under Xvfb
d=70
while [ -e /tmp/.X$d-lock ] || [ -e /tmp/.X11-unix/X$d ]; do d=$((d + 1)); done
Xvfb ":$d" -noreset -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XPID=$!
for _ in $(seq 100); do DISPLAY=:$d xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
export DISPLAY=:$d QT_QPA_PLATFORM=xcb HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config
mkdir -p "$HOME" "$XDG_CONFIG_HOME"
# The first start ever shows the welcome window and stores that it has been seen; the measured
# starts then open the main window with the settings restored.
"$NOTAVO" >/dev/null 2>&1 &
first=$!
sleep 1.5
kill "$first" 2>/dev/null
wait "$first" 2>/dev/null
# Inside a D-Bus session, as on any desktop: without one, every start would first spawn
# dbus-launch to look for a bus (about 30 ms here).
starts=$(NOTAVO="$NOTAVO" START_RUNS="$START_RUNS" dbus-run-session -- bash -c '
    for _ in $(seq "$START_RUNS"); do
        t0=$(date +%s%N)
        painted=$(NOTAVO_BENCH_EXIT_AFTER_PAINT=1 timeout 20 "$NOTAVO" 2>/dev/null | sed -n "s/^painted_ns=//p")
        [ -n "$painted" ] && echo $(( (painted - t0) / 1000 ))
    done' 2>/dev/null)
start_ms=$(echo "$starts" | tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ a[NR] = $1 } END { if (NR) printf "%.1f", a[int((NR+1)/2)] / 1000; else print -1 }')
read -r pstart pstartname <<<"$(peer_best none map_ms)"
row "start-up, exec to window painted" "$start_ms" ms 150 "$pstart" "$pstartname"
echo
echo "Where the open and save time goes (bench_documents, one run):"
QT_QPA_PLATFORM=offscreen "$BUILD/bench/bench_documents" 2>/dev/null | sed 's/^/    /'
echo
echo "100 MB in Windows-1251 and Shift-JIS against UTF-8 (bench_encodings, best of three):"
QT_QPA_PLATFORM=offscreen "$BUILD/bench/bench_encodings" 2>/dev/null | sed 's/^/    /'
echo
echo "Peer figures: open = exec with the file to window mapped and idle; memory = settled VmRSS;"
echo "start-up = exec to window mapped (ours: to the window painted)."
[ -s "$WORK/peers.md" ] && { echo; cat "$WORK/peers.md"; }
exit 0

