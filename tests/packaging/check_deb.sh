#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the build tree's programs, unpacks it into a scratch
# folder and uses it from there: its files are where a desktop looks for them, its
# orbitra-render answers --help, draws a picture and compiles a typed map with the
# package's own helper, its control data is complete, and lintian (when installed)
# finds no error and no warning in it.
set -euo pipefail
build="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 || {
  cat "$scratch/cpack.log"; exit 1; }
deb="$(ls "$scratch"/out/*.deb)"
dpkg-deb -x "$deb" "$scratch/root"

root="$scratch/root/usr"
for f in bin/orbitra bin/orbitra-render libexec/orbitra/orbitra-compile-map \
         share/applications/io.github.orbitra.orbitra.desktop \
         share/metainfo/io.github.orbitra.orbitra.metainfo.xml \
         share/mime/packages/io.github.orbitra.orbitra.xml \
         share/icons/hicolor/scalable/apps/io.github.orbitra.orbitra.svg \
         share/icons/hicolor/16x16/apps/io.github.orbitra.orbitra.png \
         share/icons/hicolor/512x512/apps/io.github.orbitra.orbitra.png \
         share/man/man1/orbitra.1.gz share/man/man1/orbitra-render.1.gz \
         share/doc/orbitra/copyright share/doc/orbitra/changelog.Debian.gz \
         share/doc/orbitra/README.md share/doc/orbitra/session-format.md \
         share/doc/orbitra/docs/guide-window.md share/doc/orbitra/docs/guide-clusters.md \
         share/doc/orbitra/docs/phase-space-megno-standard-map.png share/doc/orbitra/docs/session-format.md; do
  [ -e "$root/$f" ] || { echo "missing from the package: /usr/$f"; exit 1; }
done

# Read the whole help first: grep -q would close the pipe early, and the pipeline would fail.
help="$("$root/bin/orbitra-render" --help)"
grep -q -- "--save-session" <<<"$help" || { echo "--help lacks --save-session"; exit 1; }
(cd "$scratch" && "$root/bin/orbitra-render" --map "Henon D-C Map" --k1 1.4 --k2 0.3 --k3 1 --from 0.1,0.1 \
   --iterations 20000 --size 320x240 --png picture.png --save-session picture.orbitra.h5)
# A PNG of that size: the signature, then the IHDR's width and height.
[ "$(head -c 8 "$scratch/picture.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || {
  echo "no PNG written"; exit 1; }
[ "$(dd if="$scratch/picture.png" bs=1 skip=16 count=8 2>/dev/null | od -An -tx1 | tr -d ' \n')" = \
  "00000140000000f0" ] || { echo "the PNG is not 320x240"; exit 1; }
[ -s "$scratch/picture.orbitra.h5" ] || { echo "no session written"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Section)" = "science" ] || { echo "section: $(field Section)"; exit 1; }
[ -n "$(field Maintainer)" ] || { echo "no maintainer"; exit 1; }
for lib in libhdf5 libqt6gui6 libqt6widgets6 libmuparser; do
  field Depends | grep -q "$lib" || { echo "Depends lacks $lib: $(field Depends)"; exit 1; }
done
field Recommends | grep -q "libgccjit0" && field Recommends | grep -q "binutils" || {
  echo "Recommends lacks what compiling typed maps needs: $(field Recommends)"; exit 1; }

# A typed map, in a clean folder with a cache of its own, is compiled by the package's
# helper (libexec/orbitra/orbitra-compile-map; no build tree is on the way): the compiled
# code lands in the cache, and nothing says the map ran interpreted. An orbit diagram
# waits for its compiled lanes; a short run would end before its compile and drop it.
mkdir "$scratch/typed"
(cd "$scratch/typed" && env HOME="$scratch/home" XDG_CACHE_HOME="$scratch/cache" \
   "$root/bin/orbitra-render" --x "1 - k1*x*x + y" --y "k2*x" --k1 1.4 --k2 0.3 \
   --range -1.5,1.5,-0.5,0.5 --from 0.1,0.1 --orbit-diagram k1=1:1.4 --size 320x240 --png typed.png \
   2>"$scratch/typed.err") || { cat "$scratch/typed.err"; echo "the typed map was not drawn"; exit 1; }
cat "$scratch/typed.err"
if grep -q "interpreted" "$scratch/typed.err"; then echo "the typed map was not compiled"; exit 1; fi
compiled="$( (find "$scratch/cache/orbitra/maps" -name '*.so' 2>/dev/null || true) | wc -l)"
[ "$compiled" -ge 1 ] || { echo "no compiled map in the cache"; exit 1; }
[ -s "$scratch/typed/typed.png" ] || { echo "no picture of the typed map"; exit 1; }

# lintian: every E: (error) or W: (warning) line fails; I: (information) lines are shown.
if command -v lintian >/dev/null 2>&1; then
  status=0
  report="$(lintian --fail-on none -I "$deb" 2>"$scratch/lintian.err")" || status=$?
  [ -n "$report" ] && echo "$report"
  [ "$status" -eq 0 ] || { echo "lintian failed (status $status):"; cat "$scratch/lintian.err"; exit 1; }
  if grep -qE "^(E|W):" <<<"$report"; then
    echo "lintian finds errors or warnings in the package:"
    grep -E "^(E|W):" <<<"$report"
    exit 1
  fi
else
  echo "lintian is not installed: the package is not checked by it"
fi
echo "package $(basename "$deb") unpacked and used"
