# shellcheck shell=bash
# ./brindle --uninstall: removes exactly the files --install wrote, and
# leaves any changed since.

# shellcheck source=libexec/brindle/shared.bash
source "${BASH_SOURCE[0]%/*}/shared.bash"

# What --install wrote, each file with its SHA-256: NUL-separated, so any byte
# in a path survives. (An older launcher wrote "SUM PATH" lines.)
installed_list() {
    # shellcheck disable=SC2034 # xdg_folders sets both
    local data config
    xdg_folders
    REPLY=$data/brindle/installed-files
}

# A record's entries as NUL-separated pairs, whichever form it has.
records() {
    if [ "$(tr -d '\000' <"$1" | wc -c)" -ne "$(wc -c <"$1")" ] || [ ! -s "$1" ]; then
        cat "$1"
    else
        local sum path
        while read -r sum path; do printf '%s\0%s\0' "$sum" "$path"; done <"$1"
    fi
}
read_record() { IFS= read -r -d '' "$1" && IFS= read -r -d '' "$2"; }

# Removes the files --install wrote; one changed since stays, and is named.
uninstall_entries() {
    local list sum path now
    installed_list
    list=$REPLY
    [ -f "$list" ] || { say "nothing was installed"; return 0; }
    while read_record sum path; do
        [ -e "$path" ] || continue
        now=$(sha256sum <"$path")
        if [ "${now%% *}" = "$sum" ]; then
            rm -f -- "$path" && printf '%s\n' "$path"
        else
            quote_name "$path" utf8
            say "kept $REPLY: it was changed since it was installed"
        fi
    done < <(records "$list")
    rm -f -- "$list"
}

