#!/usr/bin/env bash
# `make windows`: cross-builds the window and the command line for Windows x86_64 with the Qt kit
# for Windows (K5_WINDOWS_KIT, default ../shared/windows: qt6.4.2-mingw64-kit.tar.xz and
# toolchain-mingw64.cmake) into build-win, and packs them with the Qt and MinGW runtime into
# build-win/k5-dipswitch-<version>-win64.zip, and into the installer
# build-win/k5-dipswitch-<version>-setup.exe (NSIS, share/k5-dipswitch.nsi). The pictures are
# the Linux build's, which `make windows` builds first.
set -euo pipefail
cd "$(dirname "$0")/.."
host_build=${1:-build}
out=build-win
kit=${K5_WINDOWS_KIT:-$(realpath -m ../shared/windows)}
archive=$kit/qt6.4.2-mingw64-kit.tar.xz
toolchain=$kit/toolchain-mingw64.cmake
if [ ! -f "$archive" ] || [ ! -f "$toolchain" ]; then
    cat >&2 <<MSG
No Qt kit for Windows in $kit (qt6.4.2-mingw64-kit.tar.xz and toolchain-mingw64.cmake).
Point K5_WINDOWS_KIT at the folder that has them, or build the kit there with its
build-qt-kit.sh (80-90 minutes on 2 cores).
MSG
    exit 1
fi

# The kit, unpacked once for each archive.
qt=$out/kit/qt6-mingw64
stamp=$out/kit/.unpacked
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$(stat -c %s-%Y "$archive")" ]; then
    rm -rf "$out/kit"
    mkdir -p "$out/kit"
    tar -xJf "$archive" -C "$out/kit"
    stat -c %s-%Y "$archive" >"$stamp"
fi

if [ ! -f "$out/build.ninja" ] || ! grep -q '^K5_PICTURES_FROM:PATH=/' "$out/CMakeCache.txt"; then
    cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_PREFIX_PATH="$(realpath "$qt")" -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DK5_PICTURES_FROM="$(realpath "$host_build")/assets/k5"
fi
cmake --build "$out"

# The program's folder: the two programs, Qt's libraries and plugins, MinGW's runtime.
version=$(sed -n 's/^project(k5-dipswitch VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=k5-dipswitch-$version-win64
folder=$out/zip/$name
rm -rf "$out/zip"
mkdir -p "$folder/platforms" "$folder/styles"
cp "$out/app/k5-dipswitch.exe" "$out/cli/k5-dipswitch-cli.exe" "$folder/"
for lib in Qt6Core Qt6Gui Qt6Widgets Qt6PrintSupport; do
    cp "$qt/bin/$lib.dll" "$folder/"
done
cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$folder/styles/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    found=$(find /usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib \
        -name "$dll" 2>/dev/null | head -n 1)
    [ -n "$found" ] || { echo "MinGW's $dll not found (apt install g++-mingw-w64-x86-64-posix)" >&2; exit 1; }
    cp "$found" "$folder/"
done
x86_64-w64-mingw32-strip --strip-unneeded "$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll
sed "s/@VERSION@/$version/" share/README-windows.txt.in | sed 's/$/\r/' >"$folder/README.txt"
# The icon of the Start menu entry and of the list of installed programs, from the window's own
# renderings; the 256 px one is kept as PNG, as Windows' own icons do.
icons=$(realpath "$host_build")/assets/k5 # the everyday build renders them
icotool -c -o "$folder/k5-dipswitch.ico" "$icons/icon16.png" "$icons/icon32.png" \
    "$icons/icon48.png" --raw="$icons/icon256.png"

rm -f "$out/$name.zip"
(cd "$out/zip" && cmake -E tar cf "../$name.zip" --format=zip "$name")
echo "$out/$name.zip: $(du -h "$out/$name.zip" | cut -f1), $(du -sh "$folder" | cut -f1) unpacked"

# The installer installs the folder's files, each named, so that the uninstaller removes exactly
# those: install.nsh and uninstall.nsh, beside a copy of the script, with the files' paths relative
# to it.
installer=$out/installer
setup=k5-dipswitch-$version-setup.exe
rm -rf "$installer"
mkdir -p "$installer"
cp share/k5-dipswitch.nsi "$installer/"
backslashed() { echo "${1//\//\\}"; }
mapfile -t subfolders < <(cd "$folder" && find . -mindepth 1 -type d -printf '%P\n' | sort)
for dir in "" "${subfolders[@]}"; do
    echo "SetOutPath \"\$INSTDIR${dir:+\\$(backslashed "$dir")}\""
    (cd "$folder/${dir:-.}" && find . -maxdepth 1 -type f -printf '%P\n' | sort) |
        while read -r f; do echo "File \"../zip/$name/${dir:+$dir/}$f\""; done
done >"$installer/install.nsh"
{
    (cd "$folder" && find . -type f -printf '%P\n' | sort) |
        while read -r f; do echo "Delete \"\$INSTDIR\\$(backslashed "$f")\""; done
    for ((i = ${#subfolders[@]} - 1; i >= 0; i--)); do
        echo "RMDir \"\$INSTDIR\\$(backslashed "${subfolders[i]}")\""
    done
} >"$installer/uninstall.nsh"
makensis -V2 -DVERSION="$version" -DFOLDER="../zip/$name" -DINCLUDES=. -DOUTFILE="../$setup" \
    "$installer/k5-dipswitch.nsi"
echo "$out/$setup: $(du -h "$out/$setup" | cut -f1)"
