#!/usr/bin/env bash
# Types a month of transactions into the real program the way a bookkeeper
# does, under Xvfb with openbox as the window manager, using only the
# keyboard (xdotool), then checks the book with sqlite3.
#
#   tests/x11/keyboard-month.sh [BUILD_FOLDER]     (default $BUILD_DIR, else build/)
#
# The program runs on a scratch book in a temporary HOME; its output and a
# screenshot (keyboard-month.png) are left in the build folder. Any mismatch
# ends the script with status 1 and a line saying what differs.
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-${BUILD_DIR:-$root/build}}" && pwd)"
app="$build/src/app/brindlecot"
cli="$build/src/cli/brindlecot-cli"
log="$build/keyboard-month.log"
shot="$build/keyboard-month.png"

fail() {
    echo "keyboard-month: FAIL: $*" >&2
    exit 1
}

for tool in Xvfb openbox xdotool xprop import sqlite3; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh installs it)"
done
[ -x "$app" ] || fail "no program at $app (build first)"
[ -x "$cli" ] || fail "no command-line tool at $cli (build first)"

scratch="$(mktemp -d)"
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$scratch"
}
trap cleanup EXIT

# A scratch book where the program looks for its default book.
export HOME="$scratch/home"
export XDG_DATA_HOME="$HOME/.local/share"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$XDG_DATA_HOME/Brindlecot" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
book="$XDG_DATA_HOME/Brindlecot/Brindlecot.fd"
printf 'name,type,opening,particulars\nRent,Expense,,\nBank,Asset,,\nTakings,Income,,\n' >"$scratch/accounts.csv"
"$cli" new "$book" >/dev/null || fail "brindlecot-cli could not create $book"
"$cli" import "$book" accounts "$scratch/accounts.csv" >/dev/null || fail "brindlecot-cli could not import the accounts"

# Xvfb picks a free display number and writes it to fd 3 once it listens.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
pids+=($!)
number=""
for _ in $(seq 100); do
    number="$(tr -dc 0-9 <"$scratch/display")"
    [ -n "$number" ] && break
    sleep 0.1
done
[ -n "$number" ] || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
export DISPLAY=":$number"

openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
pids+=($!)
# A window mapped while openbox is still taking over the screen can be left
# unmapped, so the program starts once openbox has announced itself.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "openbox did not start: $(cat "$scratch/openbox.log")"
unset QT_QPA_PLATFORM
export LC_ALL=C.UTF-8

# Waits (at most 60 s: a loaded machine or a sanitizer build starts slowly)
# for a window named exactly $1 and prints its id. A fresh search each tenth
# of a second: xdotool's own --sync wait sometimes misses a window that the
# window manager takes over while it waits.
window() {
    local id
    for _ in $(seq 600); do
        id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)"
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}
# Counts the saved transactions.
saved() {
    sqlite3 -readonly "$book" 'SELECT count(*) FROM transaction_master' 2>/dev/null || echo 0
}

"$app" >"$log" 2>&1 &
pids+=($!)
main="$(window Brindlecot)" || true
[ -n "$main" ] || fail "the main window did not appear; program output in $log"
# openbox may still be starting: it gives the focus once it manages windows.
for _ in $(seq 50); do
    timeout 2 xdotool windowactivate --sync "$main" 2>/dev/null && break
    sleep 0.1
done
[ "$(xdotool getactivewindow 2>/dev/null)" = "$main" ] || fail "the main window could not be given the focus"

# Entries > Transactions from the menu bar, then Edit/New.
xdotool key --delay 150 alt Down Return
sleep 0.5
xdotool key alt+e
sleep 0.3

# date Tab To account Tab From account Tab amount Tab particulars, row after row.
row() {
    xdotool type --delay 15 "$1"; xdotool key Tab
    xdotool type --delay 15 "$2"; xdotool key Tab
    xdotool type --delay 15 "$3"; xdotool key Tab
    xdotool type --delay 15 "$4"; xdotool key Tab
    xdotool type --delay 15 "$5"
}
row 01/11/2026 Rent Bank 1500 "November rent"
xdotool key Tab
row 03112026 Bank Takings 2400.50 "Week 1 takings"
xdotool key Tab
row 10/11/2026 Bank Takings 1234567.89 "Sale of the van"
import -window root "$build/keyboard-month-typed.png" 2>/dev/null || true
windows() {
    xdotool search --onlyvisible --name . 2>/dev/null | wc -l
}
before="$(windows)"
xdotool key alt+s

# Save writes the rows or shows a message box: wait for either (at most 30 s).
answered=""
for _ in $(seq 300); do
    if [ "$(saved)" != 0 ] || [ "$(windows)" -gt "$before" ]; then
        answered=yes
        break
    fi
    sleep 0.1
done
sleep 0.3
import -window root "$shot" 2>/dev/null || fail "the screenshot could not be taken"

accountId() {
    sqlite3 -readonly "$book" "SELECT account_id FROM account_master WHERE account_name = '$1'"
}
rent="$(accountId Rent)"
bank="$(accountId Bank)"
takings="$(accountId Takings)"
# The To account is typed first (the grid's "Credit [To]" column), then From.
expected="2026-11-01|$bank|$rent|150000|November rent
2026-11-03|$takings|$bank|240050|Week 1 takings
2026-11-10|$takings|$bank|123456789|Sale of the van"
actual="$(sqlite3 -readonly "$book" \
    'SELECT tran_date, from_acc, to_acc, amount, particulars FROM transaction_master ORDER BY tran_date, tran_id')"
if [ "$actual" != "$expected" ]; then
    {
        [ -n "$answered" ] || echo "keyboard-month: Save (Alt+S) neither saved nor showed a message within 30 s."
        echo "keyboard-month: FAIL: the book does not hold the three typed transactions."
        echo "expected (date|from|to|cents|particulars):"
        echo "$expected"
        echo "the book holds:"
        echo "${actual:-(no transactions)}"
        for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
            name="$(xdotool getwindowname "$w" 2>/dev/null)"
            [ "$name" = Brindlecot ] || echo "open window: $name"
        done
        { grep commitData "$log" || true; } | head -n 3 | sed "s/^/program output: /"
        echo "screenshot: $shot; program output: $log"
    } >&2
    exit 1
fi
if grep -q commitData "$log"; then
    fail "the program reported: $(grep commitData "$log" | head -n 1)"
fi

# Ctrl+Z in the middle of an edit takes back the grid's typing, never the
# save before it: a row begun in the (empty) list and two Ctrl+Z leave the
# book as it was, its history included.
bookState() {
    sqlite3 -readonly "$book" 'SELECT * FROM transaction_master ORDER BY tran_id; SELECT count(*) FROM change_sets'
}
kept="$(bookState)"
xdotool key alt+e
sleep 0.3
xdotool key --delay 100 ctrl+Home Right Right Right
xdotool type --delay 15 7
xdotool key --delay 150 Tab ctrl+z ctrl+z
sleep 0.5
import -window root "$build/keyboard-month-undo.png" 2>/dev/null || true
[ "$(bookState)" = "$kept" ] || fail "Ctrl+Z in the middle of an edit changed the book; screenshot $build/keyboard-month-undo.png"

# Two rows of today, saved; then Ctrl+A, Delete, Alt+S asks before deleting
# them, and Enter answers with the default, No: every row stays.
today="$(date +%d/%m/%Y)"
xdotool key ctrl+Home
row "$today" Rent Bank 10 "today one"
xdotool key Tab
row "$today" Rent Bank 20 "today two"
xdotool key alt+s
for _ in $(seq 300); do
    [ "$(saved)" = 5 ] && break
    sleep 0.1
done
[ "$(saved)" = 5 ] || fail "the two rows of today were not saved; program output in $log"
sleep 0.5
xdotool key alt+e
sleep 0.3
xdotool key --delay 150 ctrl+a Delete alt+s
window Delete >/dev/null || fail "Save deleting every row asked nothing; program output in $log"
import -window root "$build/keyboard-month-delete.png" 2>/dev/null || true
xdotool key Return
sleep 0.5
[ "$(saved)" = 5 ] || fail "No to the deletion question still deleted rows"
xdotool key alt+c
echo "keyboard-month: the book holds the typed transactions; Ctrl+Z mid-edit and No to the deletion changed nothing; screenshot $shot"
