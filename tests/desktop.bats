#!/usr/bin/env bats
# Brindle on a Linux desktop: files dragged onto the native dialog from a GTK
# window, as from a file manager, and the entries --install gives file
# managers. Each test has a tree, settings and runtime folder of its own: a
# second start beside a running dialog would only bring that one forward.

# Each test sets the environment it installs into for itself.
# shellcheck disable=SC2030,SC2031

load support/dialog
load support/tree

setup() {
    [ -n "${DISPLAY:-}" ] || skip "needs an X display"
    export TREE=$BATS_TEST_TMPDIR/tree XDG_CONFIG_HOME=$BATS_TEST_TMPDIR/config
    export XDG_RUNTIME_DIR=$BATS_TEST_TMPDIR/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    make_launcher_tree "$TREE"
    [ -x "$TREE/build/linux/brindle-dialog" ] || skip "the native dialog is not built"
    mkdir "$BATS_TEST_TMPDIR/files" && cd "$BATS_TEST_TMPDIR/files" || return 1
}

teardown() {
    [ -z "${source_pid:-}" ] || kill "$source_pid" 2>/dev/null || true
    [ -z "${dialog_pid:-}" ] || kill "$dialog_pid" 2>/dev/null || true
}

# Opens the dialog and types an affix into it; its window id in $dialog.
open_dialog_with() {
    "$TREE/brindle" >/dev/null 2>&1 3>&- &
    dialog_pid=$!
    dialog=$(wait_for_window Brindle 120)
    xdotool windowfocus --sync "$dialog"
    xdotool type --delay 40 "$1"
}

# Closes the dialog as Esc does: it keeps its affix for later runs.
close_dialog() {
    xdotool windowfocus --sync "$dialog"
    xdotool key Escape
    local i
    for ((i = 0; i < 30; i++)); do
        [ -f "$XDG_CONFIG_HOME/brindle/brindle.dat" ] && ! kill -0 "$dialog_pid" 2>/dev/null && return
        sleep 1
    done
    return 1
}

@test "items dragged from a GTK window arrive exactly, in any script, and are renamed" {
    local names=() i
    for ((i = 1; i <= 15; i++)); do names+=("file $i.txt" "100% #$i.txt" "日本語 $i 😀.txt" "dot $i."); done
    touch -- "${names[@]}"
    mkdir "a folder" && touch "a folder/inside"
    names+=("a folder")
    open_dialog_with x_

    /usr/bin/python3 "$BATS_TEST_DIRNAME/support/drag_source.py" "${names[@]/#/$PWD/}" 3>&- 2>/dev/null &
    source_pid=$!
    wait_for_window "drag source" 30 >/dev/null
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    # Pressed on the source, moved in steps, held over the dialog before the
    # release: Wine refuses a drop that arrives too quickly.
    local to_x=$((X + WIDTH / 2)) to_y=$((Y + HEIGHT / 2)) step
    xdotool mousemove 80 80 sleep 0.3 mousedown 1
    for ((step = 1; step <= 20; step++)); do
        xdotool mousemove $((80 + (to_x - 80) * step / 20)) $((80 + (to_y - 80) * step / 20)) sleep 0.05
    done
    xdotool sleep 2 mouseup 1
    for ((i = 0; i < 30; i++)); do
        [ -e "x_${names[0]}" ] && [ -e "x_${names[-1]}" ] && break
        sleep 1
    done
    [ "$(find . -mindepth 1 -maxdepth 1 | wc -l)" -eq ${#names[@]} ]
    for name in "${names[@]}"; do [ -e "x_$name" ] || return 1; done
    [ -e "x_a folder/inside" ]
}

@test "--install: entries for menus and file managers that run with the dialog's affix; --uninstall removes only those" {
    export XDG_DATA_HOME=$BATS_TEST_TMPDIR/data
    run "$TREE/brindle" --install
    [ "$status" -eq 0 ]
    [ "${#lines[@]}" -eq 13 ]
    desktop-file-validate "$XDG_DATA_HOME/applications/brindle.desktop"
    local script
    for script in "$XDG_DATA_HOME/nautilus/scripts/Brindle" "$XDG_DATA_HOME/nemo/scripts/Brindle" \
        "$XDG_CONFIG_HOME/caja/scripts/Brindle" "$XDG_DATA_HOME/kio/servicemenus/brindle.desktop"; do
        [ -x "$script" ]
    done
    [ -s "$XDG_DATA_HOME/icons/hicolor/48x48/apps/brindle.png" ]

    open_dialog_with s_
    close_dialog
    local odd=("two words.txt" "\$HOME.txt" "it's.txt" "日本語.txt" "-dash.txt")
    touch -- "${odd[@]}"
    gio launch "$XDG_DATA_HOME/Thunar/sendto/brindle.desktop" "${odd[@]/#/$PWD/}"
    for ((i = 0; i < 60; i++)); do [ -e "s_${odd[-1]}" ] && break; sleep 1; done
    for name in "${odd[@]}"; do [ -e "s_$name" ] || return 1; done
    # No terminal to say it in: a kept item is named in a notification.
    mkdir bin && touch taken.txt s_taken.txt
    printf '#!/bin/sh\nprintf "%%s|" "$@" >"%s/notified"\n' "$PWD" >bin/notify-send && chmod +x bin/notify-send
    # (In English: the suite runs in a Japanese locale.)
    LC_ALL=C.UTF-8 PATH=$PWD/bin:$PATH gio launch "$XDG_DATA_HOME/Thunar/sendto/brindle.desktop" "$PWD/taken.txt"
    for ((i = 0; i < 60; i++)); do [ -e notified ] && break; sleep 1; done
    [[ $(cat notified) == "--app-name=Brindle|--icon=brindle|Brindle|kept '$PWD/taken.txt': '$PWD/s_taken.txt' exists|" ]]

    echo mine >"$XDG_DATA_HOME/applications/other.desktop"
    echo "# changed" >>"$XDG_DATA_HOME/Thunar/sendto/brindle.desktop"
    run "$TREE/brindle" --uninstall
    [ "$status" -eq 0 ]
    [[ $output == *"kept '$XDG_DATA_HOME/Thunar/sendto/brindle.desktop'"* ]]
    [ "$(find "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" -type f | LC_ALL=C sort)" = \
        "$(printf '%s\n' "$XDG_CONFIG_HOME/brindle/brindle.dat" "$XDG_DATA_HOME/Thunar/sendto/brindle.desktop" \
            "$XDG_DATA_HOME/applications/other.desktop")" ]
}
