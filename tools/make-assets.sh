#!/usr/bin/env bash
# Regenerates the game's pictures, sounds and help pages into assets/.
#
#   tools/make-assets.sh            (from anywhere in the work tree)
#
# Needs bash, python3 (standard library only) and ImageMagick's convert
# (for the GIF and PNG tiles).  The results are kept in the repository, so building
# the game does not need this script.  Running it twice gives the same bytes.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
assets=$root/assets

command -v python3 >/dev/null || { echo "make-assets: python3 is needed" >&2; exit 1; }
command -v convert >/dev/null || { echo "make-assets: ImageMagick (convert) is needed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

py() { python3 -B "$here/$1" "${@:2}"; }

echo "tiles"
mkdir -p "$assets/images/default" "$assets/images/default@2x"
py make_tiles.py "$work/tiles"
py make_tiles.py "$work/tiles2x" --scale 2
for k in 0 1 2 3 4 5 6 7 8 9; do
    # at most 256 colours; no dithering, so the shading stays smooth
    convert "$work/tiles/$k.ppm" +dither -colors 256 -strip "$assets/images/default/$k.gif"
    # the sharper set in full colour, without time stamps
    convert "$work/tiles2x/$k.ppm" -strip -define png:exclude-chunks=date,time \
        "$assets/images/default@2x/$k.png"
done
# The game draws a sharper picture only over the very GIF it was made with: a GIF
# the player has put in its place wins.
(cd "$assets/images/default" && sha1sum 0.gif 1.gif 2.gif 3.gif 4.gif 5.gif 6.gif 7.gif 8.gif 9.gif) \
    >"$assets/images/default@2x/default.sha1"

echo "icons and cursor"
py make_icons.py "$assets/icons" "$assets/cursors"

echo "sounds"
py make_sounds.py "$assets/data"

echo "help pages"
py make_help.py "$assets/help"

# a quick look that everything came out as the game expects
fail=0
for k in 0 1 2 3 4 5 6 7 8 9; do
    size=$(identify -format '%m %wx%h' "$assets/images/default/$k.gif[0]")
    [ "$size" = "GIF 61x61" ] || { echo "make-assets: $k.gif is $size" >&2; fail=1; }
    size=$(identify -format '%m %wx%h' "$assets/images/default@2x/$k.png")
    [ "$size" = "PNG 122x122" ] || { echo "make-assets: $k.png is $size" >&2; fail=1; }
done
for f in icons/qob.png:16x16 icons/qob-48.png:48x48 cursors/hand.png:32x32; do
    size=$(identify -format '%wx%h' "$assets/${f%%:*}")
    [ "$size" = "${f##*:}" ] || { echo "make-assets: ${f%%:*} is $size" >&2; fail=1; }
done
for page in ssindex ssrule sslist ssdownload; do
    file=$assets/help/$page.htm
    python3 -c 'import sys; open(sys.argv[1], encoding="utf-8").read()' "$file" \
        || { echo "make-assets: $page.htm is not UTF-8" >&2; fail=1; }
    for link in ssindex ssrule sslist ssdownload; do
        grep -q "href=\"$link.htm\"" "$file" || { echo "make-assets: $page.htm lacks a link to $link.htm" >&2; fail=1; }
    done
done
[ "$fail" = 0 ] || exit 1
echo "done: $assets"
