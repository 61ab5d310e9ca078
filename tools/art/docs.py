"""Review pictures: a contact sheet drawn the way the screen saver draws, and
animated GIFs of the walk and of the rest."""

import os
import random
import subprocess
import tempfile

import numpy as np
from PIL import Image, ImageDraw

from sheets import CELL, FRAMES

ZOOM = 4


def compose(sheet, frame, background):
    """Draw one frame over a background exactly as the saver does: where the
    mask is black the kitten's colour, elsewhere the background unchanged."""
    x = frame * CELL
    colour = sheet[:CELL, x:x + CELL]
    mask = sheet[CELL:, x:x + CELL]
    bg = np.asarray(background.convert("RGB"), dtype=np.uint8)
    return (mask & ~bg) ^ colour   # the AND/XOR pair the drawing code uses


def busy_backdrop(w, h, seed=3):
    """Something like a cluttered bright desktop: windows, text, icons, photo-ish gradients."""
    rnd = random.Random(seed)
    img = Image.new("RGB", (w, h))
    px = np.zeros((h, w, 3), np.uint8)
    yy, xx = np.mgrid[0:h, 0:w]
    px[..., 0] = (128 + 100 * np.sin(xx / 23.0)).astype(np.uint8)
    px[..., 1] = (150 + 90 * np.sin(yy / 11.0 + xx / 41.0)).astype(np.uint8)
    px[..., 2] = (170 + 80 * np.cos(xx / 17.0 - yy / 29.0)).astype(np.uint8)
    img = Image.fromarray(px)
    d = ImageDraw.Draw(img)
    for _ in range(w // 30):
        x0, y0 = rnd.randint(-20, w), rnd.randint(-10, h)
        ww, hh = rnd.randint(30, 90), rnd.randint(20, 60)
        d.rectangle((x0, y0, x0 + ww, y0 + hh), fill=(250, 250, 250), outline=(40, 40, 40))
        d.rectangle((x0, y0, x0 + ww, y0 + 6), fill=rnd.choice(((0, 60, 160), (20, 120, 60), (150, 20, 20))))
        for ty in range(y0 + 10, y0 + hh - 2, 4):
            d.line([(x0 + 3, ty), (x0 + rnd.randint(10, max(11, ww - 3)), ty)], fill=(30, 30, 30))
    for _ in range(w // 12):
        x0, y0 = rnd.randint(0, w), rnd.randint(0, h)
        col = tuple(rnd.randint(0, 255) for _ in range(3))
        d.ellipse((x0, y0, x0 + 9, y0 + 9), fill=col, outline=(255, 255, 255))
    return img


def label(img, text, x, y, colour=(0, 0, 0)):
    ImageDraw.Draw(img).text((x, y), text, fill=colour)


def contact_sheet(sheets, path):
    z = CELL * ZOOM
    pad, head = 8, 16
    backs = [("white", lambda: Image.new("RGB", (CELL * FRAMES, CELL), (255, 255, 255))),
             ("black", lambda: Image.new("RGB", (CELL * FRAMES, CELL), (0, 0, 0))),
             ("busy", lambda: busy_backdrop(CELL * FRAMES, CELL))]
    rows = [(s, name, make) for s in (0, 1) for name, make in backs]
    out = Image.new("RGB", (pad + FRAMES * (z + pad), head + len(rows) * (z + head + pad)),
                    (225, 225, 225))
    for f in range(FRAMES):
        label(out, f"frame {f}", pad + f * (z + pad) + z // 2 - 20, 3)
    for r, (s, name, make) in enumerate(rows):
        y = head + r * (z + head + pad)
        label(out, f"sheet {s} over {name}", pad, y)
        back = make()
        for f in range(FRAMES):
            bg = back.crop((f * CELL, 0, (f + 1) * CELL, CELL))
            cell = Image.fromarray(compose(sheets[s], f, bg))
            out.paste(cell.resize((z, z), Image.NEAREST), (pad + f * (z + pad), y + head))
    out.save(path, optimize=True)


def gif(sheets, order, delay_cs, path, background=(255, 255, 255)):
    with tempfile.TemporaryDirectory() as tmp:
        names = []
        for i, f in enumerate(order):
            bg = Image.new("RGB", (CELL, CELL), background)
            name = os.path.join(tmp, f"{i:03d}.png")
            Image.fromarray(compose(sheets[0], f, bg)).save(name)
            names.append(name)
        subprocess.run(["convert", "-delay", str(delay_cs), "-loop", "0", *names,
                        "-layers", "Optimize", path], check=True)


WALK = [1, 2, 3, 4, 5, 6, 7, 0]


def stroll_gif(sheets, path, width=300, step=3):
    """A kitten crossing a strip the way the saver moves it: a few pixels per
    tick, a blink at the end of one stride, and a wash before walking on."""
    ticks = []   # (x, frame)
    x = -CELL
    rested = blinked = False
    while x < width:
        for f in WALK:
            if f == 0 and not blinked and x > width // 4:
                f, blinked = 8, True
            x += step
            ticks.append((x, f))
        if not rested and x > width // 2 - CELL // 2:
            rested = True
            ticks += [(x, 9 if k % 2 == 0 else 10) for k in range(8)]
    with tempfile.TemporaryDirectory() as tmp:
        names = []
        for i, (x, f) in enumerate(ticks):
            strip = Image.new("RGB", (width, CELL), (255, 255, 255))
            # the part of the strip under the cell, drawn over with the kitten
            left = max(0, x)
            under = strip.crop((x, 0, x + CELL, CELL))
            cell = Image.fromarray(compose(sheets[0], f, under))
            strip.paste(cell.crop((left - x, 0, CELL, CELL)), (left, 0))
            name = os.path.join(tmp, f"{i:03d}.png")
            strip.save(name)
            names.append(name)
        subprocess.run(["convert", "-delay", "11", "-loop", "0", *names,
                        "-layers", "Optimize", path], check=True)


def build(sheets, docs_dir):
    contact_sheet(sheets, os.path.join(docs_dir, "kitten_contact_sheet.png"))
    # three plain strides, then one that ends in the happy blink
    order = WALK * 3 + WALK[:-1] + [8]
    gif(sheets, order, 11, os.path.join(docs_dir, "kitten_walk.gif"))
    gif(sheets, [9, 10] * 6, 11, os.path.join(docs_dir, "kitten_rest.gif"))
    stroll_gif(sheets, os.path.join(docs_dir, "kitten_stroll.gif"))
