#!/usr/bin/env bats
# brindle.exe's own command line under Wine, as scripts and the shell's Send
# To start it on Windows: a prefix of its own with Wine's null display driver.

load support/tree

setup_file() {
    export TREE=$BATS_FILE_TMPDIR/tree SHARED_PREFIX=$BATS_FILE_TMPDIR/wine
    make_launcher_tree "$TREE"
    make_cli_prefix "$SHARED_PREFIX/brindle-cli"
}

setup() {
    cd "$BATS_TEST_TMPDIR" || return 1
}

teardown_file() {
    WINEPREFIX=$SHARED_PREFIX/brindle-cli wineserver -k 2>/dev/null || true
}

# The program itself, as a file manager's drop or a hand-written command line
# reaches it: links and all.
program() {
    (cd / && WINEPREFIX=$SHARED_PREFIX/brindle-cli "$TREE/cmake/wine-run" "$TREE/build/windows/brindle.exe" "$@" 3>&-)
}

@test "the program: a link is never mistaken for what it points to, a failed move leaves nothing, dates by their year's rules" {
    mkdir sub && printf target >sub/target.txt && ln -s sub/target.txt link.txt && ln -s sub dirlink
    run program -a x_ -p "Z:$PWD/link.txt" "Z:$PWD/dirlink"
    [ "$status" -eq 1 ]
    [ "$(readlink link.txt)" = sub/target.txt ]
    [ "$(cat sub/target.txt)" = target ]
    [ "$(readlink dirlink)" = sub ]
    [ -d sub ]

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

