#!/usr/bin/python3
"""Draws every picture and icon of the resource set into src/res/.

The generated files are committed; run this only after changing a drawing:
    /usr/bin/python3 src/res/tools/make-images.py
Every picture the windows show is drawn at 1x, 1.5x and 2x ("name.png", "name@1.5x.png",
"name@2x.png"): the engine takes the one nearest the window's scale. Shapes are drawn in
1x coordinates and multiplied, text is set at the scaled size, so each is sharp, not
resampled. The card background (a file of fixed size) and the uniform mask are 1x only.
Needs python3-pil, ImageMagick's `convert` (for the multi-size .ico) and
fonts-wqy-microhei (Chinese labels).
"""
import os
import subprocess
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)
IMG = os.path.join(RES, "images")
ICO = os.path.join(RES, "icons")

FONT_FILE = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

BLUE = (44, 124, 232)        # #2C7CE8, the caption colour
BLUE_HOVER = (79, 148, 241)  # #4F94F1
BLUE_DOWN = (30, 98, 196)
BLUE_DARK = (24, 84, 178)
TEXT = (51, 51, 51)
GREY_TEXT = (120, 132, 150)
WHITE = (255, 255, 255)

SS = 4  # shapes are drawn this many times larger, then reduced: smooth edges

K = 1.0  # the scale being drawn; coordinates below stay in 1x pixels


def px(v):
    """A 1x length in pixels of the current scale, halves rounded up."""
    return int(v * K + 0.5)


def font(size):
    return ImageFont.truetype(FONT_FILE, size)


def rgba(c, a=255):
    return (c[0], c[1], c[2], a)


class Canvas:
    """A picture drawn at SS times its size; coordinates are in final pixels."""

    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = px(w), px(h)
        self.im = Image.new("RGBA", (self.w * SS, self.h * SS), bg)
        self.d = ImageDraw.Draw(self.im)

    def s(self, *v):
        return [round(x * SS * K) for x in v]

    def rrect(self, box, r, fill=None, outline=None, width=1.0):
        self.d.rounded_rectangle(self.s(*box), radius=r * SS * K, fill=fill, outline=outline,
                                 width=max(1, round(width * SS * K)))

    def rect(self, box, fill):
        self.d.rectangle(self.s(*box), fill=fill)

    def ellipse(self, box, fill=None, outline=None, width=1.0):
        self.d.ellipse(self.s(*box), fill=fill, outline=outline, width=max(1, round(width * SS * K)))

    def line(self, pts, fill, width=1.0):
        flat = [p for xy in pts for p in self.s(*xy)]
        self.d.line(flat, fill=fill, width=max(1, round(width * SS * K)), joint="curve")
        # round caps
        r = width * SS * K / 2
        for x, y in pts[:1] + pts[-1:]:
            cx, cy = x * SS * K, y * SS * K
            self.d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=fill)

    def poly(self, pts, fill):
        self.d.polygon([p for xy in pts for p in self.s(*xy)], fill=fill)

    def arc(self, box, start, end, fill, width=1.0):
        self.d.arc(self.s(*box), start, end, fill=fill, width=max(1, round(width * SS * K)))

    def done(self):
        return self.im.resize((self.w, self.h), Image.LANCZOS)


def text_center(im, box, text, size, fill, dy=0):
    """Crisp text drawn at final size, centred in box (1x units)."""
    box = [b * K for b in box]
    size, dy = round(size * K), dy * K
    d = ImageDraw.Draw(im)
    f = font(size)
    l, t, r, b = d.textbbox((0, 0), text, font=f)
    x = box[0] + (box[2] - box[0] - (r - l)) / 2 - l
    y = box[1] + (box[3] - box[1] - (b - t)) / 2 - t + dy
    d.text((round(x), round(y)), text, font=f, fill=fill)


def strip(frames):
    """States side by side, left to right."""
    w = sum(f.width for f in frames)
    h = max(f.height for f in frames)
    out = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    x = 0
    for f in frames:
        out.paste(f, (x, 0))
        x += f.width
    return out


def save(im, name):
    if K != 1:
        base, ext = os.path.splitext(name)
        name = "%s@%gx%s" % (base, K, ext)
    path = os.path.join(IMG, name)
    im.save(path, optimize=True)
    print("wrote", os.path.relpath(path, RES), im.size, im.mode)


# ---------------------------------------------------------------- icons (glyphs)

def glyph_document(c, x, y, w, h, color, fold=None, lines=True, stroke=1.0):
    """An invoice sheet with a folded corner, outline only."""
    f = fold if fold is not None else w * 0.3
    pts = [(x, y), (x + w - f, y), (x + w, y + f), (x + w, y + h), (x, y + h), (x, y)]
    c.line(pts, color, stroke)
    c.line([(x + w - f, y), (x + w - f, y + f), (x + w, y + f)], color, stroke)
    if lines:
        for i in range(3):
            ly = y + h * (0.45 + i * 0.17)
            c.line([(x + w * 0.22, ly), (x + w * (0.78 if i < 2 else 0.55), ly)], color, stroke)


def glyph_yuan(c, cx, cy, s, color, stroke):
    """The ¥ sign, s = height."""
    top = cy - s / 2
    c.line([(cx - s * 0.32, top), (cx, top + s * 0.42), (cx + s * 0.32, top)], color, stroke)
    c.line([(cx, top + s * 0.42), (cx, top + s)], color, stroke)
    c.line([(cx - s * 0.26, top + s * 0.50), (cx + s * 0.26, top + s * 0.50)], color, stroke)
    c.line([(cx - s * 0.26, top + s * 0.72), (cx + s * 0.26, top + s * 0.72)], color, stroke)


def logo_tile(size):
    """The program icon: a blue tile holding a white invoice sheet with the yuan sign."""
    c = Canvas(size, size)
    r = size * 0.22
    # vertical gradient from a lighter to the brand blue
    grad = Image.new("RGBA", (size * SS, size * SS))
    gd = ImageDraw.Draw(grad)
    top, bot = (74, 152, 245), (30, 102, 214)
    for yy in range(size * SS):
        t = yy / (size * SS - 1)
        gd.line([(0, yy), (size * SS, yy)],
                fill=tuple(round(top[i] + (bot[i] - top[i]) * t) for i in range(3)) + (255,))
    mask = Image.new("L", (size * SS, size * SS), 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, size * SS - 1, size * SS - 1], radius=r * SS, fill=255)
    c.im.paste(grad, (0, 0), mask)
    # sheet
    sx, sy, sw, sh = size * 0.24, size * 0.17, size * 0.52, size * 0.66
    f = sw * 0.32
    c.poly([(sx, sy), (sx + sw - f, sy), (sx + sw, sy + f), (sx + sw, sy + sh), (sx, sy + sh)], rgba(WHITE))
    c.poly([(sx + sw - f, sy), (sx + sw - f, sy + f), (sx + sw, sy + f)], rgba((190, 216, 250)))
    if size >= 24:
        glyph_yuan(c, sx + sw / 2, sy + sh * 0.58, sh * 0.48, rgba(BLUE), max(1.2, size * 0.055))
    else:
        glyph_yuan(c, sx + sw / 2, sy + sh * 0.6, sh * 0.55, rgba(BLUE), 1.3)
    return c.done()


def logo_caption():
    """24 px mark for the blue caption: a white sheet with the yuan sign, no tile."""
    size = 24
    c = Canvas(size, size)
    c.rrect((1, 1, 23, 23), 5, fill=rgba(WHITE))
    sx, sy, sw, sh = 6.5, 4.5, 11, 15
    f = 3.6
    c.poly([(sx, sy), (sx + sw - f, sy), (sx + sw, sy + f), (sx + sw, sy + sh), (sx, sy + sh)], rgba(BLUE))
    c.poly([(sx + sw - f, sy), (sx + sw - f, sy + f), (sx + sw, sy + f)], rgba((160, 196, 246)))
    glyph_yuan(c, sx + sw / 2, sy + sh * 0.58, 7.6, rgba(WHITE), 1.35)
    return c.done()


# ---------------------------------------------------------------- small glyphs (16 px menu icons)

def menu_icon(kind, color):
    c = Canvas(16, 16)
    k = rgba(color)
    w = 1.4
    if kind == "window":
        c.rrect((2, 3, 14, 13), 1.5, outline=k, width=w)
        c.line([(2.5, 6), (13.5, 6)], k, w)
    elif kind == "gear":
        import math
        for i in range(8):
            a = i * math.pi / 4
            c.line([(8 + 4.2 * math.cos(a), 8 + 4.2 * math.sin(a)), (8 + 6.3 * math.cos(a), 8 + 6.3 * math.sin(a))], k, 2.0)
        c.ellipse((3.6, 3.6, 12.4, 12.4), outline=k, width=w)
        c.ellipse((6.3, 6.3, 9.7, 9.7), outline=k, width=w)
    elif kind == "refresh":
        c.arc((2.5, 2.5, 13.5, 13.5), 300, 230, k, w)
        c.poly([(9.6, 1.4), (13.6, 3.2), (10.2, 6.2)], k)
    elif kind == "card":
        c.rrect((1.5, 3, 14.5, 13), 1.5, outline=k, width=w)
        c.ellipse((3.6, 5.4, 6.8, 8.6), fill=k)
        c.line([(3.2, 11), (7.2, 11)], k, w)
        c.line([(9, 6.5), (12.5, 6.5)], k, w)
        c.line([(9, 9.5), (12.5, 9.5)], k, w)
    elif kind == "shop":
        c.line([(2, 5.5), (3.5, 2.5), (12.5, 2.5), (14, 5.5)], k, w)
        c.line([(2, 5.5), (14, 5.5)], k, w)
        c.line([(3, 6), (3, 13.5), (13, 13.5), (13, 6)], k, w)
        c.line([(6.5, 13.5), (6.5, 9.5), (9.5, 9.5), (9.5, 13.5)], k, w)
    elif kind == "help":
        c.ellipse((1.5, 1.5, 14.5, 14.5), outline=k, width=w)
        c.arc((5.6, 4, 10.4, 8.8), 180, 40, k, w)
        c.line([(10.1, 7.4), (8, 9.2), (8, 10)], k, w)
        c.ellipse((7.2, 11.3, 8.8, 12.9), fill=k)
    elif kind == "info":
        c.ellipse((1.5, 1.5, 14.5, 14.5), outline=k, width=w)
        c.ellipse((7.2, 4, 8.8, 5.6), fill=k)
        c.line([(8, 7.4), (8, 11.8)], k, 1.6)
    elif kind == "upgrade":
        c.line([(8, 13), (8, 3.5)], k, 1.6)
        c.line([(4, 7.2), (8, 3.2), (12, 7.2)], k, 1.6)
        c.line([(3, 14), (13, 14)], k, w)
    elif kind == "power":
        c.arc((2.5, 3, 13.5, 14), 300, 240, k, 1.6)
        c.line([(8, 1.8), (8, 7.6)], k, 1.6)
    return c.done()


# ---------------------------------------------------------------- pictures

def traymenu_icons():
    kinds = ["window", "gear", "refresh", "card", "shop", "help", "info", "upgrade", "power"]
    return strip([menu_icon(k, (72, 86, 106) if k != "power" else (214, 69, 65)) for k in kinds])


def text_button(w, h, label, size, style, radius=4):
    """Three states: normal, hover, pushed."""
    frames = []
    for state in range(3):
        c = Canvas(w, h)
        if style == "outline":
            fill = [rgba(WHITE), rgba(BLUE), rgba(BLUE_DOWN)][state]
            edge = [rgba(BLUE), rgba(BLUE), rgba(BLUE_DOWN)][state]
            ink = [BLUE, WHITE, WHITE][state]
            c.rrect((0.5, 0.5, w - 0.5, h - 0.5), radius, fill=fill, outline=edge, width=1)
        else:
            fill = [rgba(BLUE), rgba(BLUE_HOVER), rgba(BLUE_DOWN)][state]
            ink = WHITE
            c.rrect((0, 0, w, h), radius, fill=fill)
        im = c.done()
        text_center(im, (0, 0, w, h), label, size, ink, dy=1 if state == 2 else 0)
        frames.append(im)
    return strip(frames)


def download_button():
    w, h = 94, 34
    frames = []
    for state in range(3):
        c = Canvas(w, h)
        fill = [rgba(BLUE), rgba(BLUE_HOVER), rgba(BLUE_DOWN)][state]
        c.rrect((0, 0, w, h), 4, fill=fill)
        k = rgba(WHITE)
        ox = 14
        c.line([(ox + 6, 9), (ox + 6, 19)], k, 1.6)
        c.line([(ox + 2, 15), (ox + 6, 19.4), (ox + 10, 15)], k, 1.6)
        c.line([(ox + 1, 24), (ox + 11, 24)], k, 1.6)
        im = c.done()
        text_center(im, (30, 0, w - 8, h), "下载名片", 14, WHITE, dy=1 if state == 2 else 0)
        frames.append(im)
    return strip(frames)


def bar_glyph(c, kind, x, y, color):
    """22 px glyphs for the bottom bar."""
    k = rgba(color)
    w = 1.7
    if kind == "bizcard":
        c.rrect((x + 1, y + 3, x + 21, y + 19), 2.5, outline=k, width=w)
        c.ellipse((x + 4.5, y + 6.5, x + 9.5, y + 11.5), outline=k, width=w)
        c.line([(x + 4, y + 15.5), (x + 10, y + 15.5)], k, w)
        c.line([(x + 12.5, y + 8), (x + 18, y + 8)], k, w)
        c.line([(x + 12.5, y + 12), (x + 18, y + 12)], k, w)
    elif kind == "bizcenter":
        c.line([(x + 2, y + 8), (x + 4.5, y + 3), (x + 17.5, y + 3), (x + 20, y + 8)], k, w)
        c.line([(x + 2, y + 8), (x + 20, y + 8)], k, w)
        c.line([(x + 3.5, y + 9), (x + 3.5, y + 19.5), (x + 18.5, y + 19.5), (x + 18.5, y + 9)], k, w)
        c.line([(x + 8.5, y + 19.5), (x + 8.5, y + 13.5), (x + 13.5, y + 13.5), (x + 13.5, y + 19.5)], k, w)
    elif kind == "help":
        c.ellipse((x + 1.5, y + 1.5, x + 20.5, y + 20.5), outline=k, width=w)
        c.arc((x + 7.5, y + 5.5, x + 14.5, y + 12.5), 180, 40, k, w)
        c.line([(x + 14.1, y + 10.4), (x + 11, y + 13), (x + 11, y + 14.2)], k, w)
        c.ellipse((x + 9.9, y + 15.8, x + 12.1, y + 18), fill=k)


def tab_button(kind, label):
    """Bottom-bar buttons: glyph over label; transparent, tinted on hover and press."""
    w, h = 148, 50
    frames = []
    for state in range(3):
        c = Canvas(w, h)
        if state == 1:
            c.rect((0, 0, w, h), rgba((236, 244, 254)))
        elif state == 2:
            c.rect((0, 0, w, h), rgba((221, 234, 252)))
        ink = [(88, 100, 118), BLUE, BLUE_DOWN][state]
        f = font(round(15 * K))
        tw = ImageDraw.Draw(Image.new("L", (1, 1))).textlength(label, font=f) / K
        gx = (w - (22 + 8 + tw)) / 2
        bar_glyph(c, kind, gx, (h - 22) / 2, ink)
        im = c.done()
        ImageDraw.Draw(im).text((round((gx + 30) * K), round(((h - 20) // 2 - 1) * K)), label, font=f, fill=ink)
        frames.append(im)
    return strip(frames)


def tab_splitter():
    w, h = px(1), px(24)
    im = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    for y in range(h):
        a = round(255 * (1 - abs(y - (h - 1) / 2) / (h / 2)) ** 0.6)
        for x in range(w):
            im.putpixel((x, y), (222, 227, 235, a))
    return im


def vscroll():
    """Scroll-bar sheet: states across (normal, hover, pushed, disabled), parts down
    (up arrow, down arrow, track, thumb, gripper); square 16 px cells, 9-patch margin 4."""
    n = 16
    cell = px(n)
    thumb = [(201, 210, 224), (168, 181, 200), (139, 156, 181), (229, 233, 239)]
    arrow = [(150, 160, 176), (96, 112, 136), (64, 82, 110), (208, 213, 221)]
    sheet = Image.new("RGBA", (4 * cell, 5 * cell), (0, 0, 0, 0))
    for state in range(4):
        for part in range(5):
            c = Canvas(n, n)
            if part in (0, 1):
                pts = [(5, 9.5), (8, 6.5), (11, 9.5)] if part == 0 else [(5, 6.5), (8, 9.5), (11, 6.5)]
                c.line(pts, rgba(arrow[state]), 1.5)
            elif part == 2:
                c.rrect((6, 0.5, 10, 15.5), 2, fill=rgba((241, 244, 248)))
            elif part == 3:
                c.rrect((4.5, 0.5, 11.5, 15.5), 3.5, fill=rgba(thumb[state]))
            else:
                for i in range(3):
                    c.line([(6.2, 5.5 + i * 2.5), (9.8, 5.5 + i * 2.5)], rgba(WHITE, 210), 1.0)
            sheet.paste(c.done(), (state * cell, part * cell))
    return sheet


def caption_button(kind):
    """Close and minimise buttons for the blue captions: white glyph, light veil on
    hover, stronger when pushed. The engine brings no system skins of its own."""
    n = 28
    frames = []
    for state in range(3):
        c = Canvas(n, n)
        if state:
            c.rrect((0, 0, n, n), 4, fill=(255, 255, 255, [0, 46, 80][state]))
        k = rgba(WHITE)
        if kind == "close":
            c.line([(9.5, 9.5), (18.5, 18.5)], k, 1.6)
            c.line([(18.5, 9.5), (9.5, 18.5)], k, 1.6)
        else:
            c.line([(9, 14.5), (19, 14.5)], k, 1.6)
        frames.append(c.done())
    return strip(frames)


def fetchvcode_mask():
    """Mask of the verification-code button. The skin samples only its top-left
    29 x 50 pixels and stretches them over the button, so any shape in it would be
    smeared; a uniform white sheet lets the colour show everywhere in every channel
    (the button is a plain flat block that continues the code edit box). 24-bit, no alpha."""
    return Image.new("RGB", (118, 52), WHITE)


def shadow():
    """Nine-patch shadow frame, margins 10: a soft edge around a white body 6 px in."""
    n, k = px(40), K * SS
    big = Image.new("L", (n * SS, n * SS), 0)
    ImageDraw.Draw(big).rounded_rectangle([round(6 * k), round(7 * k), round(34 * k) - 1, round(35 * k) - 1],
                                          radius=2 * k, fill=70)
    big = big.filter(ImageFilter.GaussianBlur(3.2 * k)).resize((n, n), Image.LANCZOS)
    im = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    im.putalpha(big)
    inset, line = px(6), px(6) - px(5)
    body = Image.new("RGBA", (n - 2 * inset, n - 2 * inset), (255, 255, 255, 255))
    im.paste(body, (inset, inset))
    # hairline around the body so the panel reads on white backgrounds too
    d = ImageDraw.Draw(im)
    d.rectangle([inset - line, inset - line, n - inset + line - 1, n - inset + line - 1],
                outline=(20, 40, 80, 40), width=line)
    im.paste(body, (inset, inset))
    return im


def bizcard_frame():
    """Background of the saved business card, 683 x 1024; the QR code goes into
    x 160..519, y 325..684."""
    W, H = 683, 1024
    c = Canvas(W, H)
    # card body with a soft drop
    c.rrect((0, 0, W, H), 40, fill=rgba((246, 249, 254)))
    # blue head with two soft circles
    head = Image.new("RGBA", (W * SS, 430 * SS))
    hd = ImageDraw.Draw(head)
    top, bot = (64, 146, 246), (34, 106, 220)
    for y in range(430 * SS):
        t = y / (430 * SS - 1)
        hd.line([(0, y), (W * SS, y)], fill=tuple(round(top[i] + (bot[i] - top[i]) * t) for i in range(3)) + (255,))
    # drawing with alpha replaces pixels, so the circles go on their own layer
    glow = Image.new("RGBA", head.size, (255, 255, 255, 0))
    gl = ImageDraw.Draw(glow)
    gl.ellipse([470 * SS, -160 * SS, 820 * SS, 190 * SS], fill=(255, 255, 255, 22))
    gl.ellipse([-120 * SS, 250 * SS, 160 * SS, 530 * SS], fill=(255, 255, 255, 16))
    head = Image.alpha_composite(head, glow)
    mask = Image.new("L", (W * SS, H * SS), 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, W * SS - 1, H * SS - 1], radius=40 * SS, fill=255)
    head_mask = mask.crop((0, 0, W * SS, 430 * SS))
    c.im.paste(head, (0, 0), head_mask)
    # white panel holding the code
    c.rrect((70, 235, W - 70, 905), 24, fill=rgba((226, 233, 244)))
    c.rrect((66, 228, W - 66, 898), 24, fill=rgba(WHITE))
    # corner brackets around the code area
    k = rgba(BLUE)
    x0, y0, x1, y1 = 138, 303, 541, 706
    L = 34
    for (x, y, dx, dy) in [(x0, y0, 1, 1), (x1, y0, -1, 1), (x0, y1, 1, -1), (x1, y1, -1, -1)]:
        c.line([(x, y + dy * L), (x, y), (x + dx * L, y)], k, 5)
    im = c.done()
    # the code area itself stays clean white
    ImageDraw.Draw(im).rectangle([160, 325, 519, 684], fill=(255, 255, 255, 255))

    # logo and words
    logo = logo_tile(64)
    im.alpha_composite(logo, (64, 62))
    d = ImageDraw.Draw(im)
    d.text((146, 66), "Lumora开票助手", font=font(30), fill=(255, 255, 255, 255))
    d.text((146, 106), "智能开票 · 一键填写购方信息", font=font(19), fill=(220, 234, 255, 255))
    text_center(im, (0, 150, W, 205), "企业开票名片", 42, (255, 255, 255, 255))
    text_center(im, (66, 242, W - 66, 292), "扫一扫，获取本企业开票信息", 24, rgba(TEXT))
    text_center(im, (66, 722, W - 66, 766), "微信扫码 · 开票信息一键带入", 22, rgba(BLUE))
    d.line([(140, 790), (W - 140, 790)], fill=(232, 236, 243, 255), width=2)
    text_center(im, (66, 806, W - 66, 840), "名称  ·  税号  ·  地址电话  ·  开户行及账号", 18, rgba(GREY_TEXT))
    text_center(im, (66, 842, W - 66, 876), "开票时请向开票方出示本名片", 18, rgba(GREY_TEXT))
    text_center(im, (0, 940, W, 980), "由 Lumora开票助手 生成", 18, rgba((150, 162, 180)))
    return im


# ---------------------------------------------------------------- icons

def icons():
    os.makedirs(ICO, exist_ok=True)
    files = []
    for size in (16, 24, 32, 48, 256):
        p = os.path.join(ICO, "logo%d.png" % size)
        logo_tile(size).save(p, optimize=True)
        files.append(p)
        if size != 256:
            single = os.path.join(ICO, "logo%d.ico" % size)
            subprocess.run(["convert", p, single], check=True)
            print("wrote", os.path.relpath(single, RES))
    multi = os.path.join(ICO, "logo.ico")
    # 256 stays PNG-compressed inside the .ico, the small ones are bitmaps
    subprocess.run(["convert"] + files + [multi], check=True)
    print("wrote", os.path.relpath(multi, RES))
    for p in files:
        os.remove(p)


def msgbox_icons():
    """Message box icons, 32 × 32 each: information, question, warning, error."""
    frames = []
    for kind in ("info", "question", "warning", "error"):
        c = Canvas(32, 32)
        if kind == "warning":
            c.poly([(16, 2.5), (30.5, 28.5), (1.5, 28.5)], rgba((240, 160, 32)))
            c.line([(16, 11), (16, 19.5)], rgba(WHITE), 3.0)
            c.ellipse((14.3, 22.3, 17.7, 25.7), fill=rgba(WHITE))
        else:
            colour = (224, 72, 60) if kind == "error" else BLUE
            c.ellipse((1, 1, 31, 31), fill=rgba(colour))
            if kind == "info":
                c.ellipse((14.2, 7.2, 17.8, 10.8), fill=rgba(WHITE))
                c.line([(16, 14.5), (16, 24)], rgba(WHITE), 3.2)
            elif kind == "question":
                c.arc((10.5, 6.5, 21.5, 17.5), 180, 60, rgba(WHITE), 3.0)
                c.line([(19.3, 15.8), (16, 18.5), (16, 20.5)], rgba(WHITE), 3.0)
                c.ellipse((14.3, 23, 17.7, 26.4), fill=rgba(WHITE))
            else:
                c.line([(10.5, 10.5), (21.5, 21.5)], rgba(WHITE), 3.2)
                c.line([(21.5, 10.5), (10.5, 21.5)], rgba(WHITE), 3.2)
        frames.append(c.done())
    return strip(frames)


def scaled_pictures():
    save(traymenu_icons(), "traymenu_icons.png")
    save(text_button(64, 28, "导入", 14, "outline"), "btn_import.png")
    save(text_button(52, 24, "导入", 13, "outline"), "btn_import_small.png")
    save(tab_button("bizcard", "企业名片"), "btn_tab_bizcard.png")
    save(tab_button("bizcenter", "商户中心"), "btn_tab_bizcenter.png")
    save(tab_button("help", "帮助"), "btn_tab_help.png")
    save(tab_splitter(), "tab_splitter.png")
    save(vscroll(), "png_vscroll.png")
    save(text_button(330, 50, "登 录", 18, "filled"), "btn_login.png")
    save(download_button(), "btn_download.png")
    save(shadow(), "id_shadow.png")
    save(logo_caption(), "img_logo24.png")
    save(caption_button("close"), "sys_btn_close.png")
    save(caption_button("minimize"), "sys_btn_minimize.png")
    save(msgbox_icons(), "msgbox_icons.png")


def main():
    global K
    os.makedirs(IMG, exist_ok=True)
    for K in (1.0, 1.5, 2.0):
        scaled_pictures()
    K = 1.0
    save(fetchvcode_mask(), "btn_fetchvcode.png")
    card = bizcard_frame()
    save(card, "img_bizcardframe.png")
    card.save(os.path.join(RES, "bizcard_frame.png"), optimize=True)
    icons()
    return 0


if __name__ == "__main__":
    sys.exit(main())
