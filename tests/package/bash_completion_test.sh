#!/usr/bin/env bash
# Completes words of varkel-cli and varkel command lines through the installed
# completion functions, as bash does on Tab, against the built programs' own
# --help. Without VARKEL (a build without the workstation) only varkel-cli.
# usage: bash_completion_test.sh PACKAGING_DIR VARKEL_CLI [VARKEL]
set -uo pipefail
source "$1/varkel-cli.bash-completion"
source "$1/varkel.bash-completion"
program=$2
workstation=${3:-}
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
mkdir "$files/sub"
: >"$files/prices.txt"
: >"$files/permute-1-of-2.part"
: >"$files/permute-2-of-2.part"

failures=0
# complete FUNCTION PROGRAM "WANTED REPLIES" WORD... : completes the last word
complete_words() {
    local function=$1 command=$2 wanted=$3
    shift 3
    COMP_WORDS=("$command" "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    "$function"
    local got="${COMPREPLY[*]}"
    if [ "$got" != "$wanted" ]; then
        echo "$(basename "$command") $* <Tab>: got '$got', wanted '$wanted'"
        failures=$((failures + 1))
    fi
}
expect() { complete_words _varkel_cli "$program" "$@"; }

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
expect "help" hel
expect "build" help bu
expect "$files/permute-1-of-2.part" permute --merge "$files/permute-1"
expect "$files/permute-2-of-2.part" permute --merge "$files/permute-1-of-2.part" "$files/permute-2"
expect "--csv" permute --merge "$files/permute-1-of-2.part" --cs
complete -p varkel-cli | grep -q -- "-F _varkel_cli" || { echo "not registered for varkel-cli"; failures=$((failures + 1)); }
if [ -n "$workstation" ]; then
    expect_varkel() { complete_words _varkel "$workstation" "$@"; }
    expect_varkel "--dir" --di
    expect_varkel "--server --screenshot" --s
    expect_varkel "EUR/JPY" --open E
    expect_varkel "AUD/JPY EUR/JPY GBP/JPY USD/JPY" --open ""
    expect_varkel "$files/prices.txt" --open USD/JPY "$files/pr"
    expect_varkel "$files/sub" --dir "$files/s"
    expect_varkel "$files/prices.txt" "$files/pr"
    expect_varkel "" --server ""
    expect_varkel "$files/prices.txt" --dir "$files" "$files/pr"
    complete -p varkel | grep -q -- "-F _varkel" || { echo "not registered for varkel"; failures=$((failures + 1)); }
fi
[ "$failures" -eq 0 ] && echo "all completions as wanted"
exit "$failures"
