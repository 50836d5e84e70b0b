#!/usr/bin/env bats
# ./brindle as a Unix command: a copy of the launcher and the built program in a
# private folder, a private Wine prefix, no X display unless a test makes one.

setup_file() {
    local repo
    repo=$(cd "$BATS_TEST_DIRNAME/.." && pwd)
    export TREE=$BATS_FILE_TMPDIR/tree
    mkdir -p "$TREE/scripts" "$TREE/cmake" "$TREE/build/windows"
    cp "$repo/brindle" "$repo/CMakeLists.txt" "$TREE/"
    cp "$repo/scripts/setup-deps" "$TREE/scripts/"
    cp "$repo/cmake/wine-run" "$repo/cmake/japanese-fonts.reg" "$TREE/cmake/"
    cp "$repo/build/windows/brindle.exe" "$TREE/build/windows/"
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
    for call in "-a x_ -s -pics" "--frobnicate ics" "-a" "-a x_" "-p"; do
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
    for affix in 'a:b' 'x"' 'q?' $'t\tab' '-draft' "x y\\" $'\xff'; do
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
    [ "$output" = "$(printf "brindle: not renamed: '%s'\n" report.txt b.txt c.txt)" ]
    [ "$(cat report.txt)" = old ]
    [ "$(cat x_report.txt)" = taken ]
    [ -e x_notes.txt ]
    [ "$(readlink x_b.txt)" = nowhere ]
    [ "$(readlink x_c.txt)" = x_loop ]
    run brindle -a "$(printf '字%.0s' {1..10})" -p "$long"
    [ "$status" -eq 1 ]
    [ -e "$long" ]
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
    DISPLAY=$DIALOG_DISPLAY run timeout 60 xdotool search --sync --onlyvisible --name '^Brindle$'
    [ "$status" -eq 0 ]

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
