"""The two 240 x 180 sample pictures: a tiny desktop full of kittens and a
black screen with a few of them."""

import random

from PIL import Image, ImageDraw

from sheets import sprite_rgba

W, H = 240, 180
TASKBAR = 14


def small_kitten(sheets, sheet, frame, height):
    """A frame scaled down smoothly, as straight RGBA.

    The frame is cropped to the kitten first so the requested height is the
    kitten's own height, then shrunk with premultiplied alpha, which keeps
    the dark outline from turning into a pale rim."""
    img = sprite_rgba(sheets[sheet], frame)
    box = img.getbbox()
    img = img.crop(box)
    scale = height / img.height
    size = (max(1, round(img.width * scale)), max(1, round(img.height * scale)))
    return img.convert("RGBa").resize(size, Image.LANCZOS).convert("RGBA")


# --- desktop ---------------------------------------------------------------

def bevel(d, box, face, light, dark):
    x0, y0, x1, y1 = box
    d.rectangle(box, fill=face)
    d.line([(x0, y1), (x0, y0), (x1, y0)], fill=light)
    d.line([(x0, y1), (x1, y1), (x1, y0)], fill=dark)


def icon_computer(d, x, y):
    bevel(d, (x + 1, y, x + 14, y + 10), (200, 200, 200), (255, 255, 255), (90, 90, 90))
    d.rectangle((x + 3, y + 2, x + 12, y + 8), fill=(0, 128, 128))
    d.line([(x + 4, y + 3), (x + 8, y + 3)], fill=(120, 220, 220))
    d.rectangle((x + 5, y + 11, x + 10, y + 12), fill=(160, 160, 160))
    bevel(d, (x, y + 13, x + 15, y + 15), (200, 200, 200), (255, 255, 255), (90, 90, 90))


def icon_folder(d, x, y):
    d.polygon([(x, y + 3), (x + 5, y + 3), (x + 6, y + 5), (x + 15, y + 5),
               (x + 15, y + 15), (x, y + 15)], fill=(240, 200, 70), outline=(140, 100, 20))
    d.line([(x + 1, y + 7), (x + 14, y + 7)], fill=(255, 235, 150))


def icon_document(d, x, y):
    d.polygon([(x + 2, y), (x + 10, y), (x + 14, y + 4), (x + 14, y + 15), (x + 2, y + 15)],
              fill=(255, 255, 255), outline=(60, 60, 60))
    for r in range(5, 14, 2):
        d.line([(x + 4, y + r), (x + 12, y + r)], fill=(70, 110, 200))


def icon_trash(d, x, y):
    d.rectangle((x + 2, y + 2, x + 13, y + 3), fill=(170, 170, 180), outline=(60, 60, 70))
    d.polygon([(x + 3, y + 4), (x + 12, y + 4), (x + 11, y + 15), (x + 4, y + 15)],
              fill=(200, 200, 210), outline=(60, 60, 70))
    for c in (6, 8, 10):
        d.line([(x + c - 1, y + 6), (x + c - 1, y + 13)], fill=(120, 120, 130))


def icon_globe(d, x, y):
    d.ellipse((x + 1, y + 1, x + 14, y + 14), fill=(60, 140, 230), outline=(20, 50, 120))
    d.polygon([(x + 4, y + 4), (x + 8, y + 3), (x + 9, y + 7), (x + 6, y + 10), (x + 4, y + 8)],
              fill=(80, 180, 80))
    d.polygon([(x + 10, y + 9), (x + 13, y + 8), (x + 12, y + 12)], fill=(80, 180, 80))


def desktop_background():
    img = Image.new("RGB", (W, H), (58, 110, 165))
    d = ImageDraw.Draw(img)
    # a soft vertical wash so the blue is not flat
    for y in range(H - TASKBAR):
        t = y / (H - TASKBAR)
        d.line([(0, y), (W, y)], fill=(int(40 + 30 * t), int(96 + 30 * t), int(160 + 20 * t)))
    icons = [icon_computer, icon_folder, icon_document, icon_globe, icon_trash]
    for i, draw in enumerate(icons):
        x, y = 9, 6 + i * 30
        draw(d, x, y)
        # the label: a short white caption bar with "text" in it
        lw = (22, 18, 20, 16, 14)[i]
        lx = x + 8 - lw // 2
        d.rectangle((lx, y + 18, lx + lw, y + 22), fill=(58, 110, 165))
        for k in range(lx + 1, lx + lw, 3):
            d.line([(k, y + 20), (k + 1, y + 20)], fill=(255, 255, 255))
    # taskbar
    ty = H - TASKBAR
    d.rectangle((0, ty, W, H), fill=(192, 192, 192))
    d.line([(0, ty + 1), (W, ty + 1)], fill=(255, 255, 255))
    bevel(d, (2, ty + 3, 34, H - 3), (192, 192, 192), (255, 255, 255), (80, 80, 80))
    for k, col in enumerate(((230, 60, 40), (60, 170, 60), (40, 90, 220), (240, 200, 40))):
        d.rectangle((5 + (k % 2) * 4, ty + 5 + (k // 2) * 3, 7 + (k % 2) * 4, ty + 6 + (k // 2) * 3), fill=col)
    d.line([(15, ty + 7), (30, ty + 7)], fill=(0, 0, 0))
    bevel(d, (38, ty + 3, 96, H - 3), (210, 210, 210), (80, 80, 80), (255, 255, 255))
    d.line([(42, ty + 7), (80, ty + 7)], fill=(40, 40, 40))
    bevel(d, (W - 34, ty + 3, W - 3, H - 3), (192, 192, 192), (128, 128, 128), (255, 255, 255))
    d.line([(W - 26, ty + 7), (W - 11, ty + 7)], fill=(0, 0, 0))
    return img


def place(img, sprite, x, y):
    layer = Image.new("RGBA", img.size, (0, 0, 0, 0))
    layer.paste(sprite, (x, y))
    return Image.alpha_composite(img.convert("RGBA"), layer)


def to_palette(img):
    return img.convert("RGB").quantize(colors=256, method=Image.Quantize.MEDIANCUT,
                                       dither=Image.Dither.NONE)


def desktop_preview(sheets):
    rnd = random.Random(7)
    img = desktop_background().convert("RGBA")
    walk = [0, 1, 2, 3, 4, 5, 6, 8]
    kittens = []
    placed = []
    tries = 0
    while len(kittens) < 50 and tries < 20000:
        tries += 1
        h = rnd.choice((15, 16, 17, 18))
        x = rnd.randint(36, W - 20)
        y = rnd.randint(2, H - TASKBAR - h)
        if any(abs(x - px) < 13 and abs(y - py) < 11 for px, py in placed):
            continue
        placed.append((x, y))
        frame = rnd.choice(walk) if rnd.random() < 0.85 else rnd.choice((9, 10))
        kittens.append((y + h, x, y, rnd.randint(0, 1), frame, h))
    kittens.sort()  # nearer the bottom is drawn last
    for _, x, y, sheet, frame, h in kittens:
        img = place(img, small_kitten(sheets, sheet, frame, h), x, y)
    return to_palette(img), len(kittens)


def blank_preview(sheets):
    img = Image.new("RGBA", (W, H), (0, 0, 0, 255))
    for sheet, frame, h, x, y in ((0, 3, 34, 22, 22), (1, 5, 34, 150, 60),
                                  (0, 9, 36, 52, 120), (1, 1, 34, 168, 130)):
        img = place(img, small_kitten(sheets, sheet, frame, h), x, y)
    return to_palette(img)
