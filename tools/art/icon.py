"""The program icon: the ideograph for "cat" in a warm gradient with a pale
violet drop shadow, as a PNG with alpha and as a Windows .ico."""

import os
import struct
import subprocess
import tempfile

import numpy as np
from PIL import Image

GLYPH = "\u732b"   # 猫
FONT = "Noto Sans CJK JP"

SVG = """<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" viewBox="0 0 32 32">
  <defs>
    <linearGradient id="warm" x1="0" y1="0" x2="0" y2="1" gradientUnits="objectBoundingBox">
      <stop offset="0" stop-color="#ffe93a"/>
      <stop offset="0.5" stop-color="#ff9a1c"/>
      <stop offset="1" stop-color="#e3261f"/>
    </linearGradient>
  </defs>
  <text x="{sx}" y="{sy}" font-family="{font}" font-weight="900" font-size="{fs}"
        text-anchor="middle" fill="#c9b3f2">{glyph}</text>
  <text x="{x}" y="{y}" font-family="{font}" font-weight="900" font-size="{fs}"
        text-anchor="middle" fill="url(#warm)">{glyph}</text>
</svg>
"""


def svg_source(size):
    # the shadow falls one pixel down-right at every size, so small icons keep
    # it as a crisp edge instead of a smear
    off = 32.0 / size * (1.0 if size <= 16 else 1.4)
    x, y, fs = 15.0, 26.9, 29.0
    return SVG.format(size=size, glyph=GLYPH, font=FONT, fs=fs,
                      x=x, y=y, sx=x + off, sy=y + off)


def render(size):
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "i.svg")
        dst = os.path.join(tmp, "i.png")
        with open(src, "w", encoding="utf-8") as fh:
            fh.write(svg_source(size))
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", dst, src], check=True)
        return Image.open(dst).convert("RGBA")


def dib_8bit(img):
    """A 256-colour icon image: palette, pixel indices and the AND mask.

    Icons of this depth have only on/off transparency, so a pixel is kept when
    it is at least half covered and then takes its own colour, not one blended
    with whatever backdrop the renderer assumed."""
    w, h = img.size
    a = np.asarray(img)
    keep = a[..., 3] >= 128
    rgb = Image.fromarray(np.where(keep[..., None], a[..., :3], 0).astype(np.uint8), "RGB")
    pal_img = rgb.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    idx = np.asarray(pal_img).astype(np.uint8) + 1   # index 0 is reserved for "transparent"
    idx[~keep] = 0
    pal = pal_img.getpalette()[:255 * 3]
    pal += [0] * (255 * 3 - len(pal))
    palette = bytes(4)  # entry 0: black
    for i in range(255):
        r, g, b = pal[3 * i:3 * i + 3]
        palette += bytes((b, g, r, 0))
    row = (w + 3) & ~3
    xor = b"".join(bytes(idx[y]) + bytes(row - w) for y in range(h - 1, -1, -1))
    return header(w, h, 8, 256) + palette + xor + and_mask(keep)


def dib_32bit(img):
    w, h = img.size
    a = np.asarray(img)
    bgra = a[..., [2, 1, 0, 3]]
    xor = b"".join(bgra[y].tobytes() for y in range(h - 1, -1, -1))
    return header(w, h, 32, 0) + xor + and_mask(a[..., 3] >= 128)


def header(w, h, bits, colours):
    return struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bits, 0, 0, 0, 0, colours, 0)


def and_mask(keep):
    h, w = keep.shape
    row = ((w + 31) // 32) * 4
    out = b""
    for y in range(h - 1, -1, -1):
        bits = np.packbits(~keep[y]).tobytes()
        out += bits + bytes(row - len(bits))
    return out


def write_ico(path, images):
    """images: list of (RGBA image, bits) in directory order."""
    blobs = [(img.size[0], bits, dib_8bit(img) if bits == 8 else dib_32bit(img)) for img, bits in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for size, bits, blob in blobs:
        colours = 0  # 256 or more colours are written as 0
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    out += b"".join(blob for _, _, blob in blobs)
    with open(path, "wb") as fh:
        fh.write(out)


def build(asset_dir):
    imgs = {s: render(s) for s in (16, 32, 48)}
    imgs[32].save(os.path.join(asset_dir, "icon.png"), optimize=True)
    write_ico(os.path.join(asset_dir, "icon.ico"),
              [(imgs[32], 8), (imgs[16], 8), (imgs[48], 8),
               (imgs[32], 32), (imgs[16], 32), (imgs[48], 32)])
    return imgs
