# shellcheck shell=bash disable=SC2154 # repo, native and caller_locale are the launcher's
# ./brindle PATH...: the native command line, built when it is missing or
# older than its sources, and run in the launcher's place.

# Builds the native program where it is missing or stale; false, having said
# why, when it cannot be built.
build_native() {
    need_packages native || return 1
    native_fresh && return 0
    [ -f "$repo/.git/index" ] || stale "$native" app linux settings shell CMakeLists.txt CMakePresets.json \
        cmake/Native.cmake || return 0
    say "building brindle ..."
    local log
    log=$(mktemp) || return 1
    if ! (cd "$repo" && cmake --preset linux && cmake --build --preset linux) >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        say "the build failed"
        return 1
    fi
    rm -f "$log"
    touch "$native"
}

# Renames with the native program, in the launcher's place: it says what
# it did itself, on a notification too where there is no terminal.
rename_paths() {
    build_native || return 1
    export BRINDLE_SETTINGS=$repo/build/windows/brindle.dat
    if [ "${caller_locale[0]}" = -u ]; then unset LC_ALL; else export "${caller_locale[0]}"; fi
    exec "$native" "$@"
}
