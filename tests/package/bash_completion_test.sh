#!/usr/bin/env bash
# Completes words of varkel-cli command lines through the installed completion
# function, as bash does on Tab, against the built program's own --help.
# usage: bash_completion_test.sh COMPLETION_FILE VARKEL_CLI
set -uo pipefail
source "$1"
program=$2
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
mkdir "$files/sub"
: >"$files/prices.txt"

failures=0
# expect "WANTED REPLIES" WORD... : completes the last word
expect() {
    local wanted=$1
    shift
    COMP_WORDS=("$program" "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _varkel_cli
    local got="${COMPREPLY[*]}"
    if [ "$got" != "$wanted" ]; then
        echo "varkel-cli $* <Tab>: got '$got', wanted '$wanted'"
        failures=$((failures + 1))
    fi
}

expect "walkforward" wa
expect "build" bu
expect "--version" --v
expect "--base" build --ba
expect "macd lreg tsc stoch keltner" build --base ""
expect "tsc" build --second t
expect "ndist" walkforward --third n
expect "plateau" build --select p
expect "auto broker ohlc" import --format ""
expect "EUR/JPY" build --product E
expect "$files/prices.txt" build --file "$files/pr"
expect "$files/sub" build --dir "$files/"
expect "" build --threads ""
expect "--third --threads" build --force --th
expect "--anchored" walkforward --an
expect "--ma --macd" studies --m
expect "" nosuch --
complete -p varkel-cli | grep -q -- "-F _varkel_cli" || { echo "not registered for varkel-cli"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && echo "all completions as wanted"
exit "$failures"
