# shellcheck shell=bash
# ./brindle PATH...: the native command line, built when it is missing or
# older than its sources, and run in the launcher's place.

# shellcheck source=libexec/brindle/shared.bash
source "${BASH_SOURCE[0]%/*}/shared.bash"

# What the native program is made of: a digest of its sources' bytes, so a
# checkout that only looks changed (git rewrote its index) is not built again.
native_sources() {
    (cd "$repo" && find app linux settings shell cmake CMakeLists.txt CMakePresets.json -type f -print0 2>/dev/null |
        LC_ALL=C sort -z | xargs -0 cat | sha1sum)
}

# Builds the native program where it is missing or stale; 2, having said
# why, when there is none to run. One build at a time: a second run waits for
# it, then finds the program current. (The build moves a whole program into
# place: a run never starts one half written.)
build_native() {
    buildable_checkout || return 2
    need_packages native || return 2
    native_fresh && return 0
    local stamp=$repo/build/linux/brindle.sources sources
    sources=$(native_sources)
    if [ -x "$native" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$sources" ]; then
        touch "$native" 2>/dev/null
        return 0
    fi
    if ! mkdir -p "$repo/build" 2>/dev/null || ! { exec 9>>"$repo/build/.build-lock"; } 2>/dev/null; then
        if [ -x "$native" ]; then
            say "the checkout cannot be written, so brindle is not built again: running the program built before"
            return 0
        fi
        say "the checkout cannot be written, and brindle was never built in it: nothing was renamed"
        return 2
    fi
    flock 9
    if native_fresh || { [ -x "$native" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$sources" ]; }; then
        exec 9>&-
        return 0
    fi
    say "building brindle ..."
    local log status=0
    log=$(mktemp) || return 2
    (cd "$repo" && cmake --preset linux && cmake --build --preset linux --target brindle_native brindle_catalogues) >"$log" 2>&1 || status=$?
    if [ $status -ne 0 ] || [ ! -x "$native" ]; then
        cat "$log" >&2
        rm -f "$log"
        exec 9>&-
        say "the build failed: nothing was renamed"
        return 2
    fi
    rm -f "$log"
    printf '%s\n' "$sources" >"$stamp"
    touch "$native"
    exec 9>&-
}

# Renames with the native program, in the launcher's place: it says what
# it did itself, on a notification too where there is no terminal.
rename_paths() {
    build_native || return $?
    export BRINDLE_FALLBACK_SETTINGS=$settings BRINDLE_LOCALE_DIR=$repo/build/linux/locale
    if [ "${caller_locale[0]}" = -u ]; then unset LC_ALL; else export "${caller_locale[0]}"; fi
    exec "$native" "$@"
}
