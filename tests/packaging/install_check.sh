#!/usr/bin/env bash
# Installs the build into a temporary root as a package would and checks what lands there: the
# programs (run from another folder, without a display), the desktop entry, icons, AppStream data,
# manual pages and notices. With "--package" it also builds the Debian package and checks that
# its control data names the Qt runtime the programs link.
# Usage: install_check.sh BUILD_DIR [--package]
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr > "$work/install.log"
root="$work/root/usr"
expected=(
    bin/tarvik
    bin/tarvik-cli
    share/applications/com.zentrax.Tarvik.desktop
    share/metainfo/com.zentrax.Tarvik.metainfo.xml
    share/mime/packages/tarvik.xml
    share/icons/hicolor/scalable/apps/tarvik.svg
    share/man/man1/tarvik.1.gz
    share/man/man1/tarvik-cli.1.gz
    share/tarvik/demo/demo-bus.log
    share/tarvik/demo/demo.tvsx
    share/doc/tarvik/copyright
    share/doc/tarvik/examples/j1939-truck.log
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/tarvik.png")
done
for f in "${expected[@]}"; do
    [ -s "$root/$f" ] || fail "not installed: /usr/$f"
done
# Nothing but the two programs goes to bin (no test programs, no fakes).
[ "$(ls "$root/bin" | tr '\n' ' ')" = "tarvik tarvik-cli " ] || fail "bin holds: $(ls "$root/bin")"

# An icon really has its size.
if command -v file > /dev/null; then
    file "$root/share/icons/hicolor/48x48/apps/tarvik.png" | grep -q "48 x 48" \
        || fail "48x48 icon has another size"
fi

desktop="$root/share/applications/com.zentrax.Tarvik.desktop"
grep -qx 'Categories=Development;Engineering;' "$desktop" || fail "desktop entry categories"
grep -qx 'Icon=tarvik' "$desktop" || fail "desktop entry icon"
grep -q '^Exec=tarvik --demo$' "$desktop" || fail "desktop entry has no demo action"
if command -v desktop-file-validate > /dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
if command -v appstreamcli > /dev/null; then
    appstreamcli validate --no-net "$root/share/metainfo/com.zentrax.Tarvik.metainfo.xml" \
        > "$work/appstream.log" || { cat "$work/appstream.log"; fail "appstreamcli validate"; }
fi
grep -q "<release version=\"$("$root/bin/tarvik-cli" --version | awk '{print $NF}')\"" \
    "$root/share/metainfo/com.zentrax.Tarvik.metainfo.xml" || fail "AppStream release is not the program's version"
if command -v groff > /dev/null; then
    for page in tarvik tarvik-cli; do
        zcat "$root/share/man/man1/$page.1.gz" | groff -man -ww -z 2> "$work/groff.log"
        [ ! -s "$work/groff.log" ] || { cat "$work/groff.log"; fail "manual page $page"; }
    done
fi
grep -q "CSS-Electronics" "$root/share/doc/tarvik/copyright" || fail "recording notice missing"

# The installed programs answer from any folder, with no display and no build tree around.
cd "$work"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/tarvik" --version | grep -q '^Tarvik [0-9]' \
    || fail "tarvik --version"
"$root/bin/tarvik-cli" --help > "$work/help.txt" || fail "tarvik-cli --help exits non-zero"
grep -q "decode" "$work/help.txt" || fail "tarvik-cli --help does not name decode"

if [ "${2:-}" = "--package" ]; then
    command -v dpkg-shlibdeps > /dev/null || { echo "dpkg-dev missing: package not built"; exit 0; }
    (cd "$build" && cpack -G DEB -B "$work/package" > "$work/cpack.log") \
        || { cat "$work/cpack.log"; fail "cpack"; }
    deb=$(ls "$work"/package/tarvik_*_*.deb)
    depends=$(dpkg-deb -f "$deb" Depends)
    for lib in libqt5core5a libqt5gui5 libqt5widgets5 libqt5xml5 libqt5script5 libqt5serialport5; do
        echo "$depends" | grep -q "\b$lib\b" || fail "package does not depend on $lib: $depends"
    done
    dpkg-deb -c "$deb" > "$work/contents.txt"
    grep -q './usr/bin/tarvik-cli$' "$work/contents.txt" || fail "package lacks tarvik-cli"
    grep -q './usr/share/doc/tarvik/copyright$' "$work/contents.txt" \
        || fail "package lacks its copyright"
    echo "package $(basename "$deb"): Depends: $depends"
fi
echo "installation checked: ${#expected[@]} files"
