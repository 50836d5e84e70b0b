#!/usr/bin/env bats
# The Debian package as a user meets it: built by CPack from build/linux,
# lintian clean, installed with dpkg, used (the command, its manual page, the
# shells' completions, the desktop's entries), and removed leaving nothing.
# The second test installs into this machine's /usr: it runs as root or with
# a sudo that asks nothing, and only where no brindle is installed already.

setup_file() {
    repo=$(cd "$BATS_TEST_DIRNAME/.." && pwd)
    export repo
    (cd "$repo/build/linux" && cpack -G DEB >/dev/null)
    deb=$(find "$repo/build/linux/package" -name 'brindle_*.deb' -newer "$repo/build/linux/brindle" | head -n 1)
    export deb
}

teardown() {
    if [ -n "${installed:-}" ]; then "${sudo[@]}" dpkg -P brindle >/dev/null 2>&1 || true; fi
}

@test "the package holds what a Linux program installs, and lintian finds nothing" {
    [ -f "$deb" ]
    local listing
    listing=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
    for path in ./usr/bin/brindle ./usr/bin/brindle-dialog ./usr/share/man/man1/brindle.1.gz \
        ./usr/share/man/man1/brindle-dialog.1.gz ./usr/share/bash-completion/completions/brindle \
        ./usr/share/zsh/vendor-completions/_brindle ./usr/share/fish/vendor_completions.d/brindle.fish \
        ./usr/share/applications/brindle.desktop ./usr/share/metainfo/com.example.Brindle.metainfo.xml \
        ./usr/share/icons/hicolor/scalable/apps/brindle.svg ./usr/share/icons/hicolor/256x256/apps/brindle.png \
        ./usr/share/doc/brindle/index.html ./usr/share/doc/brindle/copyright ./usr/share/doc/brindle/changelog.gz \
        ./usr/share/kio/servicemenus/brindle.desktop ./usr/share/nemo/actions/brindle.nemo_action \
        ./usr/libexec/brindle/desktop-entries; do
        grep -qx -- "$path" <<<"$listing" || { echo "missing: $path"; return 1; }
    done
    run grep -c -- '/home/\|/root/\|/build/' <<<"$listing"
    [ "$output" = 0 ]
    [[ $(dpkg-deb -f "$deb" Depends) == *libicu[0-9]* ]]
    run lintian --fail-on error,warning "$deb"
    [ "$status" -eq 0 ]
    [[ $output != *"E: "* && $output != *"W: "* ]] || { echo "$output"; false; }
    appstreamcli validate --no-net "$repo/linux/share/metainfo/com.example.Brindle.metainfo.xml"
    desktop-file-validate "$repo/linux/share/applications/brindle.desktop"
}

@test "installed with dpkg: the command, its manual page and completions work; removed, nothing is left" {
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo -n)
    "${sudo[@]}" true 2>/dev/null || skip "needs root, or sudo without a password"
    ! command -v brindle >/dev/null || [ "$(command -v brindle)" != /usr/bin/brindle ] || skip "a brindle is installed already"
    "${sudo[@]}" dpkg -i "$deb" >/dev/null
    installed=1

    cd "$BATS_TEST_TMPDIR"
    touch photo.jpg
    run /usr/bin/brindle -v -a x_ -p photo.jpg
    [ "$status" -eq 0 ]
    [ -e x_photo.jpg ]
    [ "$(man -w brindle)" = /usr/share/man/man1/brindle.1.gz ]
    man brindle 2>/dev/null | grep -q "EXIT STATUS"
    man brindle 2>/dev/null | grep -q "EXAMPLES"
    run bash -c 'source /usr/share/bash-completion/bash_completion
        source /usr/share/bash-completion/completions/brindle
        complete_line() { COMP_LINE=$1 COMP_POINT=${#1}; read -ra COMP_WORDS <<<"$1"; [[ $1 != *" " ]] || COMP_WORDS+=("");
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _brindle; echo "${COMPREPLY[*]}"; }
        complete_line "brindle --ad"; complete_line "brindle -a "'
    [ "${lines[0]}" = --add ]
    [[ ${lines[1]} == *'\e'*'\m'*'\d'* ]]
    [[ $(fish -c 'complete -C "brindle --rem"') == --remove* ]]
    zsh -n /usr/share/zsh/vendor-completions/_brindle

    # This user's file managers' entries run the installed command.
    HOME=$BATS_TEST_TMPDIR/home XDG_DATA_HOME='' XDG_CONFIG_HOME='' run /usr/bin/brindle --install
    [ "$status" -eq 0 ]
    grep -qx "launcher='/usr/bin/brindle'" "$BATS_TEST_TMPDIR/home/.local/share/nautilus/scripts/Brindle"
    grep -qx "launcher='/usr/bin/brindle'" "$BATS_TEST_TMPDIR/home/.config/caja/scripts/Brindle"
    # What the package ships (application entry, Thunar's, Dolphin's, Nemo's) is not written again.
    [ "$(find "$BATS_TEST_TMPDIR/home" -type f ! -name installed-files | wc -l)" -eq 2 ]
    HOME=$BATS_TEST_TMPDIR/home XDG_DATA_HOME='' XDG_CONFIG_HOME='' run /usr/bin/brindle --uninstall
    [ "$status" -eq 0 ]
    [ -z "$(find "$BATS_TEST_TMPDIR/home" -type f)" ]

    local files
    files=$(dpkg -L brindle)
    "${sudo[@]}" dpkg -P brindle >/dev/null
    installed=
    local path
    while IFS= read -r path; do
        [ -d "$path" ] || [ ! -e "$path" ] || { echo "left behind: $path"; return 1; }
    done <<<"$files"
    run dpkg-query -W -f '${Status}' brindle
    [[ $output != *" installed" ]]
}
