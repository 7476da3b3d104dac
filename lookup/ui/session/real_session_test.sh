#!/usr/bin/env bash
# Tarvel as a user meets it in a real X session (Xvfb, openbox): xdotool types into the real
# program at ordinary speed, and what the program shows is read on the accessibility bus
# (AT-SPI), as a screen reader reads it. Typing on after a rejected character loses no key;
# accents and hyphens find La Poste's names; the result list exposes its lines and the labels
# their whole captions.
# Usage: real_session_test.sh TARVEL   (run under under_window_manager.sh)
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
for tool in xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" > /dev/null || { echo "$tool is missing: run tools/install-deps.sh"; exit 1; }
done
/usr/bin/python3 -c "import pyatspi" || { echo "pyatspi is missing: run tools/install-deps.sh"; exit 1; }
exec dbus-run-session -- bash -s "$program" "$here" <<'SESSION'
set -euo pipefail
program=$1
here=$2
fail() { echo "FAIL: $*"; exit 1; }
/usr/libexec/at-spi-bus-launcher --launch-immediately &
bus=$!
export QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
# xdotool reads "é" from its arguments in the locale's encoding, and types it from a layout
# that has it: for a key the layout lacks it remaps a key code for a moment, which the program
# may read after the mapping is back, and then sees no character.
export LC_ALL=C.UTF-8
setxkbmap fr
export TMPDIR=$(mktemp -d)  # the single-instance lock of this run alone
"$program" &
tarvel=$!
trap 'kill $tarvel $bus 2>/dev/null || true' EXIT
read_bus() { /usr/bin/python3 "$here/read_accessibility.py" "$@"; }
# until SECONDS COMMAND...: runs the check until it passes, at most that long.
until_true() {
    local bound=$1; shift
    local end=$((SECONDS + bound))
    until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.2; done
}
window=
find_window() {
    window=$(xdotool search --onlyvisible --name "RECHERCHER - Tarvel" 2>/dev/null | head -n 1)
    [ -n "$window" ]
}
until_true 60 find_window || fail "the main window never appeared"
active() {
    xdotool windowactivate "$window" 2>/dev/null || true
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ]
}
until_true 30 active || fail "the main window cannot be activated"

# Tab twice from the invisible focus button: the name box, its placeholder gone (typed under
# it, the text would not be seen, but the bus would read it all the same).
xdotool key --delay 80 Tab Tab
# line N: the list's line N on the bus (0: how many lines it has).
line() { local all; all=$(read_bus lines) && sed -n "$(($1 + 1))p" <<< "$all"; }
first_line() { [ "$(line 1)" = "$1" ]; }
xdotool type --delay 80 "saint-étienne"
until_true 20 first_line "42000 ST ETIENNE" || fail "saint-étienne: the first line is '$(line 1)'"
echo "saint-étienne lists 42000 ST ETIENNE"

# The list's lines on the bus are those of the search.
xdotool key ctrl+a BackSpace
xdotool type --delay 80 "paris 1"
count_is() { [ "$(line 0)" = "$1" ]; }
until_true 20 count_is 11 || fail "paris 1: the bus shows $(line 0) lines, not 11"
[ "$(line 11)" = "75019 PARIS 19" ] || fail "paris 1: the last line is '$(line 11)'"
echo "paris 1: the list exposes its 11 lines"

# The longest ordinary-case name is exposed whole, though the label shows its beginning.
xdotool key ctrl+a BackSpace
xdotool type --delay 80 "st remy en bouzemont"
whole() { [ "$(read_bus label "Saint-Remy-en-Bouzemont-Saint-Genest-et-Isson")" = yes ]; }
until_true 20 whole || fail "the value label does not expose the whole name"
echo "the value label exposes the whole name"

# A rejected character, and the user types on at ordinary speed: the box keeps every key.
xdotool key ctrl+a BackSpace
xdotool type --delay 80 "l#isle adam"
report() { xdotool search --name "^Tarvel$" > /dev/null 2>&1; }
until_true 20 report || fail "no report of the rejected character"
xdotool key Return
box_is() { [ "$(read_bus box)" = "$1" ]; }
until_true 20 box_is "LISLE ADAM" || fail "l#isle adam: the box holds '$(read_bus box)'"
echo "l#isle adam: the box holds LISLE ADAM"
echo "real-session test passed"
SESSION
