# Notavo starts natively on Wayland (Qt's Wayland platform, no X server at all) under a headless
# weston, and its window paints.
source "$(dirname "$0")/lib.sh" "$1"
returning_user
command -v weston >/dev/null || fail "weston is not installed (scripts/deps.sh installs it)"
weston --backend=headless-backend.so --socket=notavo-wayland --idle-time=0 \
    >"$E2E_WORK/weston.log" 2>&1 &
E2E_PIDS+=($!)
for _ in $(seq 100); do
    [[ -S $XDG_RUNTIME_DIR/notavo-wayland ]] && break
    sleep 0.05
done
[[ -S $XDG_RUNTIME_DIR/notavo-wayland ]] || fail "weston did not start: $(tail -5 "$E2E_WORK/weston.log")"

# The first paint ends the program and prints its time: the window reached the compositor.
unset DISPLAY
painted=$(WAYLAND_DISPLAY=notavo-wayland QT_QPA_PLATFORM=wayland NOTAVO_BENCH_EXIT_AFTER_PAINT=1 \
    timeout 60 "$NOTAVO" 2>"$E2E_WORK/notavo.log") || fail "notavo did not start on Wayland"
[[ $painted =~ ^painted_ns=[0-9]+$ ]] || fail "no first paint on Wayland: '$painted'"
echo "PASS: painted on Wayland"
