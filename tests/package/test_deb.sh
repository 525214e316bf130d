# The Debian package as a user gets it: built with cpack, installed with dpkg, its launcher and
# metainfo valid, and the installed program greeting a new user; ticking the association there
# names the real program folder behind the /usr/bin link. Removes the package again at the end.
# Usage: test_deb.sh <build folder> <version>   (as root)
build=$(readlink -f "$1")
version=$2
source "$(dirname "$0")/../e2e/lib.sh" "$build/notavo"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION XDG_SESSION_DESKTOP KDE_FULL_SESSION
[[ $(id -u) -eq 0 ]] || fail "installing the package needs root"

(cd "$build" && cpack -G DEB -B "$E2E_WORK/pkg") >"$E2E_WORK/cpack.log" 2>&1 ||
    { cat "$E2E_WORK/cpack.log" >&2; fail "cpack failed"; }
deb=$E2E_WORK/pkg/notavo_${version}_amd64.deb
[[ -f $deb ]] || fail "no $(basename "$deb"): $(ls "$E2E_WORK/pkg")"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libc6* ]] || fail "Depends not computed: $depends"

trap 'dpkg -r notavo >/dev/null 2>&1 || true; e2e_cleanup' EXIT
dpkg -i "$deb" >"$E2E_WORK/dpkg.log" 2>&1 || { cat "$E2E_WORK/dpkg.log" >&2; fail "dpkg -i failed"; }
prefix=$(dirname "$(dirname "$(dpkg -L notavo | grep -m1 '/bin/notavo$')")")
[[ -x $prefix/lib/notavo/notavo && -f $prefix/lib/notavo/notavo_logo.ico ]] ||
    fail "program or icon missing under $prefix/lib/notavo"
[[ $(readlink -f "$prefix/bin/notavo") == "$prefix/lib/notavo/notavo" ]] || fail "bin/notavo link"
for icon in 48x48/apps/notavo.png 256x256/apps/notavo.png scalable/apps/notavo.svg; do
    [[ -s $prefix/share/icons/hicolor/$icon ]] || fail "icon $icon missing"
done
out=$(desktop-file-validate "$prefix/share/applications/notavo.desktop" 2>&1) && [[ -z $out ]] ||
    fail "launcher: $out"
appstreamcli validate --no-net "$prefix/share/metainfo/org.notavo.Notavo.metainfo.xml" >&2 ||
    fail "metainfo does not validate"

# A new user (lib.sh made empty XDG folders) starting the installed program through its link.
NOTAVO=$prefix/bin/notavo
start_x
start_notavo
welcome=$(wait_window "Welcome to Notavo")
focus_window "$welcome"
xdotool key --window "$welcome" Tab space # "Start" holds the focus; the box follows it
entry=$XDG_DATA_HOME/applications/notavo-nv.desktop
for _ in $(seq 100); do [[ -f $XDG_CONFIG_HOME/mimeapps.list ]] && break; sleep 0.1; done
grep -qx "Exec=\"$prefix/lib/notavo/notavo\"" "$entry" || fail "Exec: $(grep Exec= "$entry")"
grep -qx "Icon=$prefix/lib/notavo/notavo_logo.ico" "$entry" || fail "Icon: $(grep Icon= "$entry")"
# The entry's form and the desktop's reading of it are tst_fileassociation's.
[[ $(xdg-mime query default application/x-notavo) == notavo-nv.desktop ]] || fail "default"
# Typed, not sent to the window: Return closes it before its key release arrives.
xdotool key shift+Tab Return
wait_window "Notavo" >/dev/null
echo "PASS package built, installed, validated, started; association names $prefix/lib/notavo"
