#!/bin/sh
# Rebuilds assets/ (sprite sheets, sample pictures, icon) and the review
# pictures in docs/ from the drawing code in this folder.
# Needs (Debian): python3-pil python3-numpy librsvg2-bin imagemagick fonts-noto-cjk
set -eu
here=$(cd "$(dirname "$0")" && pwd)
# the system interpreter, where Debian's python3-pil and python3-numpy live
py=/usr/bin/python3
[ -x "$py" ] || py=python3
fc-list | grep -q "Noto Sans CJK" || { echo "fonts-noto-cjk is needed for the icon" >&2; exit 1; }
exec "$py" -B "$here/make_assets.py" "$@"
