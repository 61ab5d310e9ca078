"""Render the kitten frames and fold them into the sprite sheets.

Each frame's SVG is rendered SUPER times larger than the sprite, and every
SUPER x SUPER block becomes one sprite pixel:

* the pixel belongs to the kitten (mask black) when at least half of the
  block is covered;
* its colour is the average colour of the covered part only, never blended
  with the background.  Along the silhouette the covered part is the black
  outline, so the hard edge comes out dark and reads cleanly over a black
  screen and over a bright desktop alike: no light fringe.
"""

import os
import subprocess
import tempfile

import numpy as np
from PIL import Image

import kitten

CELL = 70
FRAMES = 11
SUPER = 8
COVER = 0.5
MARGIN = 2


def render_svg(svg_text, size):
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "f.svg")
        dst = os.path.join(tmp, "f.png")
        with open(src, "w") as fh:
            fh.write(svg_text)
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", dst, src],
                       check=True)
        return np.asarray(Image.open(dst).convert("RGBA"), dtype=np.float64) / 255.0


def fold(rgba):
    """SUPER-sampled RGBA -> (colour uint8 HxWx3, kitten bool HxW)."""
    n = CELL
    a = rgba[..., 3].reshape(n, SUPER, n, SUPER)
    rgb = rgba[..., :3].reshape(n, SUPER, n, SUPER, 3)
    cover = a.mean(axis=(1, 3))
    weight = a.sum(axis=(1, 3))
    col = (rgb * a[..., None]).sum(axis=(1, 3)) / np.maximum(weight, 1e-9)[..., None]
    inside = cover >= COVER
    colour = np.where(inside[..., None], np.clip(np.rint(col * 255), 0, 255), 255).astype(np.uint8)
    return colour, inside


def render_frames(svg_dir=None):
    """Colour and mask of the eleven right-facing frames."""
    out = []
    m = MARGIN * SUPER
    for i, pose in enumerate(kitten.frames()):
        if svg_dir:
            with open(os.path.join(svg_dir, f"frame{i:02d}.svg"), "w") as fh:
                fh.write(kitten.frame_svg(pose))
        # render a little beyond the cell: anything drawn out there would be
        # cut off in the sheet, losing its outline, so it is refused instead
        rgba = render_svg(kitten.frame_svg(pose, margin=MARGIN), (CELL + 2 * MARGIN) * SUPER)
        inner = rgba[m:-m, m:-m]
        outside = rgba[..., 3].copy()
        outside[m:-m, m:-m] = 0
        if outside.any():
            raise SystemExit(f"frame {i}: the drawing runs off the edge of its cell")
        out.append(fold(inner))
    return out


def build_sheet(frames, mirror):
    sheet = np.full((2 * CELL, FRAMES * CELL, 3), 255, np.uint8)
    for i, (colour, inside) in enumerate(frames):
        if mirror:
            colour = colour[:, ::-1]
            inside = inside[:, ::-1]
        x = i * CELL
        sheet[:CELL, x:x + CELL] = colour
        sheet[CELL:, x:x + CELL] = np.where(inside[..., None], 0, 255).astype(np.uint8)
    return sheet


def check_frames(frames):
    """Refuse to write sheets that break the layout other code relies on."""
    for i, (colour, inside) in enumerate(frames):
        cols = np.nonzero(inside.any(axis=0))[0]
        rows = np.nonzero(inside.any(axis=1))[0]
        if cols.max() > 56:
            raise SystemExit(f"frame {i}: kitten reaches column {cols.max()}, limit is 56")
        if rows.max() < 65:
            raise SystemExit(f"frame {i}: feet end at row {rows.max()}, must reach 65..69")
    if not all((a == b).all() for a, b in zip(frames[1], frames[7])):
        raise SystemExit("frames 1 and 7 differ")


def sprite_rgba(sheet, index):
    """One frame of a sheet as straight RGBA (kitten opaque, rest clear)."""
    x = index * CELL
    colour = sheet[:CELL, x:x + CELL]
    mask = sheet[CELL:, x:x + CELL, 0]
    alpha = np.where(mask == 0, 255, 0).astype(np.uint8)
    return Image.fromarray(np.dstack([colour, alpha]), "RGBA")
