#!/usr/bin/env bats
# ./brindle PATH... and the dispatcher: a copy of the launcher and the built
# programs in a private folder; renames run natively, without Wine or X.

load support/tree

setup_file() { share_launcher_tree; }

setup() {
    cd "$BATS_TEST_TMPDIR" || return 1
    # The program current, whatever an earlier test did to the checkout.
    touch -d '-1 minute' "$TREE/.git/index"
    touch "$TREE/build/linux/brindle"
    # No Wine and no X: a rename builds no prefix and needs no display.
    export WINEPREFIX=$BATS_TEST_TMPDIR/no-prefix
    unset DISPLAY
}

brindle() { "$TREE/brindle" "$@" 3>&-; }

# The names in the current folder, one per line, sorted.
names() { find . -mindepth 1 -maxdepth 1 -printf '%f\n' | LC_ALL=C sort; }

@test "help, version and usage errors: nothing renamed, status 2 for bad usage" {
    touch -- ics -pics
    run brindle --help
    [ "$status" -eq 0 ]
    [[ $output == Usage:* ]]
    run brindle --version
    [ "$status" -eq 0 ]
    [[ $output =~ ^brindle\ [0-9]+\.[0-9]+\.[0-9]+$ ]]
    for call in "-a x_ -s -pics" "--frobnicate ics" "-a" "-a x_" "-p" "-n"; do
        # shellcheck disable=SC2086 # the words are the call
        run brindle $call
        [ "$status" -eq 2 ]
        [[ $output == *"brindle: "* ]]
    done
    [ "$(names)" = "$(printf '%s\n' -pics ics)" ]
}

@test "messages in the locale's language: Japanese under ja_JP.UTF-8, English elsewhere; each has its Japanese" {
    locale -a | grep -qix 'ja_JP.utf-\?8' || skip "needs the ja_JP.UTF-8 locale"
    touch a x_a b
    LC_ALL=ja_JP.UTF-8 run brindle -v -a x_ -p a b
    [ "$status" -eq 1 ]
    [[ $output == *"brindle: 'a' はそのままです: 'x_a' がすでにあります"* ]]
    [[ $output == *"'b' -> 'x_b' に変更しました (追加)"* ]]
    LANG=ja_JP.UTF-8 LC_ALL='' run brindle -q
    [ "$status" -eq 2 ]
    [[ $output == *"不明なオプション '-q'"* ]]
    LC_ALL=ja_JP.UTF-8 BRINDLE_LOCALE_DIR=$TREE/build/linux/locale run "$TREE/build/linux/brindle" --help
    [[ ${lines[0]} == 使い方:* ]]
    LC_ALL=C.UTF-8 run brindle -n -a x_ -p x_b
    [ "$output" = "would rename 'x_b' -> 'b' (affix taken off)" ]
    # The first of LC_ALL, LC_MESSAGES and LANG that is set decides; LANGUAGE
    # counts only where that is not the C locale.
    local row
    for row in "LC_ALL=C LANG=ja_JP.UTF-8:en" "LC_MESSAGES=ja_JP.UTF-8 LANG=C:ja" "LANGUAGE=ja LANG=C.UTF-8:en" \
        "LANGUAGE=ja LANG=en_US.UTF-8:ja" "LC_ALL= LC_MESSAGES= LANG=:en"; do
        # shellcheck disable=SC2086 # the row's assignments
        run env -u LC_ALL -u LC_MESSAGES -u LANGUAGE ${row%:*} "$TREE/brindle" -q
        if [ "${row##*:}" = ja ]; then [[ $output == *"不明なオプション"* ]]; else [[ $output == *"unknown option"* ]]; fi
    done
    # Every message the program can say is in the Japanese catalogue.
    local repo
    repo=$(cd "$BATS_TEST_DIRNAME/.." && pwd)
    "$repo/scripts/update-translations" "$BATS_TEST_TMPDIR/fresh.pot"
    msgcmp "$repo/linux/po/ja.po" "$BATS_TEST_TMPDIR/fresh.pot"
}

@test "the default affix: \$BRINDLE_SETTINGS, else the dialog's own settings, else brindle.exe's" {
    local seeds
    seeds=$(cd "$BATS_TEST_DIRNAME/fuzz/seeds/settings_load" && pwd)
    # A tree of this test's own: the file's shared tree holds no settings.
    local own=$BATS_TEST_TMPDIR/tree
    make_launcher_tree "$own"
    cp "$seeds/program-tree.dat" "$own/build/windows/brindle.dat"
    touch f
    export XDG_CONFIG_HOME=$BATS_TEST_TMPDIR/config
    run "$own/brindle" -n f
    [[ $output =~ ^"would rename 'f' -> '"[0-9]{6}_f"' (affix added)"$ ]]
    # The dialog's own file, here one with no affix, comes first.
    mkdir -p "$XDG_CONFIG_HOME/brindle" && cp "$seeds/worked-example.dat" "$XDG_CONFIG_HOME/brindle/brindle.dat"
    run "$own/brindle" -n f
    [ "$status" -eq 2 ]
    [[ $output == *"no affix"* ]]
    BRINDLE_SETTINGS=$seeds/program-tree.dat run "$own/brindle" -n f
    [ "$status" -eq 0 ]
    # A relative XDG_CONFIG_HOME is ignored: ~/.config, here without a file.
    HOME=$BATS_TEST_TMPDIR/home XDG_CONFIG_HOME=config run "$own/brindle" -n f
    [ "$status" -eq 0 ]
}

@test "names with dashes, spaces, quotes and any script are renamed and come back" {
    local given=(-pics "two words.txt" "it's.txt" "日本語 😀.txt" "-" "a -p b")
    touch -- "${given[@]/#/./}"
    mkdir "folder.d" && touch "folder.d/inner"
    run brindle -a 'x_' -p -- "${given[@]}" folder.d/
    [ "$status" -eq 0 ]
    [ -z "$output" ]
    [ "$(names)" = "$(printf 'x_%s\n' "${given[@]}" folder.d | LC_ALL=C sort)" ]
    [ -e x_folder.d/inner ]
    run brindle -a 'x_' -p -- "${given[@]/#/x_}" x_folder.d
    [ "$status" -eq 0 ]
    [ "$(names)" = "$(printf '%s\n' "${given[@]}" folder.d | LC_ALL=C sort)" ]
    # "." and ".." name a folder by where it is, not by a name: refused, as
    # rename(2) and mv refuse them, whatever else is named.
    cd folder.d
    for last in . .. ../folder.d/. inner/..; do
        run brindle -a 'x_' -p inner "$last"
        [ "$status" -eq 2 ]
        [[ $output == *"'.' and '..' name a folder by where it is"* ]]
    done
    [ -e ../folder.d/inner ]
    [ ! -e "$WINEPREFIX" ]
}

@test "bad arguments rename nothing, status 2; Linux's names are renamed as they are, links as themselves" {
    touch good.txt
    for call in "-a x_ -p good.txt missing.txt" "-a $'\xff' -p good.txt" "-a '' -p good.txt"; do
        eval "run brindle $call"
        [ "$status" -eq 2 ]
        [[ $output == *"brindle: "* ]]
    done
    [[ $output == *"the affix '' is empty"* ]]
    [ "$(names)" = good.txt ]

    mkdir elsewhere && printf target >elsewhere/target.txt
    ln -s elsewhere/target.txt link.txt
    ln -s nowhere dangling.txt
    printf e8 >$'caf\xe8.txt'
    local odd=('my "q" file.txt' $'line\nbreak.txt' $'cr\r' 'c:d.txt' 'star*.txt' link.txt dangling.txt)
    touch -- "${odd[@]:0:5}" 'a\b.txt'
    run brindle -a x_ -p -- "${odd[@]}" 'a\b.txt' $'caf\xe8.txt'
    [ "$status" -eq 1 ]
    [ "$output" = "brindle: kept 'a\\b.txt': its name holds a backslash, which the affix language reads as a folder: the new name could not be told apart
brindle: kept 'caf'\$'\\xe8''.txt': its name is not valid UTF-8" ]
    for name in "${odd[@]}"; do [ -e "x_$name" ] || [ -L "x_$name" ] || return 1; done
    [ "$(readlink x_link.txt)" = elsewhere/target.txt ]
    [ "$(cat elsewhere/target.txt)" = target ]
    [ "$(readlink x_dangling.txt)" = nowhere ]
    [ "$(cat $'caf\xe8.txt')" = e8 ]
    # ".." after a link goes on from where the link leads, as the kernel
    # reads it; a link and a final slash name where it leads: refused.
    ln -s elsewhere/deeper up && mkdir elsewhere/deeper && touch elsewhere/here.txt here.txt
    ln -s elsewhere folder-link
    run brindle -a y_ -p up/../here.txt folder-link/
    [ "$status" -eq 2 ]
    [[ $output == *"'folder-link/': a link followed by '/' names the folder it leads to"* ]]
    run brindle -v -a y_ -p up/../here.txt folder-link elsewhere
    [ "$status" -eq 0 ]
    [ "${lines[0]}" = "renamed 'up/../here.txt' -> 'elsewhere/y_here.txt' (affix added)" ]
    [ -e here.txt ]
    [ -e y_elsewhere/y_here.txt ]
    [ -L y_folder-link ]
}

@test "a taken name, a link at the target, a name Linux would cut: status 1, each named, all left as they were" {
    printf old >report.txt
    printf taken >x_report.txt
    touch notes.txt b.txt c.txt
    ln -s nowhere x_b.txt
    ln -s x_c.txt x_loop && ln -sf x_loop x_c.txt
    local long
    long="$(printf 'あ%.0s' {1..76}).txt"
    touch "$long"
    run brindle -a x_ -p report.txt notes.txt b.txt c.txt
    [ "$status" -eq 1 ]
    [ "$output" = "brindle: kept 'report.txt': 'x_report.txt' exists
brindle: kept 'b.txt': 'x_b.txt' exists
brindle: kept 'c.txt': 'x_c.txt' exists" ]
    [ "$(cat report.txt)" = old ]
    [ "$(cat x_report.txt)" = taken ]
    [ -e x_notes.txt ]
    [ "$(readlink x_b.txt)" = nowhere ]
    [ "$(readlink x_c.txt)" = x_loop ]
    run brindle -a "$(printf '字%.0s' {1..10})" -p "$long"
    [ "$status" -eq 1 ]
    [ -e "$long" ]
}

@test "-v and -n say what is (or would be) renamed, each kept path says why, any affix reaches the program" {
    mkdir dir && touch report.txt x_report.txt notes.txt dir/inner.txt
    local before
    before=$(names)
    run brindle -n -a x_ -p report.txt notes.txt dir dir/inner.txt
    [ "$status" -eq 1 ]
    [ "$output" = "brindle: would keep 'report.txt': 'x_report.txt' exists
would rename 'notes.txt' -> 'x_notes.txt' (affix added)
would rename 'dir' -> 'x_dir' (affix added)
brindle: would keep 'dir/inner.txt': its folder would be renamed before it" ]
    [ "$(names)" = "$before" ]
    run brindle --verbose -a x_ -p -- notes.txt ./dir/
    [ "$status" -eq 0 ]
    [ "$output" = "renamed 'notes.txt' -> 'x_notes.txt' (affix added)
renamed './dir/' -> './x_dir' (affix added)" ]
    run brindle -a -draft -s -- x_notes.txt
    [ "$status" -eq 0 ]
    [ -e x_notes-draft.txt ]
}

@test "the launcher's pieces, without Wine: names shown as a terminal can, quoting for sh and desktop entries" {
    # shellcheck source=/dev/null
    source "$TREE/brindle"
    load install  # as --install reads it
    export LC_ALL=C  # as its main sets it: bytes
    quote_name $'a\tb\x7f'
    [ "$REPLY" = "'a\\x09b\\x7f'" ]
    quote_name $'caf\xe9 \xe6\x97\xa5'
    [ "$REPLY" = "'caf\\xe9 \\xe6\\x97\\xa5'" ]
    # A desktop entry's Exec: quoted, then the string's own escape.
    # shellcheck disable=SC1003,SC2016 # the literal text is the point
    exec_quoted '/a b/$x"%\'
    # shellcheck disable=SC2016
    [ "$REPLY" = '"/a b/\\$x\\"%%\\\\"' ]
    sh_quoted "it's"
    [ "$(sh -c "printf %s $REPLY")" = "it's" ]
}

@test "a signal stops the run between two items: 130, 143, 129; each item at its old or its new name" {
    mkdir f && cd f && seq -f 'file %g.txt' 60000 >../list && xargs -d '\n' touch <../list
    mkfifo ../out
    local signal name status left renamed first
    for signal in INT:130 TERM:143 HUP:129; do
        name=${signal%:*} status=0
        "$TREE/brindle" -v -a "${name}_" -p -l ../list >../out 2>../err 3>&- &
        # The first line: the run is under way, and soon waits for a reader.
        exec 4<../out
        read -r first <&4
        [[ $first == "renamed 'file 1.txt' -> '${name}_file 1.txt'"* ]]
        kill -s "$name" $!
        cat <&4 >/dev/null
        exec 4<&-
        wait $! || status=$?
        [ "$status" -eq "${signal#*:}" ]
        left=$(sed -n 's/^brindle: stopped by .*: \([0-9]*\) of 60000 paths not reached.*/\1/p' ../err)
        renamed=$(names | grep -c "^${name}_file") || true
        [ "$renamed" -gt 0 ]
        [ "$left" -gt 0 ]
        [ $((renamed + left)) -eq 60000 ]
        [ "$(grep -c '^brindle: not reached: ' ../err)" -eq "$left" ]
        names | sed "s/^${name}_//" | LC_ALL=C sort | cmp - <(LC_ALL=C sort ../list)
        names | grep "^${name}_" >../back
        "$TREE/brindle" -a "${name}_" -p -l ../back
    done
}

@test "byte checks in any locale" {
    run brindle --help
    [[ $output == *'\f'* ]]

    # Shift_JIS reads the bytes C5 95 5C of 'ŕ\x' as two characters, hiding the backslash.
    localedef -i ja_JP -f SHIFT_JIS "$BATS_TEST_TMPDIR/ja_JP.SJIS" >/dev/null 2>&1 || true
    [ -d "$BATS_TEST_TMPDIR/ja_JP.SJIS" ] || skip "no Shift_JIS locale could be made"
    mkdir ŕ && touch ŕ/x 'ŕ\x'
    LOCPATH=$BATS_TEST_TMPDIR LC_ALL=ja_JP.SJIS run brindle -a x_ -p 'ŕ\x'
    [ "$status" -eq 1 ]
    [ -e 'ŕ\x' ]
    [ -e ŕ/x ]
}

@test "a checkout changed since the build: built again before anything is renamed" {
    touch f
    touch -d '+1 minute' "$TREE/.git/index"
    run brindle -a x_ -p f
    touch -d '+2 minutes' "$TREE/build/linux/brindle"
    [ "$status" -eq 2 ]
    [[ $output == *"building brindle"*"the build failed: nothing was renamed"* ]]
    [ -e f ]
    run brindle -a x_ -p f
    [ "$status" -eq 0 ]
    [ -e x_f ]
}

@test "a checkout whose index changed but whose sources did not is not built again; nor is one that cannot be written" {
    touch f g
    # shellcheck source=/dev/null
    (repo=$TREE && source "$TREE/libexec/brindle/rename.bash" && native_sources >"$TREE/build/linux/brindle.sources")
    touch -d '+1 minute' "$TREE/.git/index"
    run brindle -a x_ -p f
    [ "$status" -eq 0 ]
    [ "$output" = "" ]
    [ -e x_f ]
    [ "$(id -u)" -eq 0 ] || skip "a read-only mount needs root"
    rm "$TREE/build/linux/brindle.sources"
    touch -d '+2 minutes' "$TREE/.git/index"
    mkdir ro
    mount --bind "$TREE" ro || skip "this machine cannot bind-mount"
    mount -o remount,bind,ro ro || { umount ro; skip "this machine cannot remount read-only"; }
    run ro/brindle -a x_ -p g 3>&-
    umount ro
    [ "$status" -eq 0 ]
    [ "$output" = "brindle: the checkout cannot be written, so brindle is not built again: running the program built before" ]
    [ -e x_g ]
}

@test "two runs at once from a fresh clone: one builds, the other waits, both rename" {
    local repo
    repo=$(cd "$BATS_TEST_DIRNAME/.." && pwd)
    git clone --quiet "$repo" clone
    touch one two
    clone/brindle -a x_ -p one >one.log 2>&1 3>&- &
    clone/brindle -a x_ -p two >two.log 2>&1 3>&- &
    local first=0 second=0
    wait %1 || first=$?
    wait %2 || second=$?
    [ "$first" -eq 0 ]
    [ "$second" -eq 0 ]
    [ -e x_one ]
    [ -e x_two ]
    [ "$(cat one.log two.log | grep -c 'building brindle')" -eq 1 ]
}

@test "2,000 files in one call: one run, one timestamp for all" {
    local files=()
    for ((i = 0; i < 2000; i++)); do files+=("a fairly long file name $i.txt"); done
    touch -- "${files[@]}"
    run brindle -a '\e\m\d\h\i\s_' -p -- "${files[@]}"
    [ "$status" -eq 0 ]
    [ -z "$output" ]
    [ "$(names | wc -l)" -eq 2000 ]
    [ "$(names | cut -c1-15 | sort -u | wc -l)" -eq 1 ]
    [[ $(names | head -n 1) =~ ^[0-9]{14}_a\ fairly ]]
}
