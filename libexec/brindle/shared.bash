# shellcheck shell=bash
# The launcher's own variables, set by ./brindle before it sources a command's
# file; declared here once, so that every file that reads them says so (a
# declaration keeps the value a variable has).
# shellcheck disable=SC2034 # read by the commands
declare -g repo      # the checkout: where ./brindle lies, links followed
declare -g native    # the native program the launcher runs: build/linux/brindle
declare -g settings  # the dialog's settings file, which the command line reads its default affix from
declare -ga caller_locale  # the caller's LC_ALL (LC_ALL=... or -u LC_ALL): the programs run in it
