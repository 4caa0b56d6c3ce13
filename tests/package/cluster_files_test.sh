#!/usr/bin/env bash
# Runs the cluster files as far as this machine can without a cluster: they
# pass yamllint and shellcheck; the Kubernetes Job's shard and merge commands,
# run here by sh with a folder for the volume, merge to the same report as the
# run in one piece and leave it on the volume; permute.sbatch, with an sbatch
# that only records, submits relative paths as absolute ones, prints what it
# submitted and submits nothing for a price file it cannot read; wait-job
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
    yamllint --strict "$cluster/permute-job.yaml" || fail "yamllint: permute-job.yaml"
else
    echo "skipped: no yamllint (scripts/setup installs it)"
fi
if command -v shellcheck >/dev/null; then
    shellcheck "$cluster/permute.sbatch" "$cluster/wait-job" || fail "shellcheck"
else
    echo "skipped: no shellcheck (scripts/setup installs it)"
fi

# A small run: 4 permutations of LREG on the first 300 days of the sample.
mkdir -p "$scratch/bin" "$scratch/volume"
ln -s "$cli" "$scratch/bin/varkel-cli"
head -n 300 "$source_dir/samples/USD_JPY.txt" > "$scratch/volume/USD_JPY.txt"
whole_args="--product USD/JPY --file $scratch/volume/USD_JPY.txt --base lreg --permutations 4 --seed 7"
# shellcheck disable=SC2086
"$cli" permute $whole_args --csv "$scratch/whole.csv" > "$scratch/whole.txt" 2>/dev/null || fail "the whole run"
# The merge reads no price file: the whole run's data-quality note that ends
# its report ("The history has ...") has no counterpart there.
sed -i '/^The history has /,$d; /^history: /,$d' "$scratch/whole.txt"

# The pods' commands as the Job gives them, /data being the volume's folder here.
commands=$(python3 - "$cluster/permute-job.yaml" <<'PY'
import sys, yaml
for document in yaml.safe_load_all(open(sys.argv[1])):
    for container in document.get("spec", {}).get("template", {}).get("spec", {}).get("containers", []):
        print(container["name"] + "\t" + " ".join(container["command"][2:] + container["args"]))
PY
) || fail "the Job file does not read as YAML"
shard_command=$(sed -n 's/^shard\t//p' <<<"$commands")
merge_command=$(sed -n 's/^merge\t//p' <<<"$commands")
if [ -z "$shard_command" ] || [ -z "$merge_command" ]; then fail "no shard or merge container"; fi
run_pod() { # run_pod COMMAND [VARIABLE=VALUE]...
    local command=${1//\/data/$scratch/volume}
    shift
    env PATH="$scratch/bin:$PATH" SHARDS=2 "$@" sh -c "$command" > "$scratch/pod.log" 2>&1 ||
        { fail "pod: $command"; cat "$scratch/pod.log"; }
}
for index in 0 1; do
    run_pod "$shard_command" JOB_COMPLETION_INDEX=$index \
        PERMUTE_ARGS="$whole_args"
done
run_pod "$merge_command"
cmp -s "$scratch/whole.txt" "$scratch/volume/parts/report.txt" || fail "the merged report on the volume differs"
cmp -s "$scratch/whole.csv" "$scratch/volume/parts/permuted-returns.csv" || fail "the merged returns differ"
cmp -s "$scratch/whole.txt" "$scratch/pod.log" || fail "the merge pod's log is not the report"

# permute.sbatch submitting through an sbatch that records what it is given.
cat > "$scratch/bin/sbatch" <<'SH'
#!/bin/sh
echo "sbatch $* | $PERMUTE_DIR | $PERMUTE_ARGS" >> "$SBATCH_RECORD"
echo "$(( $(wc -l < "$SBATCH_RECORD") + 100 ))"
SH
chmod +x "$scratch/bin/sbatch"
mkdir -p "$scratch/submit/prices"
cp "$scratch/volume/USD_JPY.txt" "$scratch/submit/prices/"
submit() { # submit PERMUTE_ARGS
    (cd "$scratch/submit" && env -u SLURM_JOB_ID PATH="$scratch/bin:$PATH" SBATCH_RECORD="$scratch/record" \
        PERMUTE_DIR=run PERMUTE_ARGS="$1" "$cluster/permute.sbatch" 3)
}
: > "$scratch/record"
printed=$(submit "--product USD/JPY --file prices/USD_JPY.txt --base lreg --permutations 9 --csv=out.csv") ||
    fail "the submit failed: $printed"
wanted_args="--product USD/JPY --file $scratch/submit/prices/USD_JPY.txt --base lreg --permutations 9"
wanted_args="$wanted_args --csv=$scratch/submit/out.csv"
[ "$(wc -l < "$scratch/record")" -eq 2 ] || fail "not one array and one merge job: $(cat "$scratch/record")"
grep -q -- "--array=1-3 --chdir=$scratch/submit/run .* | $scratch/submit/run | $wanted_args\$" "$scratch/record" ||
    fail "the array was not given absolute paths: $(head -n1 "$scratch/record")"
grep -q -- "--dependency=afterok:101 " "$scratch/record" || fail "the merge does not wait for the array"
grep -q -F "varkel-cli permute $wanted_args --shard I/3" <<<"$printed" || fail "the submit does not say what it ran: $printed"
for job in "job array 101" "merge: job 102"; do
    grep -q -F "$job" <<<"$printed" || fail "the submit does not name $job: $printed"
done
: > "$scratch/record"
if refused=$(submit "--product USD/JPY --file prices/missing.txt --base lreg --permutations 9" 2>&1); then
    fail "a missing price file was submitted"
fi
grep -q -F "cannot read the price file $scratch/submit/prices/missing.txt" <<<"$refused" || fail "no reason: $refused"
[ ! -s "$scratch/record" ] || fail "sbatch ran for a missing price file"

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
