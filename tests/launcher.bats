#!/usr/bin/env bats
# ./brindle as a Unix command: a copy of the launcher and the built program in a
# private folder, a private Wine prefix, no X display unless a test makes one.

load support/dialog
load support/tree

setup_file() {
    export TREE=$BATS_FILE_TMPDIR/tree
    make_launcher_tree "$TREE"
    export SHARED_PREFIX=$BATS_FILE_TMPDIR/wine
}

setup() {
    cd "$BATS_TEST_TMPDIR" || return 1
    export WINEPREFIX=$SHARED_PREFIX
    DIALOG_DISPLAY=${DISPLAY:-}
    unset DISPLAY
}

# Wine's server outlives the run: it must not hold the descriptor bats reads.
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
    # "." is the folder itself, whatever the program's own current folder.
    cd folder.d
    run brindle -a 'x_' -p .
    [ "$status" -eq 0 ]
    [ -e ../x_folder.d/inner ]
}

@test "bad arguments rename nothing: each is named, status 2" {
    printf e8 >$'caf\xe8.txt'
    printf e9 >$'caf\xe9.txt'
    mkdir elsewhere && printf target >elsewhere/target.txt
    ln -s elsewhere/target.txt link.txt
    ln -s nowhere dangling.txt
    touch good.txt 'a\b.txt' 'my "q" file.txt' $'line\nbreak.txt' $'cr\r' 'c:d.txt' 'star*.txt'
    local before
    before=$(names)

    run brindle -a x_ -p good.txt $'caf\xe8.txt' missing.txt link.txt dangling.txt 'a\b.txt' \
        'my "q" file.txt' $'line\nbreak.txt' $'cr\r' 'c:d.txt' 'star*.txt'
    [ "$status" -eq 2 ]
    [[ $output == *"'caf\\xe8.txt' is not valid UTF-8"* ]]
    [[ $output == *"'missing.txt': no such file or folder"* ]]
    [[ $output == *"'link.txt' is a symbolic link"* ]]
    [[ $output == *"'dangling.txt' is a symbolic link"* ]]
    [[ $output == *"'line\\x0abreak.txt' has a name no Windows path can hold"* ]]
    [[ $output == *"'cr\\x0d' has a name"* ]]
    for name in 'a\b.txt' 'my "q" file.txt' 'c:d.txt' 'star*.txt'; do
        [[ $output == *"'$name' has a name"* ]]
    done
    for affix in 'a:b' 'x"' 'q?' $'t\tab' $'\xff'; do
        run brindle -a "$affix" -s good.txt
        [ "$status" -eq 2 ]
        [[ $output == *"the affix"* ]]
    done
    [ "$(names)" = "$before" ]
    [ "$(cat $'caf\xe9.txt')" = e9 ]
    [ "$(cat elsewhere/target.txt)" = target ]
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
would rename 'notes.txt' -> 'x_notes.txt'
would rename 'dir' -> 'x_dir'
brindle: would keep 'dir/inner.txt': its folder would be renamed before it" ]
    [ "$(names)" = "$before" ]
    run brindle --verbose -a x_ -p -- notes.txt ./dir/
    [ "$status" -eq 0 ]
    [ "$output" = "renamed 'notes.txt' -> 'x_notes.txt'
renamed './dir/' -> './x_dir'" ]
    run brindle -a -draft -s -- x_notes.txt
    [ "$status" -eq 0 ] && [ -e x_notes-draft.txt ]
}

@test "the launcher's pieces, without Wine: quoting, refusals, paths as Windows reads them" {
    # shellcheck source=/dev/null
    source "$TREE/brindle"
    export LC_ALL=C  # as its main sets it: bytes
    quote_name $'a\tb\x7f'
    [ "$REPLY" = "'a\\x09b\\x7f'" ]
    quote_name $'caf\xe9 \xe6\x97\xa5'
    [ "$REPLY" = "'caf\\xe9 \\xe6\\x97\\xa5'" ]
    has_forbidden 'a|b' && ! has_forbidden $'a b\x7f'
    mkdir 'x y' && touch 'x y/f' && ln -s 'x y' link
    local here
    here=$(pwd -P)
    bad=0
    check_paths 'x y/f' link/f ./'x y'// . link 2>/dev/null
    [ "$bad" -eq 1 ]  # the link itself
    # shellcheck disable=SC2154 # set by check_paths
    [ "${windows[*]}" = "Z:${here//\//\\}\\x y\\f Z:${here//\//\\}\\x y Z:${here//\//\\}" ]
    reason_words no-folder "'x/y'"
    [ "$REPLY" = "no folder to hold 'x/y'" ]
    # A desktop entry's Exec: quoted, then the string's own escape.
    # shellcheck disable=SC1003,SC2016 # the literal text is the point
    exec_quoted '/a b/$x"%\'
    # shellcheck disable=SC2016
    [ "$REPLY" = '"/a b/\\$x\\"%%\\\\"' ]
    # What the program is handed must be all there: a full disk names nothing.
    if write_whole /dev/full 'photo10' 2>/dev/null; then false; fi
    write_whole written 'photo10' && [ "$(cat written)" = photo10 ]
}

# The program itself, as a file manager's drop or a hand-written command line
# reaches it: links and all. The launcher has made its prefix by then.
program() {
    (cd / && WINEPREFIX=$SHARED_PREFIX/brindle-cli "$TREE/cmake/wine-run" "$TREE/build/windows/brindle.exe" "$@" 3>&-)
}

@test "the program: a link is never mistaken for what it points to, a failed move leaves nothing, dates by their year's rules" {
    touch first.txt
    brindle -a x_ -p first.txt
    mkdir sub && printf target >sub/target.txt && ln -s sub/target.txt link.txt && ln -s sub dirlink
    run program -a x_ -p "Z:$PWD/link.txt" "Z:$PWD/dirlink"
    [ "$status" -eq 1 ]
    [ "$(readlink link.txt)" = sub/target.txt ] && [ "$(cat sub/target.txt)" = target ]
    [ "$(readlink dirlink)" = sub ] && [ -d sub ]

    # Onto another file system, under a umask that makes Wine's files read-only.
    local other=/dev/shm/brindle-bats-$$ up
    mkdir "$other" && printf data >big.bin
    up=$(printf '../%.0s' $(seq "$(tr -cd / <<<"$PWD" | wc -c)"))
    WINEPREFIX=$SHARED_PREFIX/brindle-cli wineserver -k || true
    restricted() { umask 0222 && program "$@"; }
    run restricted -a "${up}${other#/}/" -p "Z:$PWD/big.bin"
    [ "$status" -eq 1 ]
    [ "$(cat big.bin)" = data ]
    rmdir "$other"  # empty
    WINEPREFIX=$SHARED_PREFIX/brindle-cli wineserver -k || true

    # 23:30 on 19 March 2006 in New York, when daylight saving time began in April.
    touch -d '2006-03-20 04:30 UTC' photo.jpg
    TZ=America/New_York run program -a '\f\e\m\d_\h\i_' -p "Z:$PWD/photo.jpg"
    [ "$status" -eq 0 ]
    [ -e 20060319_2330_photo.jpg ]
    WINEPREFIX=$SHARED_PREFIX/brindle-cli wineserver -k || true
}

# Each row: a tree (made by Linux, which holds case twins), the program's
# arguments, and the tree after the run. The dry run and the run say the same,
# line by line and in their status, and the disk shows what they said.
@test "the program: a dry run foretells the run line by line, case twins and second namings included" {
    touch first.txt
    brindle -a x_ -p first.txt  # the command-line prefix, ready
    local rows=(
        'touch DATA.jpg data.JPG|-a _x -s DATA.jpg DATA.jpg|DATA_x.jpg data.JPG'
        'touch a.txt A.txt|-a x_ -p a.txt a.txt|A.txt x_a.txt'
        'mkdir -p old/o1 OLD/o1|-a x_ -p old "old\o1"|OLD OLD/o1 x_old x_old/o1'
        'mkdir d; touch d/IN d/in|-a x_ -p "d\IN" d "d\in"|x_d x_d/in x_d/x_IN'
        'mkdir d; touch d/a|-a x_ -p "d\a" d "d\a"|x_d x_d/x_a'
        'touch notes.md. notes.md|-a x_ -p NOTES.MD.|notes.md x_notes.md.'
        'mkdir o1|-a "o1\\" -p o1|o1'
        'mkdir notes; touch notes.JPG|-a "\o1" -s notes.JPG|notes notes/o1.JPG'
        'mkdir A a; touch A/f a/f|-a x_ -p "A\f" "a\f"|A A/x_f a a/x_f'
        'mkdir real; touch real/a.txt; ln -s real link|-a x_ -p "real\a.txt" "link\a.txt"|link real real/x_a.txt'
        'touch "  " ...|-a x_ -p "  " ...|   ...'
        'mkdir d; touch d/f|-a x_ -p d "x_d\f" "D\F"|x_d x_d/x_f'
    )
    # In the current folder, paths as a Windows user types them.
    here() { WINEPREFIX=$SHARED_PREFIX/brindle-cli "$TREE/cmake/wine-run" "$TREE/build/windows/brindle.exe" "$@" 3>&-; }
    local row setup call after round dry
    for row in "${rows[@]}"; do
        IFS='|' read -r setup call after <<<"$row"
        for round in dry real; do
            dry='' && [ "$round" = real ] || dry=-n
            rm -rf "$round" && mkdir "$round" && (cd "$round" && eval "$setup")
            (cd "$round" && eval "here $dry -r ../$round.result $call") && echo 0 >>"$round.result" ||
                echo "$?" >>"$round.result"
            sed -i -e "s|Z:${PWD//\//\\\\}\\\\$round\\\\||g" -e 's/^would-rename/renamed/' "$round.result"
        done
        diff dry.result real.result || { echo "row: $row"; false; }
        [ "$(cd real && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort | tr '\n' ' ')" = "$after " ] ||
            { echo "row: $row"; cat real.result; false; }
    done
}

@test "a signal stops the run between two items: 130, 143, 129; each item at its old or its new name" {
    touch first.txt
    brindle -a x_ -p first.txt  # the prefix is made before the clock starts
    local files=()
    for ((i = 0; i < 3000; i++)); do files+=("file $i.txt"); done
    touch -- "${files[@]}"
    for signal in INT:130 TERM:143 HUP:129; do
        SECONDS=0
        run timeout --preserve-status -s "${signal%:*}" 3 "$TREE/brindle" -a "${signal%:*}_" -p -- "${files[@]}" 3>&-
        [ "$status" -eq "${signal#*:}" ]
        [ "$SECONDS" -lt 10 ]  # 3 s, then a stop between two items and the report
        local renamed kept
        renamed=$(names | grep -c "^${signal%:*}_file") || true
        kept=$(grep -c "^brindle: kept 'file.*: the run was stopped before it" <<<"$output") || true
        [ "$renamed" -gt 0 ] && [ "$kept" -gt 0 ] && [ $((renamed + kept)) -eq 3000 ]
        [ "$(names | wc -l)" -eq 3001 ]
        for name in "${files[@]}"; do
            [ -e "$name" ] || [ -e "${signal%:*}_$name" ]
        done
        brindle -a "${signal%:*}_" -p -- "${signal%:*}"_file* >/dev/null 2>&1 || true
    done
}

@test "a first run cut short (a power cut, a hang-up) never breaks the prefix: the next run renames at once" {
    touch one.txt
    local prefix
    for cut in KILL HUP; do
        prefix=$BATS_TEST_TMPDIR/prefix-$cut
        WINEPREFIX=$prefix setsid "$TREE/brindle" -a x_ -p one.txt 3>&- >/dev/null 2>&1 &
        local launcher=$!
        sleep 2
        if [ $cut = KILL ]; then kill -KILL -- -"$launcher"; else kill -HUP -- -"$launcher"; fi
        wait "$launcher" || true
        [ -e one.txt ]
        SECONDS=0
        WINEPREFIX=$prefix run brindle -a x_ -p one.txt
        [ "$status" -eq 0 ]
        [ "$SECONDS" -lt 60 ]
        [ -e x_one.txt ] && mv x_one.txt one.txt
        [ -z "$(find "$prefix" -maxdepth 1 -name 'brindle-cli.new.*')" ]
        WINEPREFIX=$prefix/brindle-cli wineserver -k || true
    done
}

@test "byte checks in any locale, a bad TMPDIR, Wine that cannot start, a display that does not answer" {
    run brindle --help
    [[ $output == *'\f'* ]]

    # Shift_JIS reads the bytes C5 95 5C of 'ŕ\x' as two characters, hiding the backslash.
    localedef -i ja_JP -f SHIFT_JIS "$BATS_TEST_TMPDIR/ja_JP.SJIS" >/dev/null 2>&1 || true
    [ -d "$BATS_TEST_TMPDIR/ja_JP.SJIS" ] || skip "no Shift_JIS locale could be made"
    mkdir ŕ && touch ŕ/x 'ŕ\x'
    LOCPATH=$BATS_TEST_TMPDIR LC_ALL=ja_JP.SJIS run brindle -a x_ -p 'ŕ\x'
    [ "$status" -eq 2 ]
    [ -e 'ŕ\x' ] && [ -e ŕ/x ]

    touch plain.txt
    TMPDIR=$BATS_TEST_TMPDIR/missing run brindle -a x_ -p plain.txt
    [ "$status" -eq 2 ]
    [[ $output == *"TMPDIR"* ]]
    touch not-a-folder
    WINEPREFIX=$PWD/not-a-folder run brindle -a x_ -p plain.txt
    [ "$status" -eq 2 ]
    [[ $output == *"not a folder"* ]]
    mkdir own-tmp
    TMPDIR=own-tmp run brindle -a x_ -p plain.txt  # relative: made full
    [ "$status" -eq 0 ]
    [ -e x_plain.txt ]

    mkdir fake-bin
    printf '#!/bin/sh\necho "wine: could not load kernel32.dll, status c0000135" >&2\nexit 1\n' >fake-bin/wine
    chmod +x fake-bin/wine
    PATH=$PWD/fake-bin:$PATH run brindle -a x_ -p x_plain.txt
    [ "$status" -eq 1 ]
    [[ $output == *"Wine could not run brindle.exe"*"could not load kernel32.dll"* ]]
    [ -e x_plain.txt ]

    SECONDS=0
    DISPLAY=:4711 run brindle
    [ "$status" -eq 1 ]
    [[ $output == *"does not answer"* ]]
    [ "$SECONDS" -lt 15 ]
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

@test "a brand-new prefix without a display, then the dialog, and a rename while it is open" {
    [ -n "$DIALOG_DISPLAY" ] || skip "needs an X display for the dialog"
    export WINEPREFIX=$BATS_TEST_TMPDIR/new-prefix
    touch one.txt two.txt

    run brindle -a n_ -p one.txt
    [ "$status" -eq 0 ]
    [ -e n_one.txt ]

    DISPLAY=$DIALOG_DISPLAY "$TREE/brindle" >/dev/null 2>&1 3>&- &
    local dialog=$!
    DISPLAY=$DIALOG_DISPLAY wait_for_window Brindle 90 >/dev/null

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
