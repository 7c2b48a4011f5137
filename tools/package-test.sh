#!/usr/bin/env bash
# Builds the Debian package of a build tree, unpacks it into a throw-away root and runs both
# programs from there with an empty home, as on a machine that has nothing of Trimvale but the
# package. Usage: tools/package-test.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package test: $*" >&2; exit 1; }

# gzip: the sanitizer build's binaries are large and xz would take most of the test's time.
if ! (cd "$build" && cpack -G DEB -B "$work/pkg" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip) >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack failed"
fi
deb=$(find "$work/pkg" -maxdepth 1 -name '*.deb' | head -n 1)
[ -n "$deb" ] || fail "no .deb written"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libstdc++6 libqt6widgets6 libqt6webenginewidgets6; do
  [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/trimvale usr/bin/trimvale-cli \
         usr/share/trimvale/tageinst.txt usr/share/trimvale/profile.txt usr/share/trimvale/tips.txt \
         usr/share/trimvale/vnm.htm usr/share/trimvale/help/index.htm \
         usr/share/trimvale/help/das_dialogfeld_optimieren.htm \
         usr/share/applications/trimvale.desktop usr/share/icons/hicolor/scalable/apps/trimvale.svg \
         usr/share/icons/hicolor/16x16/apps/trimvale.png usr/share/icons/hicolor/256x256/apps/trimvale.png; do
  [ -e "$root/$f" ] || fail "missing $f"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/trimvale.desktop"
fi

# Nothing of the build tree or of this user may help the unpacked programs along.
export HOME="$work/home"
mkdir -p "$HOME"
unset XDG_DATA_HOME XDG_CONFIG_HOME TRIMVALE_HOME TRIMVALE_SETTINGS
cd "$work"
printf '<html><body><p><span>eins</span> <o:p></o:p></p></body></html>\r\n' >seite.htm
"$root/usr/bin/trimvale-cli" optimize seite.htm -o sauber.htm 2>cli.log || { cat cli.log >&2; fail "optimize failed"; }
grep -q eins sauber.htm || fail "optimized page lost its text"
! grep -q '<span>' sauber.htm || fail "page was not optimized"
# The per-user program folder was seeded from the package's rule files.
cmp -s "$HOME/.local/share/trimvale/tageinst.txt" "$root/usr/share/trimvale/tageinst.txt" ||
  fail "the program folder was not seeded from the package"
version=$("$root/usr/bin/trimvale" --version)
[[ "$version" == "trimvale "* ]] || fail "trimvale --version said: $version"
echo "package test: $(basename "$deb") installs and runs ($version)"
