# shellcheck shell=bash
# Copies what ./brindle needs to run into $1 (the launcher, its scripts, the
# built program), so a test's settings and prefix stay its own.
make_launcher_tree() {
    local repo
    repo=$(cd "$BATS_TEST_DIRNAME/.." && pwd)
    mkdir -p "$1/scripts" "$1/cmake" "$1/build/windows" "$1/build/linux" "$1/resources"
    cp "$repo/brindle" "$repo/CMakeLists.txt" "$1/"
    cp -r "$repo/libexec" "$1/"
    cp "$repo/scripts/setup-deps" "$1/scripts/"
    cp "$repo/cmake/wine-run" "$repo/cmake/wine-fonts" "$repo/cmake/japanese-fonts.reg" "$1/cmake/"
    cp -r "$repo/resources/icons" "$repo/resources/brindle-icon.svg" "$1/resources/"
    # A checkout's index; then, newer than it and than any source, the
    # programs, which are not built again.
    mkdir "$1/.git" && touch "$1/.git/index"
    if [ -e "$repo/build/windows/brindle.exe" ]; then
        cp "$repo/build/windows/brindle.exe" "$1/build/windows/"
    fi
    # The native program the test run builds (the native workflow's, under
    # the sanitizers), else the one the launcher runs.
    cp "${BRINDLE_PROGRAM:-$repo/build/linux/brindle}" "$1/build/linux/brindle"
    # Its messages' catalogues (those of the native workflow's build where it
    # names them).
    local catalogues=${BRINDLE_CATALOGUES:-$repo/build/linux/locale}
    if [ -d "$catalogues" ]; then cp -r "$catalogues" "$1/build/linux/locale"; fi
    if [ -e "$repo/build/linux/brindle-dialog" ]; then
        cp "$repo/build/linux/brindle-dialog" "$1/build/linux/"
    fi
}

# A Wine prefix for brindle.exe's command line: Wine's null display driver, so
# its hidden dialog needs no X display.
make_cli_prefix() {
    mkdir -p "$1"
    printf 'WINE REGISTRY Version 2\n\n#arch=win64\n\n[Software\\\\Wine\\\\Drivers]\n"Graphics"="null"\n' >"$1/user.reg"
    WINEPREFIX=$1 "$BATS_TEST_DIRNAME/../cmake/wine-run" wineboot --init >/dev/null 2>&1 3>&-
    WINEPREFIX=$1 wineserver -w
}

# One launcher tree, in $TREE, for all the tests of a file (from setup_file).
share_launcher_tree() {
    export TREE=$BATS_FILE_TMPDIR/tree
    make_launcher_tree "$TREE"
}
