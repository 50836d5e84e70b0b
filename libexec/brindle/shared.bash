# shellcheck shell=bash
# The launcher's own variables, set by ./brindle before it sources a command's
# file; declared here once, so that every file that reads them says so (a
# declaration keeps the value a variable has).
# shellcheck disable=SC2034 # read by the commands
declare -g repo      # the checkout: where ./brindle lies, links followed
declare -g native    # the native program the launcher runs: build/linux/brindle
declare -g scripts   # the launcher's scripts: libexec/brindle in the checkout, or where Brindle was installed
declare -g command_path  # the command the desktop's entries run: the checkout's launcher, or the installed brindle
declare -g installed  # set for an installed Brindle: its installation holds the application entry and the icons
declare -g dialog    # the native dialog: build/linux/brindle-dialog
declare -g settings  # brindle.exe's settings file: the default affix where the native dialog has saved none
declare -ga caller_locale  # the caller's LC_ALL (LC_ALL=... or -u LC_ALL): the programs run in it
