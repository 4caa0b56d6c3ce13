#!/usr/bin/env bash
# Runs the cluster files as far as this machine can without a cluster: they
# pass yamllint and shellcheck; each Kubernetes Job's shard and merge
# commands (the permutation test's and the scan's), run here by sh with a
# folder for the volume, merge to the same report as the run in one piece and
# leave it on the volume; permute.sbatch and scan.sbatch, with an sbatch that
# only records, submit relative paths as absolute ones, print what they
# submitted and submit nothing for a price file they cannot read; wait-job
# returns on completion, on failure and at its timeout.
# usage: cluster_files_test.sh SOURCE_DIR VARKEL_CLI
set -uo pipefail
source_dir=$(cd "$1" && pwd) cli=$(realpath "$2")
cluster=$source_dir/scripts/cluster
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if command -v yamllint >/dev/null; then
    yamllint --strict "$cluster/permute-job.yaml" "$cluster/scan-job.yaml" || fail "yamllint"
else
    echo "skipped: no yamllint (scripts/setup installs it)"
fi
if command -v shellcheck >/dev/null; then
    shellcheck -x "$cluster/permute.sbatch" "$cluster/scan.sbatch" "$cluster/submit-shards.sh" \
        "$cluster/wait-job" || fail "shellcheck"
else
    echo "skipped: no shellcheck (scripts/setup installs it)"
fi

# Small runs on the first 300 days of the samples: 4 permutations of LREG,
# and a scan of LREG with and without ROC on two products.
mkdir -p "$scratch/bin" "$scratch/volume"
ln -s "$cli" "$scratch/bin/varkel-cli"
for pair in USD_JPY EUR_JPY; do head -n 300 "$source_dir/samples/$pair.txt" > "$scratch/volume/$pair.txt"; done
declare -A whole_args csv_name
whole_args[permute]="--product USD/JPY --file $scratch/volume/USD_JPY.txt --base lreg --permutations 4 --seed 7"
whole_args[scan]="--product USD/JPY --file $scratch/volume/USD_JPY.txt --product EUR/JPY"
whole_args[scan]+=" --file $scratch/volume/EUR_JPY.txt --bases lreg --filters roc --permutations 4 --seed 7"
csv_name[permute]=permuted-returns.csv
csv_name[scan]=scan.csv

# The pods' commands as the Job file gives them, /data being the volume's
# folder here, run for 2 shards and merged; the merged report must be the
# run in one piece's. usage: check_job_file COMMAND (permute or scan)
check_job_file() {
    local command=$1 variable="${1^^}_ARGS" whole=$scratch/whole-$1 parts=$scratch/volume/parts
    # shellcheck disable=SC2086
    "$cli" "$command" ${whole_args[$command]} --csv "$whole.csv" > "$whole.txt" 2>/dev/null ||
        fail "the whole $command run"
    # The permutation merge reads no price file: the whole run's data-quality
    # note that ends its report ("The history has ...") has no counterpart
    # there. The scan prints its notes on stderr.
    if [ "$command" = permute ]; then sed -i '/^The history has /,$d; /^history: /,$d' "$whole.txt"; fi
    local commands shard_command merge_command
    commands=$(python3 - "$cluster/$command-job.yaml" <<'PY'
import sys, yaml
for document in yaml.safe_load_all(open(sys.argv[1])):
    for container in document.get("spec", {}).get("template", {}).get("spec", {}).get("containers", []):
        print(container["name"] + "\t" + " ".join(container["command"][2:] + container["args"]))
PY
    ) || fail "$command-job.yaml does not read as YAML"
    shard_command=$(sed -n 's/^shard\t//p' <<<"$commands")
    merge_command=$(sed -n 's/^merge\t//p' <<<"$commands")
    if [ -z "$shard_command" ] || [ -z "$merge_command" ]; then fail "$command-job.yaml: no shard or merge container"; fi
    rm -rf "$parts"
    for index in 0 1; do
        run_pod "$shard_command" JOB_COMPLETION_INDEX=$index "$variable=${whole_args[$command]}"
    done
    run_pod "$merge_command"
    cmp -s "$whole.txt" "$parts/report.txt" || fail "$command: the merged report on the volume differs"
    cmp -s "$whole.csv" "$parts/${csv_name[$command]}" || fail "$command: the merged CSV differs"
    cmp -s "$whole.txt" "$scratch/pod.log" || fail "$command: the merge pod's log is not the report"
}
run_pod() { # run_pod COMMAND [VARIABLE=VALUE]...
    local command=${1//\/data/$scratch/volume}
    shift
    env PATH="$scratch/bin:$PATH" SHARDS=2 "$@" sh -c "$command" > "$scratch/pod.log" 2>&1 ||
        { fail "pod: $command"; cat "$scratch/pod.log"; }
}
for command in permute scan; do check_job_file "$command"; done

# The sbatch scripts submitting through an sbatch that records what it is
# given and the folder and options the script exported (only one script's
# variables are set at a time).
cat > "$scratch/bin/sbatch" <<'SH'
#!/bin/sh
echo "sbatch $* | ${PERMUTE_DIR:-}${SCAN_DIR:-} | ${PERMUTE_ARGS:-}${SCAN_ARGS:-}" >> "$SBATCH_RECORD"
echo "$(( $(wc -l < "$SBATCH_RECORD") + 100 ))"
SH
chmod +x "$scratch/bin/sbatch"
mkdir -p "$scratch/submit/prices"
cp "$scratch/volume/USD_JPY.txt" "$scratch/volume/EUR_JPY.txt" "$scratch/submit/prices/"
submit() { # submit COMMAND OPTIONS: COMMAND.sbatch for 3 shards in the folder run
    (cd "$scratch/submit" && env -u SLURM_JOB_ID PATH="$scratch/bin:$PATH" SBATCH_RECORD="$scratch/record" \
        "${1^^}_DIR=run" "${1^^}_ARGS=$2" "$cluster/$1.sbatch" 3)
}
declare -A given_args missing_args
given_args[permute]="--product USD/JPY --file prices/USD_JPY.txt --base lreg --permutations 9 --csv=out.csv"
missing_args[permute]="--product USD/JPY --file prices/missing.txt --base lreg --permutations 9"
given_args[scan]="--product USD/JPY --file prices/USD_JPY.txt --product EUR/JPY --file=prices/EUR_JPY.txt"
given_args[scan]+=" --permutations 9 --csv out.csv"
missing_args[scan]="--product USD/JPY --file prices/USD_JPY.txt --product EUR/JPY --file prices/missing.txt"
missing_args[scan]+=" --permutations 9"
absolute_prices=$scratch/submit/prices
declare -A wanted_args
wanted_args[permute]="--product USD/JPY --file $absolute_prices/USD_JPY.txt --base lreg --permutations 9"
wanted_args[permute]+=" --csv=$scratch/submit/out.csv"
wanted_args[scan]="--product USD/JPY --file $absolute_prices/USD_JPY.txt --product EUR/JPY"
wanted_args[scan]+=" --file=$absolute_prices/EUR_JPY.txt --permutations 9 --csv $scratch/submit/out.csv"
for command in permute scan; do
    : > "$scratch/record"
    printed=$(submit "$command" "${given_args[$command]}") || fail "$command: the submit failed: $printed"
    wanted=${wanted_args[$command]}
    [ "$(wc -l < "$scratch/record")" -eq 2 ] || fail "$command: not one array and one merge job: $(cat "$scratch/record")"
    grep -q -F -- "--array=1-3 --chdir=$scratch/submit/run $cluster/$command.sbatch | $scratch/submit/run | $wanted" \
        "$scratch/record" || fail "$command: the array was not given absolute paths: $(head -n1 "$scratch/record")"
    grep -q -- "--dependency=afterok:101 .*--export=ALL,${command^^}_SHARDS=3 --job-name=varkel-$command-merge " \
        "$scratch/record" || fail "$command: the merge does not wait for the array: $(tail -n1 "$scratch/record")"
    grep -q -F "varkel-cli $command $wanted --shard I/3" <<<"$printed" ||
        fail "$command: the submit does not say what it ran: $printed"
    for job in "job array 101" "merge: job 102"; do
        grep -q -F "$job" <<<"$printed" || fail "$command: the submit does not name $job: $printed"
    done
    : > "$scratch/record"
    if refused=$(submit "$command" "${missing_args[$command]}" 2>&1); then
        fail "$command: a missing price file was submitted"
    fi
    grep -q -F "cannot read the price file $absolute_prices/missing.txt" <<<"$refused" ||
        fail "$command: no reason: $refused"
    [ ! -s "$scratch/record" ] || fail "$command: sbatch ran for a missing price file"
done

# wait-job against a kubectl that answers with the conditions in a file.
cat > "$scratch/bin/kubectl" <<'SH'
#!/bin/sh
case "$*" in
    *'@.type=="Failed"'*) echo "BackoffLimitExceeded" ;;
    *) cat "$KUBECTL_CONDITIONS" ;;
esac
SH
chmod +x "$scratch/bin/kubectl"
wait_job() { # wait_job CONDITIONS TIMEOUT
    echo "$1" > "$scratch/conditions"
    PATH="$scratch/bin:$PATH" KUBECTL_CONDITIONS="$scratch/conditions" WAIT_JOB_INTERVAL=1 \
        "$cluster/wait-job" varkel-permute "$2" 2>&1
}
wait_job "SuccessCriteriaMet Complete " 1h > /dev/null || fail "wait-job: a completed job is a failure"
answer=$(wait_job "FailureTarget Failed " 1h) && fail "wait-job: a failed job is a success"
grep -q "failed: BackoffLimitExceeded" <<<"$answer" || fail "wait-job does not say why: $answer"
answer=$(wait_job "" 2s) && fail "wait-job: a running job at the timeout is a success"
grep -q "neither completed nor failed within 2s" <<<"$answer" || fail "wait-job at its timeout: $answer"

[ "$failures" -eq 0 ] && echo "the cluster files run as written"
exit "$failures"
