#!/usr/bin/env bash
# Checks the container recipe packaging/Containerfile as far as this machine
# can without a registry: its base is Debian 12, it copies the command-line
# package by the name CPack gives it, every RUN command passes shellcheck;
# with PACKAGE_DIR (the folder cpack wrote), the command-line package's
# dependencies resolve on this Debian without any Qt library (what apt does in
# the recipe), the recipe's steps run in a Debian 12 chroot (mmdebstrap, as
# root, with Debian's mirror in reach), and a container engine, when one
# answers, builds the image and runs varkel-cli in it. Each of the last two
# says so when it cannot run here.
# usage: container_recipe_test.sh SOURCE_DIR [PACKAGE_DIR]
set -uo pipefail
source_dir=$1 packages=${2:+$(realpath "$2")}
recipe=$source_dir/packaging/Containerfile
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
skip() { echo "skipped: $*"; }

# The instructions with their continuation lines joined, comments left out.
instructions=$(sed -e '/^[[:space:]]*#/d' "$recipe" | sed -e ':join' -e '/\\$/{N;s/\\\n//;b join}' | grep -v '^[[:space:]]*$')
grep -q -E '^FROM [^ ]*debian:(12|bookworm)([-.][a-z0-9.-]+)?$' <<<"$instructions" || fail "the base is not Debian 12"
[ "$(grep -c '^FROM ' <<<"$instructions")" -eq 1 ] || fail "more than one stage"
grep -q -E '^COPY varkel-model-cli_\*\.deb ' <<<"$instructions" || fail "the command-line package is not copied"
grep -q 'libqt\|varkel-model_' <<<"$instructions" && fail "the recipe names the workstation or Qt"
grep -q -E '^USER ' <<<"$instructions" || fail "the image runs as root"

if command -v shellcheck >/dev/null; then
    while IFS= read -r command; do
        shellcheck -s sh - <<<"$command" || fail "shellcheck: $command"
    done < <(sed -n 's/^RUN //p' <<<"$instructions")
else
    skip "no shellcheck (scripts/setup installs it)"
fi

if [ -n "$packages" ]; then
    shopt -s nullglob
    debs=("$packages"/varkel-model-cli_*.deb)
    if [ ${#debs[@]} -ne 1 ]; then
        fail "the recipe's glob varkel-model-cli_*.deb matches ${#debs[@]} files in $packages"
    elif ! apt-cache show libc6 >/dev/null 2>&1; then
        skip "apt has no package lists (apt-get update): the installation was not simulated"
    else
        # What "apt-get install ./varkel-model-cli_*.deb" in the recipe would install.
        if installs=$(apt-get install --simulate --no-install-recommends "${debs[0]}" 2>&1); then
            grep -i '^Inst .*qt' <<<"$installs" && fail "installing the command-line package brings in Qt"
        else
            fail "the command-line package does not install on this Debian:"
            echo "$installs"
        fi
    fi
    # The recipe's steps in a Debian 12 chroot, as an engine would run them
    # in the image: COPY into it, each RUN as root, then varkel-cli as USER
    # in WORKDIR. A mirror that cannot be reached skips, a step that fails fails.
    if ! command -v mmdebstrap >/dev/null || [ "$(id -u)" -ne 0 ]; then
        skip "no mmdebstrap or not root: the recipe's steps did not run in a Debian 12 chroot"
    elif [ ${#debs[@]} -eq 1 ]; then
        root=$(mktemp -d)
        trap 'rm -rf "$root"' EXIT
        if ! mmdebstrap --quiet --variant=apt bookworm "$root" >"$root.log" 2>&1; then
            skip "no Debian 12 root could be made (mirror unreachable?): $(tail -n1 "$root.log")"
        else
            while read -r _ from to; do
                # shellcheck disable=SC2086 # the source is a glob
                cp "$packages"/$from "$root$to"
            done < <(grep '^COPY ' <<<"$instructions")
            while IFS= read -r command; do
                chroot "$root" /bin/sh -c "$command" >"$root.log" 2>&1 ||
                    { fail "in the chroot: $command"; tail -n 20 "$root.log"; }
            done < <(sed -n 's/^RUN //p' <<<"$instructions")
            user=$(sed -n 's/^USER //p' <<<"$instructions")
            workdir=$(sed -n 's/^WORKDIR //p' <<<"$instructions")
            mkdir -p "$root$workdir" && chown "$user" "$root$workdir"
            chroot --userspec="$user" "$root" /bin/sh -c "cd $workdir && varkel-cli --version" >/dev/null ||
                fail "varkel-cli does not run as $user in $workdir"
            # shellcheck disable=SC2016 # dpkg-query's own field syntax
            chroot "$root" dpkg-query -W -f='${Package}\n' | grep -i qt && fail "the image holds Qt"
        fi
        rm -f "$root.log"
    fi

    # An engine that answers: a docker command without its daemon builds nothing.
    engine=""
    for candidate in podman buildah docker; do
        command -v "$candidate" >/dev/null && "$candidate" info >/dev/null 2>&1 && { engine=$candidate; break; }
    done
    if [ -z "$engine" ]; then
        skip "no working container engine (podman, buildah or docker): the image was not built"
    elif [ ${#debs[@]} -eq 1 ]; then
        tag=localhost/varkel-model-cli-test:$$
        build=build
        [ "$engine" = buildah ] && build=bud
        context=$(mktemp -d)
        cp "${debs[0]}" "$context/"
        if "$engine" "$build" -f "$recipe" -t "$tag" "$context"; then
            [ "$engine" = buildah ] || "$engine" run --rm "$tag" varkel-cli --version ||
                fail "varkel-cli does not run in the image"
            "$engine" rmi "$tag" >/dev/null 2>&1 || true
        else
            fail "the image does not build"
        fi
        rm -rf "$context"
    fi
fi

[ "$failures" -eq 0 ] && echo "the container recipe is sound"
exit "$failures"
