#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it as Debian would:
# lintian, its files and dependencies, apt's resolution, and the programs,
# manual pages, completions and AppStream data as installed from it.
#   check-package.sh BUILD_DIR VERSION
set -uo pipefail
build=$1
version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
deb="$scratch/out/orva-rs-server_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$scratch/out"; echo "FAIL: no $deb"; exit 1; }

# lintian: errors fail; warnings are shown (the README lists any that remain).
lintian "$deb" >"$scratch/lintian.log" 2>&1
grep -E '^[EW]: ' "$scratch/lintian.log"
grep -q '^E: ' "$scratch/lintian.log" && fail "lintian reports errors"

completions=$(pkg-config --variable=completionsdir bash-completion 2>/dev/null ||
              echo /usr/share/bash-completion/completions)
dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' >"$scratch/files"
for file in /usr/bin/orva-rs-server /usr/bin/melodeck /usr/bin/orva-catalogue \
    /usr/share/applications/orva-rs-server.desktop \
    /usr/share/icons/hicolor/scalable/apps/orva-rs-server.svg \
    /usr/share/icons/hicolor/48x48/apps/orva-rs-server.png \
    /usr/share/metainfo/com.orvamultimedia.rs_server.metainfo.xml \
    /usr/share/man/man1/orva-rs-server.1.gz /usr/share/man/man1/melodeck.1.gz \
    /usr/share/man/man1/orva-catalogue.1.gz \
    "$completions/melodeck" "$completions/orva-catalogue" \
    /usr/share/orva-rs-server/demo/moxiinfo.dat /usr/share/orva-rs-server/demo/moxiinfo.idx \
    /usr/share/doc/orva-rs-server/README.md /usr/share/doc/orva-rs-server/copyright \
    /usr/share/doc/orva-rs-server/changelog.gz; do
    grep -qxF "$file" "$scratch/files" || fail "the package lacks $file"
done

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for package in qt6-qpa-plugins libqt6sql6-sqlite libqt6sql6 libqt6widgets6 libqt6network6 libqt6core6 libc6; do
    [[ $depends == *"$package"* ]] || fail "Depends lacks $package: $depends"
done
apt-get install --simulate "$deb" >"$scratch/apt.log" 2>&1 ||
    { cat "$scratch/apt.log"; fail "apt cannot resolve the package's dependencies"; }

root="$scratch/root"
dpkg -x "$deb" "$root"
for program in orva-rs-server melodeck orva-catalogue; do
    out=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --version) &&
        [ "$out" = "$program $version" ] || fail "$program --version printed '$out'"
    out=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --help) &&
        [[ $out == usage:* ]] || fail "$program --help printed '$out'"
    warnings=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$program.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $program: $warnings"
done
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$scratch/as.log" 2>&1 ||
    { cat "$scratch/as.log"; fail "appstreamcli validate"; }

# What bash-completion offers at the end of a command line, from the installed scripts.
complete_line() {
    bash -c '
        . /usr/share/bash-completion/bash_completion
        . "$1/${2%% *}"
        read -ra COMP_WORDS <<<"$2"
        [[ $2 == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMP_LINE=$2 COMP_POINT=${#2}
        function=$(complete -p "${COMP_WORDS[0]}" | sed "s/.*-F \([^ ]*\).*/\1/")
        "$function" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
        printf "%s\n" "${COMPREPLY[@]}" | sort | xargs' _ "$root$completions" "$1"
}
while IFS='|' read -r line expected; do
    got=$(complete_line "$line")
    [ "$got" = "$expected" ] || fail "completing '$line' gave '$got', not '$expected'"
done <<'TABLE'
melodeck pa|page
melodeck --port 3838 page --sort t|title
melodeck --raw page --s|--size --sort
melodeck fav |add addcreate get new set
melodeck --host 127.0.0.1 ad|add
orva-catalogue g|generate
orva-catalogue dump songs.dat --order a|artist
orva-catalogue generate 10 x.txt --encoding utf|utf16 utf8 utf8-bom
TABLE

[ "$failures" -eq 0 ] && echo "package $(basename "$deb") passed" || exit 1
