# shellcheck shell=bash
# ./brindle --install: entries for this user's Linux desktop, an application
# entry that opens the dialog and a "send to" entry for Thunar, Dolphin,
# Nautilus, Nemo and Caja, each written file recorded so that --uninstall
# takes exactly those away.

# shellcheck source=libexec/brindle/shared.bash
source "${BASH_SOURCE[0]%/*}/shared.bash"

# shellcheck source=libexec/brindle/uninstall.bash
source "$scripts/uninstall.bash" --

# An argument of a desktop entry's Exec line, quoted as desktop entries
# require (the quoting rule, then the string's own escape), in $REPLY.
exec_quoted() {
    local arg=$1
    arg=${arg//\\/\\\\} arg=${arg//\"/\\\"} arg=${arg//\`/\\\`} arg=${arg//\$/\\\$}
    arg="\"${arg//%/%%}\""
    REPLY=${arg//\\/\\\\}
}

# Writes one file of the installation, with its mode, and records it at once;
# a file of the user's own of that name stays as it is. False when it could
# not be written.
install_file() {
    local path=$1 mode=$2 sum
    if [ -e "$path" ] || [ -L "$path" ]; then
        quote_name "$path" utf8
        say "kept $REPLY: a file of that name is there already, not written by --install"
        cat >/dev/null
        return 0
    fi
    if ! { mkdir -p "${path%/*}" 2>/dev/null && cat >"$path" && chmod "$mode" "$path" && sum=$(sha256sum <"$path"); }; then
        rm -f -- "$path"
        quote_name "$path" utf8
        say "could not write $REPLY"
        return 1
    fi
    printf '%s\0%s\0' "${sum%% *}" "$path" >>"$installing"
}

# A shell word that any sh reads back as the text, whatever bytes it holds.
sh_quoted() { REPLY="'${1//\'/\'\\\'\'}'"; }

# An Exec line's command: sh runs the launcher, so no program path (with a %
# or a space in it, say) is ever judged before its arguments are expanded.
exec_line() {
    local word line=''
    for word in sh -c "exec \"\$0\"${1:+ -- \"\$@\"}" "$command_path"; do
        exec_quoted "$word"
        line+="$REPLY "
    done
    REPLY=${line}${1:-}
    REPLY=${REPLY% }
}

install_entries() {
    if [ -z "${HOME:-}" ] && { [[ ${XDG_DATA_HOME:-} != /* ]] || [[ ${XDG_CONFIG_HOME:-} != /* ]]; }; then
        say "no place for the entries: set HOME, or XDG_DATA_HOME and XDG_CONFIG_HOME"
        return 2
    fi
    local data config list folder size manager launcher
    xdg_folders
    launcher=$command_path
    # What an earlier installation wrote goes first, so nothing is left over.
    installed_list
    list=$REPLY
    [ ! -f "$list" ] || uninstall_entries >/dev/null
    installing=$list.new
    mkdir -p "${list%/*}" && : >"$installing" || return 1
    if ! write_entries "$data" "$config"; then
        # Half an installation helps nobody: what was written goes again.
        mv -f "$installing" "$list" && uninstall_entries >/dev/null
        say "--install failed: nothing is installed"
        return 1
    fi
    mv -f "$installing" "$list" || return 1
    list_installed "$list"
    if ! command -v notify-send >/dev/null 2>&1; then
        say "notify-send is missing (Debian: libnotify-bin): a run from a file manager cannot show which paths kept their names"
    fi
}

write_entries() {
    # An installed Brindle's installation has its application entry.
    [ -n "${installed:-}" ] || app_entry "$1" || return 1
    write_file_manager_entries "$1" "$2"
}

# The application entry that opens the dialog.
app_entry() {
    exec_line
    install_file "$1/applications/brindle.desktop" 644 <<EOT || return 1
[Desktop Entry]
Type=Application
Version=1.0
Name=Brindle
GenericName=File Renamer
Comment=Add a text to the start or the end of file names, or take it off again
Icon=brindle
Exec=$REPLY
Terminal=false
Categories=Utility;FileTools;
StartupNotify=false
EOT
    local size
    for size in 16 32 48 64 128 256; do
        install_file "$1/icons/hicolor/${size}x$size/apps/brindle.png" 644 <"$repo/resources/icons/brindle-$size.png" ||
            return 1
    done
    install_file "$1/icons/hicolor/scalable/apps/brindle.svg" 644 <"$repo/resources/brindle-icon.svg"
}

# The "send to" entries of Thunar, Dolphin, Nautilus, Nemo and Caja.
write_file_manager_entries() {
    local data=$1 config=$2 folder manager
    # An installation ships Thunar's, Dolphin's and Nemo's entries itself:
    # only Nautilus and Caja read scripts from the user's folders alone.
    [ -n "${installed:-}" ] || shipped_entries "$data" || return 1
    # Nautilus, Nemo and Caja run the scripts in their folders. The
    # arguments they pass lose every % sequence ("100% sure.txt" arrives as
    # "100sure.txt"); their list of the selected paths, one a line, does not.
    sh_quoted "$scripts/notify"
    local notifier=$REPLY
    sh_quoted "$launcher"
    # Kept apart from REPLY, which a kept file's message overwrites.
    local quoted_launcher=$REPLY
    for folder in "$data/nautilus/scripts:NAUTILUS" "$data/nemo/scripts:NEMO" "$config/caja/scripts:CAJA"; do
        manager=${folder##*:} folder=${folder%:*}
        [ -z "${installed:-}" ] || [ "$manager" != NEMO ] || continue
        install_file "$folder/Brindle" 755 <<EOT || return 1
#!/bin/sh
# Renames the selected items with Brindle's last affix and position.
launcher=$quoted_launcher
notifier=$notifier
selected=\${${manager}_SCRIPT_SELECTED_FILE_PATHS:-}
# A name with a line break cannot be told apart in that list (a final one
# vanishes, and its namesake would be renamed): nothing is renamed.
for name in "\$@"; do
    case \$name in *'
'*)
        message="'\$name' holds a line break, which the file manager's list of selected items cannot tell apart: nothing was renamed; rename it from the command line"
        echo "brindle: \$message" >&2
        "\$notifier" "\$message"
        exit 1
        ;;
    esac
done
if [ -n "\$selected" ]; then
    given=\$#
    set -f
    IFS='
'
    # shellcheck disable=SC2086 # one path a line
    set -- \$selected
    if [ \$# -ne "\$given" ]; then
        message="a selected name holds a line break: rename it from the command line"
        echo "brindle: \$message" >&2
        "\$notifier" "\$message"
        exit 1
    fi
fi
exec "\$launcher" -- "\$@"
EOT
    done
}

# Thunar's and Dolphin's entries, which an installation ships.
shipped_entries() {
    local data=$1
    # Thunar's Send To menu.
    exec_line %F
    install_file "$data/Thunar/sendto/brindle.desktop" 644 <<EOT || return 1
[Desktop Entry]
Type=Application
Version=1.0
Name=Brindle
Comment=Rename with Brindle's last affix
Icon=brindle
Exec=$REPLY
EOT
    # Dolphin's context menu: KDE runs only service menus that are executable.
    install_file "$data/kio/servicemenus/brindle.desktop" 755 <<EOT || return 1
[Desktop Entry]
Type=Service
Name=Brindle
MimeType=all/all;
Actions=brindle;
X-KDE-ServiceTypes=KonqPopupMenu/Plugin

[Desktop Action brindle]
Name=Brindle
Icon=brindle
Exec=$REPLY
EOT
}

# Each path of a record, one a line (for the terminal).
list_installed() {
    local sum path
    while read_record sum path; do printf '%s\n' "$path"; done < <(records "$1")
}

