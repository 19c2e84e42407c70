#!/usr/bin/env bash
# demo.sh PROGRAM OUT_DIR: runs PROGRAM on an X server of its own with a tray
# host and an empty data folder, fills it through the clipboard and its own
# buttons and menus as a user would, and saves pictures of its windows, menus
# and dialogs as PNG files in OUT_DIR.
#
# Qt draws its controls inside one X window per top-level window, so the script
# drives them with the keyboard (tab order, menu accelerators) and clicks only
# where a place is certain: the "Menu" label in the window's top right corner,
# the list, the tray icon.
set -euo pipefail

program=$(realpath "$1")
out=$2
mkdir -p "$out"
work=$(mktemp -d)
pids=()

cleanup() {
    local i
    # The last started first; the X server, which takes every client down with
    # it, last.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null && timeout 5 tail --pid="${pids[i]}" -f /dev/null
    done
    rm -rf "$work"
    return 0
}
trap cleanup EXIT
trap "exit 1" INT TERM

# A failure inside $(...) ends only that subshell; the caller's `set -e` ends
# the script.
fail() {
    echo "demo: $*" >&2
    [ -s "$work/program.log" ] && sed 's/^/  program: /' "$work/program.log" >&2
    if [ -n "${DISPLAY:-}" ] && import -window root "$work/failed.png" 2>/dev/null; then
        cp "$work/failed.png" "${TMPDIR:-/tmp}/pastebasket-demo-failed.png"
        echo "demo: the screen is in ${TMPDIR:-/tmp}/pastebasket-demo-failed.png" >&2
    fi
    exit 1
}

for tool in Xvfb trayer xdotool xprop xclip import convert; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (make deps installs it)"
done

# --- the desktop --------------------------------------------------------------

Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=:$(head -n1 "$work/display")
export DISPLAY
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

home=$work/home
mkdir -p "$home/data" "$home/config" "$home/cache" "$home/run"
chmod 700 "$home/run"
export HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config \
    XDG_CACHE_HOME=$home/cache XDG_RUNTIME_DIR=$home/run LANG=C.UTF-8

# A window manager draws the title bars; without one the pictures show the
# windows bare.
wm=
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    pids+=($!)
    wm=openbox
    sleep 1
fi

trayer --edge top --align right --widthtype pixel --width 100 --height 24 >/dev/null 2>&1 &
pids+=($!)
timeout 15 xdotool search --sync --onlyvisible --class '^trayer$' >/dev/null \
    || fail "trayer did not show its panel"
# The panel shows before it takes the tray selection; a program that starts
# before then finds no tray.
sleep 1.5

# --- finding windows ----------------------------------------------------------

# Menus are the program's top-level windows that no window manager handles.
# (So are tooltips: the pointer is moved out of the way after every click. The
# tray icon is one too, but inside the tray.)
menus() {
    local id info
    for id in $(xdotool search --onlyvisible --class '^pastebasket$' 2>/dev/null); do
        info=$(xwininfo -id "$id" -tree -stats 2>/dev/null) || continue
        grep -q 'Override Redirect State: yes' <<<"$info" &&
            grep -q 'Parent window id: .*(the root window)' <<<"$info" && echo "$id"
    done
    return 0
}

# The splash has the same title; the tray icon has none.
main_window() {
    local id types
    for id in $(xdotool search --onlyvisible --name '^Pastebasket$' 2>/dev/null); do
        types=$(xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null) || continue # just gone
        [[ $types == *NORMAL* && $types != *SPLASH* ]] && { echo "$id"; return; }
    done
    return 0
}

titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }

# wait_for COMMAND...: runs COMMAND until it prints something, and prints that;
# for 15 s at most.
wait_for() {
    local found
    for _ in $(seq 150); do
        found=$("$@")
        [ -n "$found" ] && { echo "$found"; return; }
        kill -0 "$program_pid" 2>/dev/null || fail "the program ended"
        sleep 0.1
    done
    fail "nothing came of: $*"
}

# wait_gone COMMAND...: runs COMMAND until it prints nothing.
wait_gone() {
    for _ in $(seq 50); do
        [ -z "$("$@")" ] && return
        sleep 0.1
    done
    fail "still there: $*"
}

dialog() { wait_for titled "$1"; }
# Esc answers "Cancel" in every dialog and closes every menu.
cancel_dialog() {
    key Escape
    wait_gone titled "$1"
}

# Prints "x y width height" of a window on the screen. (xdotool's own
# geometry is off by the frame under a window manager.)
client_geometry() {
    xwininfo -id "$1" | sed -n 's/^ *Absolute upper-left [XY]: *//p; s/^ *\(Width\|Height\): *//p' |
        tr '\n' ' '
    echo
}

# The same with the window manager's frame around it.
geometry() {
    local x y w h left=0 right=0 top=0 bottom=0 extents
    read -r x y w h < <(client_geometry "$1")
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ,)
    [ -n "$extents" ] && read -r left right top bottom <<<"$extents"
    echo $((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))
}

# click X Y [BUTTON]: clicks there and moves the pointer out of the way, so
# that no tooltip and no highlighted menu item gets into a picture.
click() {
    xdotool mousemove "$1" "$2" click "${3:-1}" mousemove 1010 750
}

# shoot NAME WINDOW...: saves the part of the screen that holds the windows as
# OUT_DIR/NAME.png; several windows (a menu and what it belongs to) with a
# small margin of the screen around them.
shoot() {
    local name=$1 margin=0 x0=100000 y0=100000 x1=0 y1=0 x y w h
    shift
    (($# > 1)) && margin=6
    sleep 0.4 # let the last paint reach the screen
    for window; do
        read -r x y w h < <(geometry "$window")
        ((x < x0)) && x0=$x
        ((y < y0)) && y0=$y
        ((x + w > x1)) && x1=$((x + w))
        ((y + h > y1)) && y1=$((y + h))
    done
    x0=$((x0 > margin ? x0 - margin : 0))
    y0=$((y0 > margin ? y0 - margin : 0))
    x1=$((x1 + margin > 1024 ? 1024 : x1 + margin))
    y1=$((y1 + margin > 768 ? 768 : y1 + margin))
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage -strip \
        "$out/$name.png"
    echo "demo: $out/$name.png"
}

# --- the program --------------------------------------------------------------

"$program" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
main=$(wait_for main_window)
xdotool windowsize "$main" 340 400
xdotool windowmove "$main" 60 60
# Without a window manager nobody gives the window the keyboard.
if [ -n "$wm" ]; then
    xdotool windowactivate --sync "$main"
else
    xdotool windowfocus --sync "$main"
fi
sleep 0.5

copy() {
    # xclip stays in the background to serve the text; it must not hold our output.
    printf %s "$1" | xclip -selection clipboard >/dev/null 2>&1
    sleep 0.6 # the program looks five times a second
}

copy 'git log --oneline --graph --decorate -20'
copy 'find ~/Downloads -name "*.iso" -mtime +30 -delete'
copy $'Jane Doe\n14 Harbour Street\nKingston upon Thames KT1 4AB'
copy $'for f in *.png; do\n    convert "$f" -strip "small/$f"\ndone'
copy 'https://orvendel.example.org/pastebasket/'
copy 'Meeting moved to Thursday, 10:30, room 4B'

read -r main_x main_y main_w main_h < <(client_geometry "$main")

key() { xdotool key --delay 80 "$@"; }
type_text() { xdotool type --delay 30 "$1"; }

# A click into the list's empty part gives it the keyboard focus; the rows are
# then chosen with the arrow keys (a click on a row would copy it).
focus_list() {
    click $((main_x + main_w / 2)) $((main_y + main_h - 90))
    sleep 0.3
}
choose_row() { # choose_row N: the Nth row from the top, from 1
    focus_list
    key Home
    for ((i = 1; i < $1; i++)); do key Down; done
}
# Tab order below the list: P #, N @, Edit, Add, Delete, Clear, up, down.
press_button() { # press_button N: the Nth button after the list
    for ((i = 0; i < $1; i++)); do key Tab; done
    key space
}
open_popup() {
    click $((main_x + main_w - 18)) $((main_y + 9))
    wait_for menus >/dev/null
    sleep 0.3 # until it has the keyboard
}
# group_command KEY: a command of the popup menu's Group submenu.
group_command() {
    open_popup
    key g
    sleep 0.3
    key "$1"
}

# The first text is protected ("P #").
choose_row 1
press_button 1

# The address gets a caption ("N @").
choose_row 3
press_button 2
w=$(dialog Caption)
type_text 'Office address'
shoot caption "$w"
key Tab Tab space # past "Remove" to "OK"
wait_gone titled Caption

choose_row 4
press_button 3
w=$(dialog Edit)
key ctrl+End # the text comes selected
shoot edit "$w"
cancel_dialog Edit

# Without a chosen row the buttons that need one are out of the tab order.
focus_list
press_button 1
w=$(dialog Add)
type_text 'Call the printer service: 0800 555 0199'
shoot add "$w"
cancel_dialog Add

# A second group, made through the selector's last row; the selector sits
# before the list in the tab order.
focus_list
key shift+Tab End
w=$(dialog 'Group Name')
type_text 'Work'
shoot group-name "$w"
key Tab space # "OK"
wait_gone titled 'Group Name'
sleep 0.5
copy 'ssh deploy@build-01.example.org'
copy 'Ticket PB-1042: tray menu shows stale texts'

group_command o
w=$(dialog 'Order of Groups')
shoot group-order "$w"
cancel_dialog 'Order of Groups'

group_command c
w=$(dialog 'between Groups - Copy or Move')
shoot copy-move "$w"
cancel_dialog 'between Groups - Copy or Move'

# Back to the default group, the first row of the selector.
focus_list
key shift+Tab Home
sleep 0.5
choose_row 2
shoot main-window "$main"

# Typing on the list opens the search and keeps the texts that hold what is typed.
focus_list
type_text 'do'
shoot search "$main"
key Escape

open_popup
key g
sleep 0.3
# shellcheck disable=SC2046 # one argument per menu window
shoot popup-menu "$main" $(menus)
key Escape Escape
wait_gone menus

open_popup
key s
w=$(dialog Settings)
shoot settings "$w"
cancel_dialog Settings

open_popup
key f
w=$(dialog 'Select Font')
shoot font "$w"
cancel_dialog 'Select Font'

open_popup
key a
w=$(dialog 'About Pastebasket')
shoot about "$w"
cancel_dialog 'About Pastebasket'

# The tray icon: the program's one small window, inside the tray panel. Its
# menu opens at the pointer.
tray_icon() {
    local id x y w h
    for id in $(xdotool search --onlyvisible --class '^pastebasket$' 2>/dev/null); do
        read -r x y w h < <(client_geometry "$id")
        ((w <= 48 && h <= 48)) && { echo "$id"; return; }
    done
    return 0
}
icon=$(wait_for tray_icon)
read -r x y w h < <(client_geometry "$icon")
click $((x + w / 2)) $((y + h / 2)) 3
wait_for menus >/dev/null
# shellcheck disable=SC2046
shoot tray-menu $(xdotool search --onlyvisible --class '^trayer$') $(menus)
key Escape
wait_gone menus

# "Exit" saves and ends the program.
open_popup
key x
for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end from its menu"
echo "demo: done"
