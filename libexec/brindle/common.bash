# shellcheck shell=bash
# What every command of the launcher shares: its messages, names shown as a
# terminal can show them, the desktop's notifications, the XDG folders, and
# the packages a command needs. Functions answer through their output, $REPLY
# or their status; none of them exits.

# shellcheck source=libexec/brindle/shared.bash
source "${BASH_SOURCE[0]%/*}/shared.bash"

me=brindle

said=()
say() {
    printf '%s: %s\n' "$me" "$*" >&2
    said+=("$*")
}

# Started from a file manager there is no terminal to read the messages in:
# they go to the desktop's notifications too, where it has them.
notify_unseen() {
    [ ${#said[@]} -gt 0 ] && [ ! -t 2 ] || return 0
    local body
    printf -v body '%s\n' "${said[@]:0:8}"
    [ ${#said[@]} -le 8 ] || body+="... ($((${#said[@]} - 8)) more)"
    env "${caller_locale[@]}" "$scripts/notify" "${body%$'\n'}"
}

version() {
    local line
    while IFS= read -r line; do
        if [[ $line =~ ^project\(Brindle\ VERSION\ ([0-9.]+) ]]; then
            echo "brindle ${BASH_REMATCH[1]}"
            return
        fi
    done <"$repo/CMakeLists.txt"
}

controls=$'\001\002\003\004\005\006\007\010\011\012\013\014\015\016\017\020\021\022\023\024\025\026\027\030\031\032\033\034\035\036\037'
unprintable=$controls$'\177'

# Shows a name the way a terminal can: bytes that are not UTF-8 and control
# characters as \xHH, in $REPLY (no subshell: thousands of names may be
# shown). A second argument says the name is known to be UTF-8.
quote_name() {
    local text=$1 utf8=1 out='' byte code i
    [ -n "${2:-}" ] || is_utf8 "$text" || utf8=0
    if [ $utf8 -eq 1 ] && [[ $text != *["$unprintable"]* ]]; then
        REPLY="'$text'"
        return
    fi
    for ((i = 0; i < ${#text}; i++)); do
        byte=${text:i:1}
        printf -v code '%d' "'$byte"
        ((code < 0)) && code=$((code + 256))
        if ((code < 0x20 || code == 0x7f || (code >= 0x80 && !utf8))); then
            printf -v byte '\\x%02x' "$code"
        fi
        out+=$byte
    done
    REPLY="'$out'"
}
shown() {
    quote_name "$@"
    printf '%s' "$REPLY"
}

is_utf8() {
    printf '%s' "$1" | iconv -f UTF-8 -t UTF-8 >/dev/null 2>&1
}

# Sets data and config to the XDG folders, as the XDG rules read them: a
# value that is not an absolute path is ignored.
xdg_folders() {
    data=${XDG_DATA_HOME:-} config=${XDG_CONFIG_HOME:-}
    [[ $data == /* ]] || data=${HOME:-}/.local/share
    [[ $config == /* ]] || config=${HOME:-}/.config
}

# Installs the Debian packages a part needs (native: the command line; run:
# the dialog too), quietly when nothing was installed or removed since the
# last full check.
need_packages() {
    packages_current "$1" || "$repo/scripts/setup-deps" "--$1"
}

# False, having said why, where CMake cannot build in the checkout: a ';' in
# its path reads as a list.
buildable_checkout() {
    case $repo in *';'*)
        say "the checkout's path $(shown "$repo") holds ';', which CMake reads as a list: move it to another folder"
        return 1
        ;;
    esac
}

# Whether a build output is older than anything in the folders it is made of.
stale() {
    local output=$1
    shift
    [ ! -f "$output" ] || [ -n "$(cd "$repo" && find "$@" -newer "$output" -print -quit 2>/dev/null)" ]
}
