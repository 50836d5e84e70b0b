#!/usr/bin/env bats
# ./brindle --windows: brindle.exe's dialog under Wine, from a copy of the launcher
# and the built programs in a private folder; a private Wine prefix, and no X
# display unless a test makes one.

load support/dialog
load support/tree

setup_file() { share_launcher_tree; }

setup() {
    cd "$BATS_TEST_TMPDIR" || return 1
    export WINEPREFIX=$BATS_TEST_TMPDIR/wine
    DIALOG_DISPLAY=${DISPLAY:-}
    unset DISPLAY
}

# Wine's server outlives the run: it must not hold the descriptor bats reads.
brindle() { "$TREE/brindle" "$@" 3>&-; }

@test "a WINEPREFIX that is no folder, a display that does not answer" {
    touch not-a-folder
    WINEPREFIX=$PWD/not-a-folder DISPLAY=:4711 run brindle --windows
    [ "$status" -eq 2 ]
    [[ $output == *"not a folder"* ]]
    SECONDS=0
    DISPLAY=:4711 run brindle --windows
    [ "$status" -eq 1 ]
    [[ $output == *"does not answer"* ]]
    [ "$SECONDS" -lt 15 ]
}

@test "a brand-new prefix without a display, then the dialog, and a rename while it is open" {
    [ -n "$DIALOG_DISPLAY" ] || skip "needs an X display for the dialog"
    export WINEPREFIX=$BATS_TEST_TMPDIR/new-prefix
    touch one.txt two.txt

    run brindle -a n_ -p one.txt
    [ "$status" -eq 0 ]
    [ -e n_one.txt ]

    DISPLAY=$DIALOG_DISPLAY "$TREE/brindle" --windows >/dev/null 2>&1 3>&- &
    local dialog=$!
    DISPLAY=$DIALOG_DISPLAY wait_for_window Brindle 300 >/dev/null

    SECONDS=0
    run timeout 30 "$TREE/brindle" -a n_ -p two.txt n_one.txt 3>&-
    [ "$status" -eq 0 ]
    [ -e n_two.txt ]
    [ -e one.txt ]
    [ "$SECONDS" -lt 20 ]
    kill -0 "$dialog"  # still open

    WINEPREFIX=$BATS_TEST_TMPDIR/new-prefix wineserver -k
    wait "$dialog" || true
}

@test "from a fresh clone with nothing built, and again with brindle.exe stale: the dialog opens" {
    [ -n "$DIALOG_DISPLAY" ] || skip "needs an X display for the dialog"
    local repo dialog
    repo=$(cd "$BATS_TEST_DIRNAME/.." && pwd)
    git clone --quiet "$repo" clone
    for round in fresh stale; do
        [ "$round" = fresh ] || touch clone/app/Brindle.cpp
        DISPLAY=$DIALOG_DISPLAY clone/brindle --windows >"$round.log" 2>&1 3>&- &
        dialog=$!
        DISPLAY=$DIALOG_DISPLAY wait_for_window Brindle 600 >/dev/null || { cat "$round.log"; false; }
        grep -q "building brindle.exe" "$round.log"
        wineserver -k
        wait "$dialog" || true
    done
}
