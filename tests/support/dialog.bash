# shellcheck shell=bash
# Waits up to $2 seconds for a visible window named exactly $1 and prints its
# id. Searched again and again: one search fails on an X error when a window
# of Wine's start-up goes away under it.
wait_for_window() {
    local i id
    for ((i = 0; i < $2; i++)); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 1
    done
    return 1
}
