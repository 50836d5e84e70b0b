# shellcheck shell=bash
# ./brindle with no arguments: the dialog, native on Qt 6, built where it is
# missing or older than its sources. A second start brings the open dialog
# to the front.

# shellcheck source=libexec/brindle/shared.bash
source "${BASH_SOURCE[0]%/*}/shared.bash"

# Builds the dialog where it is missing or stale; false, having said why,
# when it cannot be built. One build at a time, as for the command line.
build_dialog() {
    buildable_checkout || return 1
    need_packages dialog || return 1
    local sources=(app/core linux settings shell resources/Manual cmake CMakeLists.txt CMakePresets.json)
    stale "$dialog" "${sources[@]}" || return 0
    if ! mkdir -p "$repo/build" 2>/dev/null || ! { exec 9>>"$repo/build/.build-lock"; } 2>/dev/null; then
        [ -x "$dialog" ] && return 0
        say "the checkout cannot be written, and the dialog was never built in it"
        return 1
    fi
    flock 9
    # Built meanwhile by a start that held the lock first.
    if ! stale "$dialog" "${sources[@]}"; then
        exec 9>&-
        return 0
    fi
    say "building the dialog ..."
    local log status=0
    log=$(mktemp) || return 1
    # Configured again where Qt was installed after the last configure.
    (cd "$repo" && { grep -qs '^Qt6_DIR:PATH=/' build/linux/CMakeCache.txt || cmake --preset linux; } &&
        cmake --build --preset linux --target brindle_dialog brindle_catalogues) >"$log" 2>&1 || status=$?
    exec 9>&-
    if [ $status -ne 0 ] || [ ! -x "$dialog" ]; then
        cat "$log" >&2
        rm -f "$log"
        say "the build failed"
        return 1
    fi
    rm -f "$log"
    touch "$dialog"  # current now, even where only a build file changed
}

# Opens the dialog in the launcher's place: 2 when the session has no
# display, 1 when it could not be built.
open_native_dialog() {
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        say "the dialog needs a display (neither DISPLAY nor WAYLAND_DISPLAY is set)"
        return 2
    fi
    build_dialog || return 1
    if [ "${caller_locale[0]}" = -u ]; then unset LC_ALL; else export "${caller_locale[0]}"; fi
    BRINDLE_LAUNCHER=$repo/brindle BRINDLE_FALLBACK_SETTINGS=$settings BRINDLE_MANUAL_DIR=$repo/build/linux/Manual \
        BRINDLE_LOCALE_DIR=$repo/build/linux/locale \
        exec "$dialog"
}
