"""Rebuild every picture under assets/ and the review pictures under docs/.

    tools/art/make-assets.sh            (from anywhere in the repository)
"""

import os
import sys

from PIL import Image

import docs
import icon
import previews
import sheets


def main():
    root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
    assets = os.path.join(root, "assets")
    docs_dir = os.path.join(root, "docs")
    os.makedirs(assets, exist_ok=True)
    os.makedirs(docs_dir, exist_ok=True)
    svg_dir = os.environ.get("NYAMO_SVG_DIR")  # set to keep the per-frame SVGs to look at
    if svg_dir:
        os.makedirs(svg_dir, exist_ok=True)

    frames = sheets.render_frames(svg_dir)
    sheets.check_frames(frames)
    pair = [sheets.build_sheet(frames, mirror=False), sheets.build_sheet(frames, mirror=True)]
    for i, sheet in enumerate(pair):
        Image.fromarray(sheet, "RGB").save(os.path.join(assets, f"sheet{i}.png"), optimize=True)
    print("sheets: assets/sheet0.png assets/sheet1.png")

    desk, n = previews.desktop_preview(pair)
    desk.save(os.path.join(assets, "preview_desktop.png"), optimize=True)
    previews.blank_preview(pair).save(os.path.join(assets, "preview_blank.png"), optimize=True)
    print(f"previews: {n} kittens on the desktop")

    icon.build(assets)
    print("icon: assets/icon.png assets/icon.ico")

    docs.build(pair, docs_dir)
    print("docs: contact sheet and GIFs")


if __name__ == "__main__":
    sys.exit(main())
