#!/usr/bin/env bash
# Builds the Debian package from this build tree into a scratch folder, unpacks it as dpkg
# would install it, and checks what a desktop and a technician need from it: the programs,
# the desktop entry, the icons, the AppStream metadata, the manual pages, the command line's
# completion and the declared dependencies.
#
# Usage: check-package.sh <cpack> <CPackConfig.cmake> <version>
set -uo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 <cpack> <CPackConfig.cmake> <version>" >&2
    exit 2
fi
cpack=$1
config=$2
version=$3

app=k5-dipswitch
cli=k5-dipswitch-cli
sim=k5-transmitter-sim
icon_sizes=(16 32 48 64 128 256)
# Packages the programs need that the linker does not show: the font that stands in for
# Arial in the window and on the code sheet. The Qt libraries are named here as well so that
# a dependency dropped by mistake shows up by name, not only through the linker check below.
required_depends=(libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6printsupport6
                  fonts-liberation)

passed=0
failed=0
pass() {
    echo "ok   - $*"
    passed=$((passed + 1))
}
fail() {
    echo "FAIL - $*"
    failed=$((failed + 1))
}
# check <what> <command...>: the command's success is the check's.
check() {
    local what=$1
    shift
    if "$@"; then
        pass "$what"
    else
        fail "$what"
        return 1
    fi
}
need_tool() {
    command -v "$1" >/dev/null || {
        echo "FAIL - $1 not found (Debian package $2)"
        exit 1
    }
}
need_tool dpkg-deb dpkg
need_tool desktop-file-validate desktop-file-utils
need_tool appstreamcli appstream
need_tool groff groff-base
need_tool readelf binutils

scratch=$(mktemp -d -t k5-package.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

# ---- The package ---------------------------------------------------------------------------

if ! "$cpack" -G DEB --config "$config" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log"
    echo "FAIL - cpack could not build the package"
    exit 1
fi
shopt -s nullglob
debs=("$scratch"/out/*.deb)
shopt -u nullglob
if [ ${#debs[@]} -ne 1 ]; then
    echo "FAIL - cpack made ${#debs[@]} packages, expected one"
    exit 1
fi
deb=${debs[0]}
root=$scratch/root
if ! dpkg -x "$deb" "$root"; then
    echo "FAIL - dpkg -x could not unpack $(basename "$deb")"
    exit 1
fi

field() { dpkg-deb -f "$deb" "$1"; }
check "package name is $app" test "$(field Package)" = "$app"
check "package version is $version" test "$(field Version)" = "$version"
check "architecture is this machine's" test "$(field Architecture)" = "$(dpkg --print-architecture)"
check "file name follows Debian's name_version_arch.deb" \
    test "$(basename "$deb")" = "${app}_${version}_$(dpkg --print-architecture).deb"
owners=$(dpkg-deb -c "$deb" | awk '{ print $2 }' | sort -u)
check "every file belongs to root/root (got: ${owners//$'\n'/ })" test "$owners" = "root/root"

# Nothing lands outside the places a desktop application uses (no /usr/local, no build paths,
# no headers or libraries).
strays=$(cd "$root" && find . ! -type d | sed 's|^\./||' |
    grep -Ev '^usr/(bin/[^/]+|share/(applications/[^/]+\.desktop|bash-completion/completions/[^/]+|metainfo/[^/]+\.metainfo\.xml|icons/hicolor/[^/]+/apps/[^/]+|man/man1/[^/]+\.1(\.gz)?|doc/'"$app"'/.+))$')
check "no file outside the usual places${strays:+: ${strays//$'\n'/ }}" test -z "$strays"

# ---- Programs ------------------------------------------------------------------------------

for prog in "$app" "$cli" "$sim"; do
    bin=$root/usr/bin/$prog
    if [ ! -f "$bin" ]; then
        fail "usr/bin/$prog is missing"
        continue
    fi
    check "usr/bin/$prog is executable" test -x "$bin"
    rpath=$(readelf -d "$bin" | grep -E 'R(UN)?PATH' || true)
    check "usr/bin/$prog has no RPATH into the build tree${rpath:+: $rpath}" test -z "$rpath"
    check "usr/bin/$prog is stripped of debugging information" \
        bash -c "! readelf -S --wide '$bin' | grep -q '\.debug_info'"
done

help=$("$root/usr/bin/$sim" --help 2>&1)
status=$?
check "$sim --help from the package runs (status $status)" test "$status" -eq 0
check "$sim --help opens with its usage line" test "${help%%$'\n'*}" = "Usage: $sim [options]"

cli_help=$("$root/usr/bin/$cli" --help 2>&1)
status=$?
check "$cli --help from the package runs (status $status)" test "$status" -eq 0
check "$cli --help opens with its usage line" \
    test "${cli_help%%$'\n'*}" = "Usage: $cli [options] command [arguments]"
# The command line serves machines without a desktop: no GUI library may come with it.
gui=$(readelf -d "$root/usr/bin/$cli" | grep -oE 'libQt6(Gui|Widgets|PrintSupport)[^]]*' || true)
check "$cli links no GUI library${gui:+: $gui}" test -z "$gui"

# The window starts from the package and keeps running (off screen) until it is stopped:
# timeout's status 124 says it was still there after two seconds.
QT_QPA_PLATFORM=offscreen timeout -s TERM 2 "$root/usr/bin/$app" >"$scratch/app.log" 2>&1
status=$?
check "$app from the package starts and keeps running (status $status)" test "$status" -eq 124 ||
    cat "$scratch/app.log"

# ---- Dependencies --------------------------------------------------------------------------

depends=$(field Depends)
declared=()
while IFS= read -r name; do
    [ -n "$name" ] && declared+=("$name")
done < <(tr ',|' '\n' <<<"$depends" | sed -E 's/\(.*\)//; s/^ +//; s/ +$//')
echo "     Depends: $depends"

is_declared() {
    local n
    for n in "${declared[@]}"; do [ "$n" = "$1" ] && return 0; done
    return 1
}
for name in "${required_depends[@]}"; do
    check "Depends names $name" is_declared "$name"
done

# Every declared name must be a real package: the build machine has them all installed, since
# building and testing need the same libraries and the font.
for name in "${declared[@]}"; do
    installed=$(dpkg-query -W -f='${Status} ${Version}' "$name" 2>/dev/null)
    if [[ "$installed" != "install ok installed "* ]]; then
        fail "declared dependency $name is not a package installed here (misspelt?)"
        continue
    fi
    pass "declared dependency $name is a Debian package"
    minimum=$(grep -oE "(^|, )$name \(>= [^)]+\)" <<<"$depends" | sed -E 's/.*>= ([^)]+)\)/\1/')
    if [ -n "$minimum" ]; then
        have=${installed##* }
        check "$name $have here satisfies >= $minimum" dpkg --compare-versions "$have" ge "$minimum"
    fi
done

# Every shared library the programs load directly must come with a declared package, or with a
# package one of those depends on (libc6, libstdc++6 through the Qt libraries).
covered=" ${declared[*]} "
for name in "${declared[@]}"; do
    for dep in $(dpkg-query -W -f='${Depends}, ${Pre-Depends}' "$name" 2>/dev/null | tr ',|' '\n' |
        sed -E 's/\(.*\)//; s/:any//; s/ //g'); do
        covered+="$dep "
    done
done
owner_of() {
    # /lib and /usr/lib are one folder on Debian 12, but dpkg knows each file by one of them.
    local path=$1 alt owner
    case "$path" in
    /usr/*) alt=${path#/usr} ;;
    *) alt=/usr$path ;;
    esac
    owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$alt" 2>/dev/null) || return 1
    owner=${owner%%:*}
    echo "${owner%%,*}"
}
for prog in "$app" "$cli" "$sim"; do
    bin=$root/usr/bin/$prog
    [ -f "$bin" ] || continue
    loaded=$(ldd "$bin" 2>/dev/null)
    for soname in $(readelf -d "$bin" | sed -nE 's/.*\(NEEDED\).*\[(.*)\]/\1/p'); do
        path=$(awk -v s="$soname" '$1 == s && $2 == "=>" { print $3 }' <<<"$loaded")
        if [ -z "$path" ] || [ "$path" = "not" ]; then
            fail "$prog: $soname is not found on this machine"
            continue
        fi
        if ! package=$(owner_of "$path"); then
            fail "$prog: no package owns $path"
            continue
        fi
        if [[ "$covered" == *" $package "* ]]; then
            pass "$prog: $soname comes with $package"
        else
            fail "$prog: $soname comes with $package, which Depends does not bring"
        fi
    done
done

# ---- Desktop entry -------------------------------------------------------------------------

desktop=$root/usr/share/applications/$app.desktop
if [ -f "$desktop" ]; then
    complaints=$(desktop-file-validate "$desktop" 2>&1)
    status=$?
    check "desktop-file-validate accepts $app.desktop${complaints:+: $complaints}" \
        test "$status" -eq 0 -a -z "$complaints"
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    exec_prog=${exec_line%% *}
    check "the entry starts usr/bin/$exec_prog, which the package holds" \
        test -n "$exec_prog" -a -x "$root/usr/bin/$exec_prog"
    icon_name=$(sed -n 's/^Icon=//p' "$desktop")
    check "the entry's icon is '$app' (got '$icon_name')" test "$icon_name" = "$app"
else
    fail "usr/share/applications/$app.desktop is missing"
fi

# ---- Icons ---------------------------------------------------------------------------------

# A PNG's width and height are the big-endian words at bytes 16 and 20 (the IHDR chunk).
png_size() {
    local bytes
    read -ra bytes < <(od -An -tu1 -j16 -N8 "$1")
    [ ${#bytes[@]} -eq 8 ] || return 1
    echo "$(((bytes[0] << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3]))x$(((bytes[4] << 24) | (bytes[5] << 16) | (bytes[6] << 8) | bytes[7]))"
}
for size in "${icon_sizes[@]}"; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$app.png
    if [ ! -f "$png" ]; then
        fail "icon ${size}x${size} is missing"
        continue
    fi
    signature=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    got=$(png_size "$png")
    check "icon ${size}x${size} is a PNG of ${size}x${size} pixels (got $got)" \
        test "$signature" = "89504e470d0a1a0a" -a "$got" = "${size}x${size}"
done
svg=$root/usr/share/icons/hicolor/scalable/apps/$app.svg
check "the scalable icon is an SVG" grep -q '<svg' "$svg"

# ---- AppStream metadata --------------------------------------------------------------------

shopt -s nullglob
metainfos=("$root"/usr/share/metainfo/*.metainfo.xml)
shopt -u nullglob
if [ ${#metainfos[@]} -eq 1 ]; then
    metainfo=${metainfos[0]}
    report=$(appstreamcli validate --no-net "$metainfo" 2>&1)
    status=$?
    check "appstreamcli validate accepts $(basename "$metainfo")" test "$status" -eq 0 ||
        echo "$report"
    report=$(appstreamcli validate-tree --no-net "$root" 2>&1)
    status=$?
    check "appstreamcli validate-tree accepts the unpacked tree" test "$status" -eq 0 ||
        echo "$report"
    id=$(sed -nE 's|.*<id>([^<]*)</id>.*|\1|p' "$metainfo" | head -n 1)
    check "the component id '$id' names its file" \
        test "$(basename "$metainfo")" = "$id.metainfo.xml"
    launchable=$(sed -nE 's|.*<launchable type="desktop-id">([^<]*)</launchable>.*|\1|p' "$metainfo")
    check "the component launches $launchable, which the package holds" \
        test "$launchable" = "$app.desktop" -a -f "$root/usr/share/applications/$launchable"
    for binary in $(sed -nE 's|.*<binary>([^<]*)</binary>.*|\1|p' "$metainfo"); do
        check "the component's binary $binary is in usr/bin" test -x "$root/usr/bin/$binary"
    done
    release=$(sed -nE 's|.*<release [^>]*version="([^"]*)".*|\1|p' "$metainfo" | head -n 1)
    check "the newest release listed ($release) is the package's version" \
        test "$release" = "$version"
else
    fail "expected one file in usr/share/metainfo, found ${#metainfos[@]}"
fi

# ---- Manual pages --------------------------------------------------------------------------

# The page as a terminal shows it, without bold or underline.
man_text() { zcat "$1" | groff -man -Tascii -P-c -P-b -P-u 2>/dev/null; }
for prog in "$app" "$cli" "$sim"; do
    page=$root/usr/share/man/man1/$prog.1.gz
    if [ ! -f "$page" ]; then
        fail "usr/share/man/man1/$prog.1.gz is missing"
        continue
    fi
    check "the manual page of $prog is sound gzip" gzip -t "$page"
    th=$(zcat "$page" | grep -m1 '^\.TH')
    check "the manual page of $prog is headed for section 1 of $app $version" \
        grep -qE "^\.TH ${prog^^} \"?1\"? (\"[^\"]*\"|[^ ]+) \"$app $version\"" <<<"$th"
    warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)
    check "groff renders the manual page of $prog without warnings${warnings:+: $warnings}" \
        test -z "$warnings"
    if command -v lexgrog >/dev/null; then
        check "the manual page of $prog has a NAME line for whatis" \
            bash -c "zcat '$page' > '$scratch/$prog.1' && lexgrog '$scratch/$prog.1' | grep -q '\"$prog - '"
    fi
done

# keeps_up <page> <help> <program> <section> <entry>: the page names every option of the --help
# text and every entry of its section (the simulator's fault kinds, the command line's commands).
keeps_up() {
    local page_text option entries entry
    page_text=$(man_text "$1")
    for option in $(grep -oE -- '--[a-z][a-z-]+' <<<"$2" | sort -u); do
        check "the page of $3 describes $option" grep -qF -- "$option" <<<"$page_text"
    done
    entries=$(sed -n "/^$4:/,/^\$/p" <<<"$2" | sed -nE 's/^  ([a-z][a-z:-]*[A-Z]*) .*/\1/p')
    check "$3 --help lists its $5s" test -n "$entries"
    for entry in $entries; do
        check "the page of $3 describes the $5 $entry" grep -qE -- "^ +$entry( |$)" <<<"$page_text"
    done
}
# The simulator's page is written by hand; the command line's is written from its --help, which
# this checks was done with the program as it is.
sim_page=$root/usr/share/man/man1/$sim.1.gz
[ -f "$sim_page" ] && keeps_up "$sim_page" "$help" "$sim" "Fault kinds" "fault kind"
cli_page=$root/usr/share/man/man1/$cli.1.gz
[ -f "$cli_page" ] && keeps_up "$cli_page" "$cli_help" "$cli" "Commands" "command"

# ---- Completion ----------------------------------------------------------------------------

completion=$root/usr/share/bash-completion/completions/$cli
if [ -f "$completion" ]; then
    completed=$(bash -c 'source "$1"; COMP_WORDS=(k5-dipswitch-cli ma); COMP_CWORD=1
        _k5_dipswitch_cli; echo "${COMPREPLY[*]}"' - "$completion" 2>&1)
    check "the completion completes the command map (got '$completed')" test "$completed" = map
else
    fail "usr/share/bash-completion/completions/$cli is missing"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
