# shellcheck shell=bash
# Copies what ./brindle needs to run into $1 (the launcher, its scripts, the
# built program), so a test's settings and prefix stay its own.
make_launcher_tree() {
    local repo
    repo=$(cd "$BATS_TEST_DIRNAME/.." && pwd)
    mkdir -p "$1/scripts" "$1/cmake" "$1/build/windows" "$1/resources"
    cp "$repo/brindle" "$repo/CMakeLists.txt" "$1/"
    cp "$repo/scripts/setup-deps" "$1/scripts/"
    cp "$repo/cmake/wine-run" "$repo/cmake/wine-fonts" "$repo/cmake/japanese-fonts.reg" "$1/cmake/"
    cp -r "$repo/resources/icons" "$repo/resources/brindle-icon.svg" "$1/resources/"
    # Last: newer than any source, it is not built again.
    cp "$repo/build/windows/brindle.exe" "$1/build/windows/"
}
