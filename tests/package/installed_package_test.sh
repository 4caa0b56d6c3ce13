#!/usr/bin/env bash
# Packs the build as the two Debian packages (cpack, dependencies from
# dpkg-shlibdeps), checks them with lintian, unpacks them into a scratch root
# with dpkg -x and checks what a user gets: the command-line package needs no
# Qt; both programs say the project's version, as do the changelog and the
# metainfo; the installed varkel-cli builds a model on the installed sample;
# the workstation, started in its bin folder, makes its start directory below
# $XDG_DATA_HOME, keeps its settings below $XDG_CONFIG_HOME and writes nothing
# next to itself; the menu entry, the metainfo and the manual pages pass their
# validators; the icon is there at every size; the price-file type names the
# samples and no other text; the container recipe takes the command-line package.
# usage: installed_package_test.sh BUILD_DIR VERSION SOURCE_DIR
set -euo pipefail
build=$1 version=$2 source_dir=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
check() { # check DESCRIPTION COMMAND...
    local description=$1
    shift
    if ! "$@" >"$scratch/out" 2>&1; then
        echo "FAIL: $description"
        cat "$scratch/out"
        failures=$((failures + 1))
    fi
}
same() { [ "$1" = "$2" ] || { echo "got '$1', wanted '$2'"; return 1; }; }
lacks() { ! grep -q "$1" <<<"$2" || { echo "'$1' in '$2'"; return 1; }; }

cpack --config "$build/CPackConfig.cmake" -B "$scratch/pack" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; exit 1; }
arch=$(dpkg --print-architecture)
cli_deb=$scratch/pack/varkel-model-cli_${version}_$arch.deb
deb=$scratch/pack/varkel-model_${version}_$arch.deb
for package in "$cli_deb" "$deb"; do
    [ -f "$package" ] || { echo "no package $package:"; ls "$scratch/pack"; exit 1; }
done
cli_depends=$(dpkg-deb --field "$cli_deb" Depends)
for library in libcurl4 libstdc++6; do
    check "varkel-model-cli depends on $library" grep -q "$library" <<<"$cli_depends"
done
check "varkel-model-cli needs no Qt" lacks qt "$cli_depends"
depends=$(dpkg-deb --field "$deb" Depends)
for library in libqt6widgets6 libqcustomplot2.1-qt6 "varkel-model-cli (= $version)"; do
    check "varkel-model depends on $library" grep -q -F "$library" <<<"$depends"
done
check "maintainer with an address" grep -q -E '<[^@ ]+@[^@ ]+>$' <<<"$(dpkg-deb --field "$deb" Maintainer)"

# Every finding fails, pedantic ones included; the packages override what
# they accept, each with its reason. The hardening flags are scripts/package's
# (dpkg-buildflags), not the test build's, and its lintian checks them.
if command -v lintian >/dev/null; then
    check "lintian" lintian --pedantic --display-info --fail-on error,warning,info,pedantic \
        --suppress-tags hardening-no-bindnow,hardening-no-fortify-functions "$cli_deb" "$deb"
else
    echo "skipped: no lintian (scripts/setup installs it)"
fi

dpkg -x "$cli_deb" "$scratch/root"
check "the command-line package alone runs" "$scratch/root/usr/bin/varkel-cli" --version
dpkg -x "$deb" "$scratch/root"
usr=$scratch/root/usr

check "varkel-cli --version" same "$("$usr/bin/varkel-cli" --version)" "varkel-cli (Varkel Model) $version"
check "varkel --version" same "$(env -u DISPLAY "$usr/bin/varkel" --version)" "varkel (Varkel Model) $version"
for package in varkel-model varkel-model-cli; do
    doc=$usr/share/doc/$package
    zcat "$doc/changelog.gz" > "$scratch/changelog"
    check "$package changelog names $version" same "$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)" "$version"
    check "$package copyright is machine-readable" grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" "$doc/copyright"
    check "$package copyright reserves all rights" grep -q "^License: all-rights-reserved" "$doc/copyright"
done
check "metainfo names release $version" grep -q "<release version=\"$version\"" \
    "$usr/share/metainfo/org.varkelmodel.varkelmodel.metainfo.xml"
mkdir "$scratch/models"
check "build on the installed sample" "$usr/bin/varkel-cli" build --product USD/JPY \
    --file "$usr/share/varkel-model/samples/USD_JPY.txt" --base lreg --no-robustness --dir "$scratch/models"
check "the model is saved" test -s "$scratch/models/USD_JPY.pfm"

home=$scratch/home
(cd "$usr/bin" && HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config QT_QPA_PLATFORM=offscreen \
    ./varkel --no-splash --open USD/JPY ../share/varkel-model/samples/USD_JPY.txt --screenshot "$scratch/shot.png") \
    >"$scratch/varkel.log" 2>&1 || { echo "FAIL: the installed workstation"; cat "$scratch/varkel.log"; failures=$((failures + 1)); }
check "start directory made on first start" test -d "$home/data/varkel-model"
check "settings below XDG_CONFIG_HOME" test -s "$home/config/Local AppWizard-Generated Applications/VarkelModel2c.conf"
check "nothing written next to the programs" same "$(ls "$usr/bin" | tr '\n' ' ')" "varkel varkel-cli "

check "desktop entry" desktop-file-validate "$usr/share/applications/org.varkelmodel.varkelmodel.desktop"
check "desktop entry starts an installed program" \
    grep -qx "Exec=varkel %f" "$usr/share/applications/org.varkelmodel.varkelmodel.desktop"
check "metainfo" appstreamcli validate --pedantic --no-net "$usr/share/metainfo/org.varkelmodel.varkelmodel.metainfo.xml"
icons=$usr/share/icons/hicolor
check "scalable icon" test -s "$icons/scalable/apps/varkel-model.svg"
for size in 16 24 32 48 64 128 256; do
    check "${size}px icon" same "$(identify -format %wx%h "$icons/${size}x$size/apps/varkel-model.png")" "${size}x$size"
done
for program in varkel varkel-cli; do
    check "bash completion of $program" test -s "$usr/share/bash-completion/completions/$program"
done

for page in varkel varkel-cli; do
    file=$usr/share/man/man1/$page.1.gz
    check "$page(1) renders without warnings" same "$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null)" ""
done
page=$(zcat "$usr/share/man/man1/varkel-cli.1.gz")
for section in SYNOPSIS "EXIT STATUS" COMMANDS CLUSTER FILES EXAMPLES; do
    check "varkel-cli(1) has $section" grep -q "^\.SH \"\?$section\"\?\$" <<<"$page"
done
description=$(sed -n '/^\.SH DESCRIPTION/,/^\.SH/p' <<<"$page")
check "varkel-cli(1) has a permutation test among its examples" \
    grep -q -F 'varkel\-cli permute' <<<"$(sed -n '/^\.SH EXAMPLES/,/^\.SH/p' <<<"$page")"
for command in $("$usr/bin/varkel-cli" --help | sed -n '/^commands:$/,$ s/^  \([a-z][a-z0-9-]*\) .*/\1/p'); do
    check "varkel-cli(1) describes $command" grep -q "^\.SS $command\$" <<<"$page"
    check "varkel-cli(1) names $command in its description" grep -q -F "\fB$command\fR" <<<"$description"
done

# The type database of the installation alone: a sample, a price file without
# an ending, and a price file of the user's own name, which stays plain text
# like every other .txt file.
update-mime-database "$usr/share/mime" >/dev/null 2>&1
mkdir "$scratch/files"
cp "$usr/share/varkel-model/samples/EUR_JPY.txt" "$scratch/files/"
cp "$usr/share/varkel-model/samples/EUR_JPY.txt" "$scratch/files/prices"
cp "$usr/share/varkel-model/samples/EUR_JPY.txt" "$scratch/files/my-prices.txt"
typeOf() { XDG_DATA_HOME=$scratch/none XDG_DATA_DIRS=$usr/share:/usr/share gio info -a standard::content-type "$1" |
    sed -n 's/.*content-type: //p'; }
check "a sample is a price history" same "$(typeOf "$scratch/files/EUR_JPY.txt")" application/x-varkel-price-history
check "a price file without ending too" same "$(typeOf "$scratch/files/prices")" application/x-varkel-price-history
check "another .txt stays text" same "$(typeOf "$scratch/files/my-prices.txt")" text/plain

check "the container recipe" bash "$source_dir/tests/package/container_recipe_test.sh" "$source_dir" "$scratch/pack"

[ "$failures" -eq 0 ] && echo "the installed packages are complete"
exit "$failures"
