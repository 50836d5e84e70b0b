#!/usr/bin/env bats
# ./brindle --install without X or Wine: the entries for menus and file
# managers, in private XDG folders.
# Each test sets the environment it installs into for itself.
# shellcheck disable=SC2030,SC2031

load support/tree

setup() {
    export TREE=$BATS_TEST_TMPDIR/tree
    make_launcher_tree "$TREE"
    mkdir "$BATS_TEST_TMPDIR/files" && cd "$BATS_TEST_TMPDIR/files" || return 1
}

@test "--install for any path: entries GLib and sh read, the file managers' exact list of the selection, nothing left half written" {
    # A clone under '100% dé', a HOME holding a line break, relative XDG values (ignored).
    local tree="$BATS_TEST_TMPDIR/100% dé/it's" data
    mkdir -p "$tree" && cp -r "$TREE/." "$tree/"
    export HOME=$BATS_TEST_TMPDIR/$'home\nline' XDG_DATA_HOME=relative XDG_CONFIG_HOME=''
    data=$HOME/.local/share
    run "$tree/brindle" --install
    [ "$status" -eq 0 ]
    [ ! -e relative ]
    desktop-file-validate "$data/applications/brindle.desktop"
    # In the launcher's place, a program that says what it was given.
    mv "$tree/brindle" "$tree/brindle.real"
    printf '#!/bin/sh\nprintf "[%%s]" "$@" >"%s/given"\n' "$PWD" >"$tree/brindle" && chmod +x "$tree/brindle"
    touch "100% sure.txt" "%20.txt"
    gio launch "$data/Thunar/sendto/brindle.desktop" "$PWD/100% sure.txt"
    for ((i = 0; i < 20; i++)); do [ -e given ] && break; sleep 0.5; done
    [ "$(cat given)" = "[--][$PWD/100% sure.txt]" ]
    NAUTILUS_SCRIPT_SELECTED_FILE_PATHS="$PWD/100% sure.txt"$'\n'"$PWD/%20.txt"$'\n' \
        "$data/nautilus/scripts/Brindle" 100sure.txt 0.txt
    [ "$(cat given)" = "[--][$PWD/100% sure.txt][$PWD/%20.txt]" ]
    CAJA_SCRIPT_SELECTED_FILE_PATHS=$'/a\nb\n' run "$HOME/.config/caja/scripts/Brindle" /a$'\n'b
    [ "$status" -eq 1 ]
    [[ $output == *"line break"* ]]
    # A final line break vanishes from the list: its namesake was never selected.
    rm given
    NEMO_SCRIPT_SELECTED_FILE_PATHS="$PWD/0.txt"$'\n\n' run "$data/nemo/scripts/Brindle" 0.txt$'\n'
    [ "$status" -eq 1 ]
    [[ $output == *"'0.txt"$'\n'"' holds a line break"* ]]
    [ ! -e given ]

    # An installation that fails half way takes back what it wrote.
    mv "$tree/brindle.real" "$tree/brindle"
    rm -rf "$HOME"
    touch "$BATS_TEST_TMPDIR/a file"
    XDG_CONFIG_HOME="$BATS_TEST_TMPDIR/a file" run "$tree/brindle" --install
    [ "$status" -eq 1 ]
    [ -z "$(find "$HOME" -type f)" ]
}

