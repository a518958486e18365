#!/usr/bin/python3
"""Draws the program's GIF pictures into this folder.

Run it after changing a drawing: `resources/artwork/make_artwork.py`. It needs Pillow and
the DejaVu fonts (Debian packages python3-pil and fonts-dejavu-core). The GIF files it
writes are committed, so the build itself never needs it. Every picture is drawn at the
exact size the windows place it at; shapes are drawn four times larger and scaled down so
that their edges are smooth, texts are drawn at their final size so that they stay sharp.
"""

import os

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONTS = "/usr/share/fonts/truetype/dejavu/"

BLUE = (122, 150, 223)       # the windows' background
MAGENTA = (204, 51, 204)     # the accent
WHITE = (255, 255, 255)
INK = (28, 42, 96)           # dark blue for body text
DEEP = (58, 86, 170)         # darker shade of the background blue
PALE = (214, 224, 247)       # lighter shade of the background blue
GREY = (120, 120, 130)

SS = 4  # supersampling factor for shapes


def font(name, size):
    return ImageFont.truetype(FONTS + name, size)


SANS = "DejaVuSans.ttf"
SANS_BOLD = "DejaVuSans-Bold.ttf"
SERIF_BOLD_ITALIC = "DejaVuSerif-BoldItalic.ttf"


class Canvas:
    """A picture drawn in two passes: smooth shapes at SS times the size, then sharp text."""

    def __init__(self, width, height, background):
        self.width, self.height = width, height
        self.big = Image.new("RGB", (width * SS, height * SS), background)
        self.shapes = ImageDraw.Draw(self.big)
        self.final = None

    def s(self, *values):
        return [v * SS for v in values]

    def ellipse(self, box, fill=None, outline=None, width=1):
        self.shapes.ellipse(self.s(*box), fill=fill, outline=outline, width=width * SS)

    def rect(self, box, fill=None, outline=None, width=1, radius=0):
        self.shapes.rounded_rectangle(self.s(*box), radius=radius * SS, fill=fill, outline=outline,
                                      width=width * SS)

    def line(self, points, fill, width=1):
        self.shapes.line(self.s(*points), fill=fill, width=width * SS)

    def arc(self, box, start, end, fill, width=1):
        self.shapes.arc(self.s(*box), start, end, fill=fill, width=width * SS)

    def polygon(self, points, fill=None, outline=None):
        self.shapes.polygon(self.s(*points), fill=fill, outline=outline)

    def text_layer(self):
        if self.final is None:
            self.final = self.big.resize((self.width, self.height), Image.LANCZOS)
        return ImageDraw.Draw(self.final)

    def text(self, xy, text, fnt, fill, anchor="la"):
        self.text_layer().text(xy, text, font=fnt, fill=fill, anchor=anchor)

    def shadowed(self, xy, text, fnt, fill, shadow, anchor="la", offset=1):
        draw = self.text_layer()
        x, y = xy
        draw.text((x + offset, y + offset), text, font=fnt, fill=shadow, anchor=anchor)
        draw.text((x, y), text, font=fnt, fill=fill, anchor=anchor)

    def save(self, name):
        self.text_layer()
        picture = self.final.convert("P", palette=Image.ADAPTIVE, colors=255)
        path = os.path.join(HERE, name + ".gif")
        picture.save(path, optimize=False)
        check = Image.open(path)
        assert check.size == (self.width, self.height), (name, check.size)
        print(f"{name}.gif {self.width}x{self.height}")


def wrap(text, fnt, width):
    lines, line = [], ""
    for word in text.split():
        trial = word if not line else line + " " + word
        if fnt.getlength(trial) <= width:
            line = trial
        else:
            lines.append(line)
            line = word
    lines.append(line)
    return lines


def paragraph(canvas, box, heading, body):
    """A magenta heading line, then the body text wrapped to the box, in dark blue."""
    left, top, right, _ = box
    head = font(SANS_BOLD, 13)
    canvas.text((left, top), heading, head, MAGENTA)
    y = top + 22
    body_font = font(SANS, 12)
    for line in wrap(body, body_font, right - left):
        canvas.text((left, y), line, body_font, INK)
        y += 16
    return y


def banner():
    # The splash window shows only columns 79 to 468 and the start-page dialog drops the
    # first 8, so everything that matters sits in the middle.
    c = Canvas(479, 60, BLUE)
    for i, x in enumerate(range(-40, 80, 14)):          # sweeping stripes, free to be cut off
        c.line((x, 60, x + 40, 0), fill=DEEP if i % 2 else PALE, width=3)
        c.line((479 - x, 60, 439 - x, 0), fill=DEEP if i % 2 else PALE, width=3)
    c.rect((96, 6, 452, 55), fill=DEEP, radius=10)
    c.rect((94, 4, 450, 53), fill=WHITE, outline=MAGENTA, width=2, radius=10)
    # a half-closed eye: the program hides what you look at
    c.ellipse((106, 16, 138, 40), fill=PALE, outline=INK, width=2)
    c.ellipse((116, 22, 128, 34), fill=MAGENTA)
    c.rect((104, 14, 140, 28), fill=WHITE)
    c.arc((106, 16, 138, 40), 180, 360, fill=INK, width=2)
    c.line((106, 28, 140, 28), fill=INK, width=2)
    c.shadowed((296, 7), "Tarmel Veilo", font(SERIF_BOLD_ITALIC, 26), MAGENTA, PALE, anchor="ma", offset=2)
    c.text((296, 38), "- Surfez sur le web en toute discrétion -", font(SANS_BOLD, 11), INK, anchor="ma")
    c.save("banner")


def browser_globe():
    # The file count is written over the right end, so the drawing keeps to the left.
    c = Canvas(154, 70, WHITE)
    c.rect((6, 6, 112, 64), fill=PALE, outline=DEEP, width=2, radius=5)
    c.rect((6, 6, 112, 17), fill=DEEP, radius=5)
    c.rect((6, 12, 112, 17), fill=DEEP)
    for i, x in enumerate((12, 19, 26)):
        c.ellipse((x - 2, 9, x + 2, 13), fill=MAGENTA if i == 0 else WHITE)
    c.rect((34, 9, 104, 14), fill=WHITE, radius=2)
    # the globe
    cx, cy, r = 59, 41, 20
    c.ellipse((cx - r, cy - r, cx + r, cy + r), fill=BLUE, outline=INK, width=2)
    c.ellipse((cx - 9, cy - r, cx + 9, cy + r), outline=WHITE, width=1)
    c.line((cx, cy - r, cx, cy + r), fill=WHITE, width=1)
    c.line((cx - r, cy, cx + r, cy), fill=WHITE, width=1)
    c.arc((cx - r, cy - 30, cx + r, cy - 4), 30, 150, fill=WHITE, width=1)
    c.arc((cx - r, cy + 4, cx + r, cy + 30), 210, 330, fill=WHITE, width=1)
    c.arc((cx - 30, cy - 10, cx + 30, cy + 12), 200, 340, fill=MAGENTA, width=2)
    c.arc((cx - 30, cy - 10, cx + 30, cy + 12), 20, 160, fill=MAGENTA, width=2)
    c.save("browser_globe")


def computer():
    c = Canvas(110, 60, WHITE)
    c.rect((14, 4, 76, 44), fill=GREY, radius=4)              # monitor
    c.rect((18, 8, 72, 39), fill=BLUE)                        # screen
    c.rect((22, 12, 46, 18), fill=WHITE)                      # a window on the screen
    c.rect((22, 12, 46, 14), fill=MAGENTA)
    c.line((50, 24, 68, 24), fill=PALE, width=2)
    c.line((50, 29, 64, 29), fill=PALE, width=2)
    c.polygon((40, 44, 50, 44, 54, 51, 36, 51), fill=GREY)   # stand
    c.rect((30, 51, 60, 54), fill=GREY, radius=1)
    c.rect((82, 6, 102, 54), fill=GREY, radius=3)             # tower
    c.rect((86, 12, 98, 15), fill=INK)
    c.rect((86, 19, 98, 22), fill=INK)
    c.ellipse((90, 42, 94, 46), fill=MAGENTA)
    c.rect((10, 55, 74, 58), fill=INK, radius=1)              # keyboard edge
    c.save("computer")


def internet_text():
    c = Canvas(254, 107, WHITE)
    paragraph(c, (5, 4, 250, 105), "Votre navigateur se souvient",
              "Votre ordinateur garde une copie temporaire de tout ce que vous voyez sur le web. "
              "Ce nettoyage laisse votre navigateur libre de toute trace.")
    c.save("internet_text")


def windows_text():
    c = Canvas(248, 121, WHITE)
    paragraph(c, (5, 6, 244, 119), "Votre ordinateur se souvient",
              "Dans le menu Démarrer, votre ordinateur garde des raccourcis vers les derniers "
              "documents que vous avez ouverts. Ce nettoyage les efface tous.")
    c.save("windows_text")


def heading(name, text, width, height, size):
    c = Canvas(width, height, BLUE)
    c.line((0, height - 2, width, height - 2), fill=MAGENTA, width=2)
    c.shadowed((2, height // 2 - 1), text, font(SANS_BOLD, size), WHITE, DEEP, anchor="lm")
    c.save(name)


def disc(name):
    c = Canvas(65, 65, BLUE)
    c.ellipse((3, 4, 63, 64), fill=DEEP)                      # shadow
    c.ellipse((1, 1, 61, 61), fill=WHITE, outline=MAGENTA, width=2)
    c.ellipse((6, 6, 56, 56), outline=PALE, width=2)
    return c


def start_disc():
    c = disc("start_disc")
    c.shadowed((31, 31), "Start", font(SANS_BOLD, 15), MAGENTA, PALE, anchor="mm")
    c.save("start_disc")


def envelope_disc():
    c = disc("envelope_disc")
    c.rect((14, 19, 48, 43), fill=PALE, outline=INK, width=2, radius=2)
    c.line((14, 20, 31, 33, 48, 20), fill=INK, width=2)
    c.line((14, 42, 26, 31), fill=INK, width=1)
    c.line((48, 42, 36, 31), fill=INK, width=1)
    c.ellipse((27, 34, 35, 42), fill=MAGENTA)
    c.save("envelope_disc")


def plate(name, text, width, height, size):
    c = Canvas(width, height, BLUE)
    c.rect((0, 0, width - 1, height - 1), fill=WHITE, outline=MAGENTA, width=2, radius=height // 3)
    c.text((width // 2, height // 2), text, font(SANS_BOLD, size), INK, anchor="mm")
    c.save(name)


def icon():
    # The program's icon: the Start disc's white and magenta on the windows' blue.
    c = Canvas(64, 64, BLUE)
    c.rect((0, 0, 63, 63), fill=BLUE, radius=12)
    c.ellipse((5, 5, 58, 58), fill=WHITE, outline=MAGENTA, width=4)
    c.ellipse((17, 22, 47, 42), fill=PALE, outline=INK, width=3)
    c.ellipse((26, 26, 38, 38), fill=MAGENTA)
    c.text_layer()
    path = os.path.join(HERE, "TarmVeilon.ico")
    c.final.save(path, sizes=[(16, 16), (32, 32), (48, 48)])
    print("TarmVeilon.ico 16, 32, 48")


if __name__ == "__main__":
    banner()
    browser_globe()
    internet_text()
    computer()
    windows_text()
    heading("heading_internet", "Internet", 91, 19, 13)
    heading("heading_ordinateur", "Mon ordinateur", 161, 21, 14)
    start_disc()
    envelope_disc()
    plate("portal_ombrelune", "Ombrelune", 120, 25, 13)
    plate("portal_yahoo", "Yahoo", 100, 21, 12)
    plate("portal_voila", "Voila", 100, 21, 12)
    icon()
