"""Parametric drawing of the kitten.

Every frame is described by a small Pose (where the feet are, how high the
body rides, how the tail is held, which eyes to draw) and turned into an SVG
document of 70 x 70 user units, one unit per sprite pixel, facing right.
The renderer samples it at a higher resolution and folds it down to the hard
mask and colour rows itself, so the SVG is free to anti-alias.

The cartoon outline is drawn as an "underlay": each part group is first
painted in black, grown by OUTLINE units, then painted in its real colours on
top.  That puts a line around the outside of a group but not along the seams
inside it (for example where the near legs join the body).
"""

import math
from dataclasses import dataclass, field, replace

OUTLINE = 1.15          # visible width of the black outline, in sprite pixels

INK = "#161616"         # outline and eye lines
FUR = "#bdbdc3"         # light grey coat
FUR_FAR = "#8e8e97"     # legs on the far side, in shadow behind the body
STRIPE = "#6d6d77"      # tabby stripes
STRIPE_DARK = "#4a4a52" # tail tip
WHITE = "#ffffff"
PINK = "#f4a3b4"
PINK_DARK = "#e07f95"
BLUSH = "#f7b6c2"
EYE = "#1c3578"
EYE_DEEP = "#0b1536"
EYE_RIM = "#3d62b8"


@dataclass
class Leg:
    hip: tuple            # attachment point, inside the body
    foot: tuple           # bottom middle of the paw (y = GROUND when planted)
    knee: float = 0.0     # sideways bend of the middle joint (+ = forward)


@dataclass
class Pose:
    kind: str = "walk"                 # "walk" or "sit"
    bob: float = 0.0                   # body and head ride this much lower
    head_dx: float = 0.0
    head_dy: float = 0.0
    head_tilt: float = 0.0             # degrees, + turns the face down
    legs: dict = field(default_factory=dict)
    tail: str = "low"                  # "low", "mid", "high", "wrap"
    tail_sway: float = 0.0
    lean: float = 0.0                  # degrees the body tips up at the front
    eyes: str = "open"                 # "open", "happy", "shut"
    paws: int = 0                      # seated: 1 licks the paw, 2 rubs the face


# ---------------------------------------------------------------------------
# small geometry helpers

def fmt(v):
    return f"{v:.2f}".rstrip("0").rstrip(".")


def pts(points):
    return " ".join(f"{fmt(x)},{fmt(y)}" for x, y in points)


def bezier(p0, p1, p2, p3, n=24):
    out = []
    for i in range(n + 1):
        t = i / n
        u = 1 - t
        out.append((u**3 * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t**3 * p3[0],
                    u**3 * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t**3 * p3[1]))
    return out


def polyline(points):
    return "M" + " L".join(f"{fmt(x)},{fmt(y)}" for x, y in points)


def ellipse(cx, cy, rx, ry, rot=0.0):
    return ("ellipse", dict(cx=cx, cy=cy, rx=rx, ry=ry, rot=rot))


def path(d):
    return ("path", dict(d=d))


def line(d, width):
    return ("line", dict(d=d, w=width))


class Doc:
    def __init__(self):
        self.out = []
        self.defs = []
        self.nclip = 0

    def shape(self, s, fill=None, stroke=None, sw=0.0, extra=""):
        kind, a = s
        paint = f'fill="{fill or "none"}"'
        if stroke:
            paint += (f' stroke="{stroke}" stroke-width="{fmt(sw)}"'
                      ' stroke-linejoin="round" stroke-linecap="round"')
        if kind == "ellipse":
            tr = ""
            if a["rot"]:
                tr = f' transform="rotate({fmt(a["rot"])} {fmt(a["cx"])} {fmt(a["cy"])})"'
            self.out.append(f'<ellipse cx="{fmt(a["cx"])}" cy="{fmt(a["cy"])}" '
                            f'rx="{fmt(a["rx"])}" ry="{fmt(a["ry"])}"{tr} {paint}{extra}/>')
        elif kind == "path":
            self.out.append(f'<path d="{a["d"]}" {paint}{extra}/>')
        elif kind == "line":
            # a stroked centre line; its "fill" colour is the stroke colour
            w = a["w"] + (sw if stroke else 0)
            col = stroke or fill
            self.out.append(f'<path d="{a["d"]}" fill="none" stroke="{col}" '
                            f'stroke-width="{fmt(w)}" stroke-linecap="round" '
                            f'stroke-linejoin="round"{extra}/>')

    def underlay(self, shapes):
        """Black silhouette of a group, grown by the outline width."""
        for s in shapes:
            self.shape(s, fill=INK, stroke=INK, sw=2 * OUTLINE)

    def clip(self, shapes):
        self.nclip += 1
        cid = f"c{self.nclip}"
        inner = []
        for kind, a in shapes:
            if kind == "ellipse":
                tr = ""
                if a["rot"]:
                    tr = f' transform="rotate({fmt(a["rot"])} {fmt(a["cx"])} {fmt(a["cy"])})"'
                inner.append(f'<ellipse cx="{fmt(a["cx"])}" cy="{fmt(a["cy"])}" '
                             f'rx="{fmt(a["rx"])}" ry="{fmt(a["ry"])}"{tr}/>')
            elif kind == "path":
                inner.append(f'<path d="{a["d"]}"/>')
        self.defs.append(f'<clipPath id="{cid}">{"".join(inner)}</clipPath>')
        return f' clip-path="url(#{cid})"'

    def raw(self, text):
        self.out.append(text)

    def svg(self, size=70, shift=0.0, margin=0):
        # margin widens the view on every side; only used to measure how far
        # a pose really reaches before it is fitted into its cell
        v = f"{-margin} {-margin} {70 + 2 * margin} {70 + 2 * margin}"
        return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
                f'viewBox="{v}"><defs>{"".join(self.defs)}</defs>'
                f'<g transform="translate({fmt(shift)} 0)">'
                + "".join(self.out) + "</g></svg>\n")


# ---------------------------------------------------------------------------
# parts

GROUND = 68.8   # bottom of the sole; its outline then ends just inside row 69


def leg_shapes(leg, width):
    hx, hy = leg.hip
    fx, fy = leg.foot
    mx = (hx + fx) / 2 + leg.knee
    my = (hy + fy) / 2
    # the stem stops high enough that its rounded end, outline included,
    # stays above the sole
    stem = line(f"M{fmt(hx)},{fmt(hy)} Q{fmt(mx)},{fmt(my)} {fmt(fx)},{fmt(fy - 3.0)}", width)
    paw = ellipse(fx + 0.6, fy - 1.9, width * 0.62, 1.9)
    return [stem, paw]


def tail_points(pose, base):
    bx, by = base
    s = pose.tail_sway
    if pose.tail == "low":
        # hangs back and down, the tip lifting a little
        ctrl = [(bx, by), (bx - 8, by + 0.5), (bx - 11 + s, by + 7), (bx - 8.5 + s, by + 13)]
    elif pose.tail == "mid":
        # on its way up: out behind and rising
        ctrl = [(bx, by), (bx - 7, by - 0.5), (bx - 10 + s, by - 7), (bx - 8.5 + s, by - 17)]
    elif pose.tail == "high":
        # a question mark: up, then the tip curls forward
        ctrl = [(bx, by), (bx - 8, by - 3), (bx - 9 + s, by - 17), (bx - 4 + s, by - 21)]
    else:  # "wrap": lying along the ground round the seated kitten
        ctrl = [(bx, by), (bx - 5, by + 5.5), (bx + 6, by + 8), (bx + 24, by + 6.2)]
    return bezier(*ctrl, n=40)


def taper(points, w0, w1, a=0.0, b=1.0):
    """Closed outline of a stroke along points whose width runs from w0 to w1,
    restricted to the fraction a..b of its length."""
    n = len(points) - 1
    i0, i1 = int(round(a * n)), int(round(b * n))
    left, right = [], []
    for i in range(i0, i1 + 1):
        p = points[i]
        q = points[min(i + 1, n)] if i < n else points[i]
        r = points[max(i - 1, 0)]
        dx, dy = q[0] - r[0], q[1] - r[1]
        d = math.hypot(dx, dy) or 1.0
        w = (w0 + (w1 - w0) * i / n) / 2
        nx, ny = -dy / d * w, dx / d * w
        left.append((p[0] + nx, p[1] + ny))
        right.append((p[0] - nx, p[1] - ny))
    outline = left + right[::-1]
    return "M" + " L".join(f"{fmt(x)},{fmt(y)}" for x, y in outline) + " Z"


def draw_tail(doc, pose, base, w0=4.8, w1=3.4):
    p = tail_points(pose, base)
    tip = p[-1]
    body = [path(taper(p, w0, w1)), ellipse(tip[0], tip[1], w1 / 2, w1 / 2)]
    doc.underlay(body)
    for s in body:
        doc.shape(s, fill=FUR)
    for a, b in ((0.30, 0.39), (0.52, 0.61)):
        doc.shape(path(taper(p, w0, w1, a, b)), fill=STRIPE)
    doc.shape(path(taper(p, w0, w1, 0.74, 1.0)), fill=STRIPE_DARK)
    doc.shape(body[1], fill=STRIPE_DARK)


def head_group(doc, pose, cx, cy):
    """Big round head in three-quarter view, the face turned to the right."""
    tilt = pose.head_tilt
    g_open = f'<g transform="rotate({fmt(tilt)} {fmt(cx)} {fmt(cy + 6)})">'
    doc.raw(g_open)
    skull = ellipse(cx, cy, 14.2, 12.2)
    jowl = ellipse(cx + 2.5, cy + 4.5, 12.0, 8.0)
    ear_far = path(f"M{fmt(cx - 12.5)},{fmt(cy - 3)} L{fmt(cx - 11.5)},{fmt(cy - 17.5)} "
                   f"Q{fmt(cx - 10.6)},{fmt(cy - 18.6)} {fmt(cx - 9.4)},{fmt(cy - 17.8)} "
                   f"L{fmt(cx - 1.5)},{fmt(cy - 10)} Z")
    ear_near = path(f"M{fmt(cx + 2)},{fmt(cy - 11)} L{fmt(cx + 8.8)},{fmt(cy - 18.6)} "
                    f"Q{fmt(cx + 10.1)},{fmt(cy - 19.6)} {fmt(cx + 10.8)},{fmt(cy - 18)} "
                    f"L{fmt(cx + 13.6)},{fmt(cy - 3)} Z")
    doc.underlay([ear_far, ear_near, skull, jowl])
    for e in (ear_far, ear_near):
        doc.shape(e, fill=FUR)
    doc.shape(path(f"M{fmt(cx - 10.8)},{fmt(cy - 6)} L{fmt(cx - 10.6)},{fmt(cy - 15.4)} "
                   f"L{fmt(cx - 4.5)},{fmt(cy - 9.5)} Z"), fill=PINK)
    doc.shape(path(f"M{fmt(cx + 4.5)},{fmt(cy - 10.5)} L{fmt(cx + 9.6)},{fmt(cy - 16.2)} "
                   f"L{fmt(cx + 11.6)},{fmt(cy - 5)} Z"), fill=PINK)
    doc.shape(skull, fill=FUR)
    doc.shape(jowl, fill=FUR)
    clip = doc.clip([skull, jowl])
    # forehead "M" and cheek stripes
    doc.raw(f'<g{clip} fill="none" stroke="{STRIPE}" stroke-linecap="round">')
    for dx, top, bot, w in ((-3.2, -13, -7.0, 1.5), (0.2, -13.4, -6.0, 1.7), (3.4, -13, -7.4, 1.5)):
        doc.raw(f'<path d="M{fmt(cx + dx)},{fmt(cy + top)} L{fmt(cx + dx * 0.85)},{fmt(cy + bot)}" '
                f'stroke-width="{fmt(w)}"/>')
    for dy in (-1.0, 2.6):
        doc.raw(f'<path d="M{fmt(cx - 15)},{fmt(cy + dy)} Q{fmt(cx - 11)},{fmt(cy + dy - 0.6)} '
                f'{fmt(cx - 8.6)},{fmt(cy + dy + 1.2)}" stroke-width="1.4"/>')
    doc.raw("</g>")
    # white muzzle and chin
    fx = cx + 5.5   # centre line of the face
    doc.raw(f"<g{clip}>")
    doc.shape(ellipse(fx - 2.6, cy + 7.0, 5.0, 3.9), fill=WHITE)
    doc.shape(ellipse(fx + 3.4, cy + 7.0, 4.8, 3.8), fill=WHITE)
    doc.shape(ellipse(fx + 0.5, cy + 10.5, 6.5, 3.6), fill=WHITE)
    doc.raw("</g>")
    # blush
    doc.shape(ellipse(fx + 7.4, cy + 4.6, 2.2, 1.3), fill=BLUSH, extra=' opacity="0.85"')
    doc.shape(ellipse(fx - 8.6, cy + 4.6, 2.0, 1.2), fill=BLUSH, extra=' opacity="0.75"')
    # nose and mouth
    doc.shape(path(f"M{fmt(fx - 1.5)},{fmt(cy + 4.1)} L{fmt(fx + 1.7)},{fmt(cy + 4.1)} "
                   f"L{fmt(fx + 0.1)},{fmt(cy + 6.0)} Z"), fill=PINK_DARK, stroke=PINK_DARK, sw=0.5)
    if pose.paws == 1:
        # a little pink tongue while licking the paw
        doc.shape(ellipse(fx + 0.4, cy + 9.3, 1.4, 1.5), fill=PINK_DARK)
    doc.raw(f'<path d="M{fmt(fx - 2.9)},{fmt(cy + 7.0)} Q{fmt(fx - 1.4)},{fmt(cy + 9.3)} '
            f'{fmt(fx + 0.1)},{fmt(cy + 6.6)} Q{fmt(fx + 1.6)},{fmt(cy + 9.3)} {fmt(fx + 3.1)},{fmt(cy + 7.0)}" '
            f'fill="none" stroke="{INK}" stroke-width="1.05" stroke-linecap="round" stroke-linejoin="round"/>')
    # eyes: with the face turned to the right, the right-hand eye is the far
    # one, a little narrower and tucked inside the cheek's contour
    for ex, rx, ry in ((fx - 5.6, 3.0, 3.7), (fx + 4.8, 2.6, 3.5)):
        ey = cy + 0.3
        draw_eye(doc, pose.eyes, ex, ey, rx, ry)
    doc.raw("</g>")


def draw_eye(doc, mode, ex, ey, rx, ry):
    if mode == "open":
        doc.shape(ellipse(ex, ey, rx, ry), fill=EYE, stroke=INK, sw=0.7)
        doc.shape(ellipse(ex, ey + 0.9, rx * 0.62, ry * 0.62), fill=EYE_DEEP)
        doc.shape(ellipse(ex, ey + ry * 0.55, rx * 0.55, ry * 0.22), fill=EYE_RIM, extra=' opacity="0.8"')
        doc.shape(ellipse(ex + rx * 0.28, ey - ry * 0.38, rx * 0.42, ry * 0.34), fill=WHITE)
        doc.shape(ellipse(ex - rx * 0.38, ey + ry * 0.38, rx * 0.2, ry * 0.16), fill=WHITE)
    elif mode == "happy":
        # a contented squint: ^ shaped arcs
        doc.raw(f'<path d="M{fmt(ex - rx)},{fmt(ey + 1.2)} Q{fmt(ex)},{fmt(ey - 2.6)} {fmt(ex + rx)},{fmt(ey + 1.2)}" '
                f'fill="none" stroke="{INK}" stroke-width="1.25" stroke-linecap="round"/>')
    else:
        # gently shut: downward arcs with a lash at the outer corner
        doc.raw(f'<path d="M{fmt(ex - rx)},{fmt(ey)} Q{fmt(ex)},{fmt(ey + 2.6)} {fmt(ex + rx)},{fmt(ey)}" '
                f'fill="none" stroke="{INK}" stroke-width="1.2" stroke-linecap="round"/>')


def body_walk(doc, pose):
    b = pose.bob
    body = ellipse(25.5, 50.5 + b, 16.5, 9.0, rot=-3)
    rump = ellipse(14.5, 50.0 + b, 8.5, 8.8)
    chest = ellipse(36.5, 50.0 + b, 8.0, 8.6)
    return body, rump, chest


def draw_walk(doc, pose):
    b = pose.bob
    # body, tail and head tip about the hind hip; the hips go with them while
    # the paws stay where they are on the ground
    px, py = 15.0, 54.0 + b
    ang = math.radians(-pose.lean)

    def tipped(pt):
        dx, dy = pt[0] - px, pt[1] - py
        return (px + dx * math.cos(ang) - dy * math.sin(ang),
                py + dx * math.sin(ang) + dy * math.cos(ang))

    legs = {k: replace(v, hip=tipped(v.hip)) for k, v in pose.legs.items()}
    tip_open = f'<g transform="rotate({fmt(-pose.lean)} {fmt(px)} {fmt(py)})">'

    # far legs first, shaded, each with its own outline
    for name in ("far_hind", "far_front"):
        sh = leg_shapes(legs[name], 5.0)
        doc.underlay(sh)
        for s in sh:
            if s[0] == "line":
                doc.shape(s, stroke=FUR_FAR)
            else:
                doc.shape(s, fill=FUR_FAR)
    doc.raw(tip_open)
    draw_tail(doc, pose, (11.5, 47.5 + b))
    doc.raw("</g>")
    body, rump, chest = body_walk(doc, pose)
    near = leg_shapes(legs["near_hind"], 5.6) + leg_shapes(legs["near_front"], 5.4)
    # one outline round body and near legs together, so no seam where they join
    doc.raw(tip_open)
    doc.underlay([body, rump, chest])
    doc.raw("</g>")
    doc.underlay(near)
    doc.raw(tip_open)
    for s in (body, rump, chest):
        doc.shape(s, fill=FUR)
    clip = doc.clip([body, rump, chest])
    # back stripes
    doc.raw(f'<g{clip} fill="none" stroke="{STRIPE}" stroke-linecap="round">')
    for x, slant in ((12.0, -1.5), (17.5, -1.0), (23.0, -0.5), (28.5, 0.0)):
        doc.raw(f'<path d="M{fmt(x + slant)},{fmt(40 + b)} Q{fmt(x + 1.8)},{fmt(45 + b)} {fmt(x + 0.4)},{fmt(49.5 + b)}" '
                f'stroke-width="2.1"/>')
    doc.raw(f'<path d="M6,{fmt(46 + b)} Q10,{fmt(43.5 + b)} 13,{fmt(44 + b)}" stroke-width="1.8"/>')
    doc.raw("</g>")
    # white chest and belly
    doc.raw(f"<g{clip}>")
    doc.shape(ellipse(27, 60.0 + b, 13.5, 4.6), fill=WHITE)
    doc.shape(ellipse(40.0, 53.5 + b, 5.5, 7.5, rot=-20), fill=WHITE)
    doc.raw("</g>")
    doc.raw("</g>")
    for s in near:
        if s[0] == "line":
            doc.shape(s, stroke=FUR)
        else:
            doc.shape(s, fill=FUR)
    # toes: two tiny lines on each near paw
    for name in ("near_hind", "near_front"):
        fx, fy = legs[name].foot
        for dx in (0.0, 1.8):
            doc.raw(f'<path d="M{fmt(fx + dx)},{fmt(fy - 0.4)} L{fmt(fx + dx)},{fmt(fy - 1.6)}" '
                    f'stroke="{FUR_FAR}" stroke-width="0.6" fill="none"/>')
    doc.raw(tip_open)
    head_group(doc, pose, 40.0 + pose.head_dx, 35.5 + b + pose.head_dy)
    doc.raw("</g>")


def draw_sit(doc, pose):
    haunch = ellipse(21.0, 57.5, 12.5, 11.3)
    trunk = ellipse(30.5, 51.0, 10.0, 13.0, rot=18)
    hind_foot = ellipse(31.5, 66.3, 6.0, 2.5)
    front_leg_base = ellipse(36.5, 58.0, 4.0, 9.5, rot=8)
    front_foot = ellipse(40.0, 66.4, 3.6, 2.4)
    group = [haunch, trunk, hind_foot, front_leg_base, front_foot]
    doc.underlay(group)
    for s in group:
        doc.shape(s, fill=FUR)
    clip = doc.clip([haunch, trunk])
    doc.raw(f'<g{clip} fill="none" stroke="{STRIPE}" stroke-linecap="round">')
    for x, y in ((12.0, 50.0), (16.5, 47.0), (21.5, 44.5)):
        doc.raw(f'<path d="M{fmt(x)},{fmt(y)} Q{fmt(x + 3)},{fmt(y + 4)} {fmt(x + 2.2)},{fmt(y + 9)}" stroke-width="2.1"/>')
    doc.raw("</g>")
    doc.raw(f"<g{clip}>")
    doc.shape(ellipse(37.5, 52.0, 5.5, 10.0, rot=12), fill=WHITE)
    doc.raw("</g>")
    # haunch contour so the thigh reads
    doc.raw(f'<path d="M14,52 Q20,48 27,53 Q30,57 30,64" fill="none" stroke="{INK}" stroke-width="0.8" stroke-linecap="round"/>')

    # the tail comes round from behind and lies over the front of the feet
    draw_tail(doc, pose, (11.0, 59.8), w0=4.6, w1=3.6)

    hx, hy = 39.0, 31.5
    if pose.paws == 1:
        near_paw, far_paw, tilt = (48.5, 44.0), (44.0, 46.0), 6.0
    else:
        near_paw, far_paw, tilt = (47.5, 35.0), (44.0, 45.5), 8.0
    # far arm raised behind
    far = [line(f"M35,52 Q40,50 {fmt(far_paw[0])},{fmt(far_paw[1])}", 4.6),
           ellipse(far_paw[0], far_paw[1], 2.6, 2.3)]
    doc.underlay(far)
    doc.shape(far[0], stroke=FUR_FAR)
    doc.shape(far[1], fill=FUR_FAR)
    head_group(doc, replace(pose, head_tilt=tilt), hx, hy)
    # near arm, raised to the face in front of the head
    nx, ny = near_paw
    # the elbow stays low and forward, so a paw raised high bends the arm
    ex, ey = max(nx - 4, 44.5), max(ny + 8, 49.0)
    arm = [line(f"M37,53 Q{fmt(ex)},{fmt(ey)} {fmt(nx)},{fmt(ny)}", 5.0),
           ellipse(nx, ny - 0.3, 3.0, 2.7, rot=-30)]
    doc.underlay(arm)
    doc.shape(arm[0], stroke=FUR)
    doc.shape(arm[1], fill=FUR)
    doc.shape(ellipse(nx + 0.6, ny - 0.7, 1.8, 1.5, rot=-30), fill=WHITE)


# The walking kitten is drawn a little left of where it finally sits in the
# cell; this moves it so the tail clears the left border and the nose stays
# inside the 57 columns it may use.
WALK_SHIFT = 1.0


def frame_svg(pose, size=70, margin=0):
    doc = Doc()
    if pose.kind == "sit":
        draw_sit(doc, pose)
        return doc.svg(size, 0.0, margin)
    draw_walk(doc, pose)
    return doc.svg(size, WALK_SHIFT, margin)


# ---------------------------------------------------------------------------
# the frame table

def walk_pose(t, tail, eyes="open"):
    """Pose at step t (0..7) of the stride.

    The feet swing along a cosine, which is symmetric about the stride
    extreme at t = 7: steps 6 and 0 mirror each other in time, which is why
    the sheet can reuse one picture for both.  A paw only leaves the ground
    while it swings forward, in the steps between the extremes, so the
    picture either side of t = 7 is the same.
    """
    s = math.cos(2 * math.pi * (t - 7) / 8)
    amp = 5.0
    lift_a = {1: 1.4, 2: 1.8}.get(t, 0.0)        # far front + near hind swing forward
    lift_b = {4: 1.8, 5: 1.4}.get(t, 0.0)        # near front + far hind swing forward
    bob = 1.3 * abs(s) - 0.5
    legs = {
        "near_front": Leg((37.5, 54 + bob), (40.0 + amp * s, GROUND - lift_b), knee=-0.6),
        "far_front": Leg((34.0, 54 + bob), (36.0 - amp * s, GROUND - lift_a), knee=-0.6),
        "near_hind": Leg((15.0, 54 + bob), (14.0 - amp * s, GROUND - lift_a), knee=1.8),
        "far_hind": Leg((18.5, 54 + bob), (18.5 + amp * s, GROUND - lift_b), knee=1.8),
    }
    return Pose(kind="walk", bob=bob, legs=legs, tail=tail, eyes=eyes,
                head_dy=-0.4 * (1 - abs(s)), tail_sway=0.6 * s)


def frames():
    """The eleven poses, in sheet order."""
    f = [None] * 11
    f[0] = walk_pose(7, "low")
    f[1] = walk_pose(0, "low")
    f[2] = walk_pose(1, "mid")
    f[3] = replace(walk_pose(2, "high"), lean=2.0)   # stands tall
    f[4] = walk_pose(3, "high")
    f[5] = walk_pose(4, "high")
    f[6] = walk_pose(5, "mid")
    f[7] = f[1]
    f[8] = replace(f[0], eyes="happy")
    f[9] = Pose(kind="sit", tail="wrap", eyes="shut", paws=1)
    f[10] = Pose(kind="sit", tail="wrap", eyes="shut", paws=2)
    return f
