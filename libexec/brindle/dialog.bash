# shellcheck shell=bash
# ./brindle with no arguments: brindle.exe's dialog under Wine, in the prefix
# $WINEPREFIX (by default ~/.local/share/brindle/wine), built and set up first.

# shellcheck source=libexec/brindle/shared.bash
source "${BASH_SOURCE[0]%/*}/shared.bash"

exe=$repo/build/windows/brindle.exe

# Wine with the caller's locale (its own script makes it UTF-8 if need be).
wine_run() { env "${caller_locale[@]}" "$repo/cmake/wine-run" "$@"; }

# Wine's own words from a log, for a message.
wine_said() { grep -a -v '^[[:space:]]*$' "$1" | head -n 5 | sed 's/^/  /' >&2; }

# Builds brindle.exe where it is missing or stale; false, having said why,
# when it cannot be built.
build_program() {
    need_packages run || return 1
    stale "$exe" app window settings shell resources cmake CMakeLists.txt CMakePresets.json || return 0
    say "building brindle.exe ..."
    local log
    log=$(mktemp) || return 1
    if ! { grep -qsx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$repo/build/windows/CMakeCache.txt" ||
        "$repo/scripts/configure" windows; } >"$log" 2>&1 ||
        ! (cd "$repo" && cmake --build --preset windows --target brindle) >>"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        say "the build failed"
        return 1
    fi
    rm -f "$log"
    touch "$exe"  # current now, even where only the manual changed
}

# Opens the dialog and waits until it is closed: 0 then, 1 when it could not
# be shown, 2 when the environment gives it no place.
open_dialog() {
    if [ -z "${DISPLAY:-}" ]; then
        say "the dialog needs an X display (DISPLAY is not set)"
        return 2
    fi
    if [ -z "${WINEPREFIX:-}" ] && [ -z "${XDG_DATA_HOME:-}" ] && [ -z "${HOME:-}" ]; then
        say "no place for Wine's files: set WINEPREFIX or HOME"
        return 2
    fi
    # shellcheck disable=SC2034 # xdg_folders sets both
    local data config
    xdg_folders
    prefix=${WINEPREFIX:-$data/brindle/wine}
    [[ $prefix == /* ]] || prefix=$PWD/$prefix
    if [ -e "$prefix" ] && [ ! -d "$prefix" ]; then
        say "the Wine prefix $(shown "$prefix") is not a folder: set WINEPREFIX to a folder, or unset it"
        return 2
    fi
    build_program || return 1
    if ! timeout 10 xdpyinfo >/dev/null 2>&1; then
        say "the X display $(shown "$DISPLAY") does not answer: no dialog can be shown"
        return 1
    fi
    mkdir -p "$prefix" || return 1
    work=$(mktemp -d) || return 1
    # The prefix is whole once its fonts are in: until then (a first start
    # that was cut short, say) it is made again, after any Wine left of it.
    if [ ! -e "$prefix/.brindle-fonts" ]; then
        WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
        (cd "$prefix" && rm -rf drive_c dosdevices system.reg user.reg userdef.reg .update-timestamp)
        if ! WINEPREFIX=$prefix wine_run wineboot --init >"$work/wine.log" 2>&1; then
            say "Wine could not prepare its prefix $(shown "$prefix"):"
            wine_said "$work/wine.log"
            return 1
        fi
    fi
    # A prefix made by an older launcher may lack the English face's font.
    if [ ! -e "$prefix/.brindle-fonts" ] || [ ! -e "$prefix/drive_c/windows/Fonts/tahoma.ttf" ]; then
        if ! env "${caller_locale[@]}" WINEPREFIX="$prefix" "$repo/cmake/wine-fonts" >"$work/wine.log" 2>&1; then
            say "Wine could not prepare its prefix $(shown "$prefix"):"
            wine_said "$work/wine.log"
            return 1
        fi
        touch "$prefix/.brindle-fonts"
    fi
    WINEPREFIX=$prefix wine_run "$exe" 2>"$work/wine.log"
    local status=$?
    # Only glibc's heap messages tell of the drag that Wine 8 fails on.
    if [ $status -ne 0 ] && grep -aqE 'double free|free\(\): |malloc\(\): |corrupted' "$work/wine.log"; then
        say "the dialog ended abruptly: Wine itself failed (status $status), as Wine 8 does when a drag from Nemo or Caja, or one that also carries much plain text, enters it. Nothing was renamed by that drag: drag from Thunar, Nautilus or Dolphin, drag fewer items, or rename from the file manager's Brindle entry or the command line"
        wine_said "$work/wine.log"
    elif [ $status -ne 0 ]; then
        say "the dialog ended unexpectedly (status $status)"
        wine_said "$work/wine.log"
    fi
    rm -rf "$work"
    return $((status == 0 ? 0 : 1))
}

