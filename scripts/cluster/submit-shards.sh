# shellcheck shell=bash
# The submit side shared by permute.sbatch and scan.sbatch, sourced when one
# of them runs outside a job. The tasks run in the parts folder, so relative
# paths given at the submit are made absolute from the folder it runs in.

# PATH made absolute from the current folder; a bare program name stays as it is.
# usage: absolute PATH path|program
absolute() {
    case $1 in
        /*) printf '%s' "$1" ;;
        */*) printf '%s/%s' "$(pwd)" "${1#./}" ;;
        *) [ "$2" = program ] && printf '%s' "$1" || printf '%s/%s' "$(pwd)" "$1" ;;
    esac
}

# Prints the command's OPTIONS (one string, paths without blanks) with the
# paths of --file, --csv, --dir and --part made absolute. Fails, saying so,
# when a price file (every --file) cannot be read: nothing is submitted then.
# usage: absolute_options OPTIONS
absolute_options() {
    local given words=() path_next="" word price_files=() price_file
    read -r -a given <<<"$1"
    for word in "${given[@]}"; do
        if [ -n "$path_next" ]; then
            word=$(absolute "$word" path)
            [ "$path_next" = --file ] && price_files+=("$word")
            path_next=""
        else
            case $word in
                --file | --csv | --dir | --part) path_next=$word ;;
                --file=* | --csv=* | --dir=* | --part=*)
                    word=${word%%=*}=$(absolute "${word#*=}" path)
                    case $word in --file=*) price_files+=("${word#*=}") ;; esac ;;
            esac
        fi
        words+=("$word")
    done
    for price_file in "${price_files[@]}"; do
        if [ ! -r "$price_file" ]; then
            echo "$0: cannot read the price file $price_file; nothing submitted" >&2
            return 1
        fi
    done
    printf '%s' "${words[*]}"
}

# Submits the calling script as a job array of SHARDS tasks running in DIR
# and, depending on every task's success, its merge job (named NAME-merge,
# with SHARDS_VARIABLE=SHARDS in its environment). Sets `array` and `merge`
# to the two job ids. Extra sbatch options come from SBATCH_OPTIONS.
# usage: submit_shards NAME SHARDS DIR SHARDS_VARIABLE
submit_shards() {
    local name=$1 shards=$2 dir=$3 shards_variable=$4
    mkdir -p "$dir"
    # shellcheck disable=SC2086
    array=$(sbatch --parsable ${SBATCH_OPTIONS:-} --array=1-"$shards" --chdir="$dir" "$0")
    array=${array%%;*}
    # shellcheck disable=SC2086
    merge=$(sbatch --parsable ${SBATCH_OPTIONS:-} --dependency=afterok:"$array" --kill-on-invalid-dep=yes \
        --export=ALL,"$shards_variable"="$shards" --job-name="$name"-merge --output="$name"-merge-%j.log \
        --chdir="$dir" "$0")
    merge=${merge%%;*}
}
