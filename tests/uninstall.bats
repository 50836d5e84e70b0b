#!/usr/bin/env bats
# ./brindle --uninstall without X or Wine, in private XDG folders.
# shellcheck disable=SC2030,SC2031

load support/tree

setup() {
    export TREE=$BATS_TEST_TMPDIR/tree HOME=$BATS_TEST_TMPDIR/home
    make_launcher_tree "$TREE"
    unset XDG_DATA_HOME XDG_CONFIG_HOME
}

@test "--uninstall removes exactly what --install wrote: a file changed since and the user's own stay" {
    run "$TREE/brindle" --install
    [ "$status" -eq 0 ]
    local entry=$HOME/.local/share/applications/brindle.desktop mine=$HOME/.local/share/applications/mine.desktop
    [ -f "$entry" ]
    touch "$mine"
    echo "# my own line" >>"$HOME/.local/share/Thunar/sendto/brindle.desktop"
    run "$TREE/brindle" --uninstall
    [ "$status" -eq 0 ]
    [ ! -e "$entry" ]
    [ -e "$mine" ]
    [[ $output == *"kept"*"changed since it was installed"* ]]
    [ "$(find "$HOME" -type f | sort)" = "$(printf '%s\n' "$HOME/.local/share/Thunar/sendto/brindle.desktop" "$mine" | sort)" ]
    run "$TREE/brindle" --uninstall
    [ "$status" -eq 0 ]
    [[ $output == *"nothing was installed"* ]]

    # A script of the user's own is kept; the next ones still run the launcher.
    mkdir -p "$HOME/.local/share/nautilus/scripts" && echo mine >"$HOME/.local/share/nautilus/scripts/Brindle"
    run "$TREE/brindle" --install
    [ "$status" -eq 0 ]
    [[ $output == *"kept '$HOME/.local/share/nautilus/scripts/Brindle'"* ]]
    grep -qx "launcher='$TREE/brindle'" "$HOME/.local/share/nemo/scripts/Brindle"
    grep -qx "launcher='$TREE/brindle'" "$HOME/.config/caja/scripts/Brindle"
}
