#!/usr/bin/python3
"""Draws every built-in picture of the utility.

Run from anywhere:  tools/pictures/draw.py [--preview DIR]

Writes every picture three times: at 100 % into src/res/pictures/, at 150 %
into src/res/pictures/150/ and at 200 % into src/res/pictures/200/, and the
program icon app.ico. With --preview it also writes mock-ups of the main
window, the about box and the chart window, and zoomed sheets of the small
pictures, into DIR (never into the resources).

Needs Debian's python3-cairo and fonts-noto-core (the wordmark and two glyphs
use Noto Sans Bold). Everything else is drawn as vector paths on a pixel grid:
straight edges sit on whole pixels, curves are anti-aliased.
"""

import math
import os
import struct
import subprocess
import sys
import zlib

import cairo

sys.dont_write_bytecode = True  # keep the source folder clean when importing preview

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
RES = os.path.join(ROOT, "src", "res", "pictures")
OUT = RES  # folder of the set being drawn

# Scale of the set being drawn (1, 1.5 or 2). Drawing routines keep their
# 100 % numbers; new() scales the context. Where a picture depends on whole
# pixels, the routine asks snap() and hair() for device pixels.
S = 1
SCALES = ((1, ""), (1.5, "150"), (2, "200"))

BRAND_FONT = "Noto Sans"

# ---------------------------------------------------------------------------
# Palette (mirrored in src/res/pictures/README.md; keep the two in step)

PAL = {
    "accent": "#0F766E",        # deep teal: selected tab, lamps, marks, logo
    "accent_dark": "#0B5A54",   # header bottom, pressed edges
    "accent_deep": "#094944",   # header decoration shadow side
    "accent_light": "#2AA597",  # lamp top, highlights
    "accent_tint": "#E4F3F1",   # primary button face, hover faces
    "accent_tint2": "#CDEAE5",  # hover face of primary buttons
    "window": "#EEF2F5",        # window background round the page card
    "footer": "#E8EDF1",        # footer band
    "card": "#FFFFFF",          # page panel interior (flat: labels sit on it)
    "action": "#F4F7F9",        # action bar of pages with buttons (flat)
    "hairline": "#E1E7EC",      # section lines inside panels
    "border": "#D3DBE2",        # panel and tab borders
    "border_strong": "#B9C4CE", # button borders
    "text": "#1F2933",          # label text on panels
    "text2": "#52606D",         # caption labels, secondary text
    "muted": "#7B8794",         # footer text, sort arrows, idle glyphs
    "tab_text": "#3E4C59",      # tab caption, normal
    "tab_hover": "#0F766E",     # tab caption, hover
    "tab_selected": "#FFFFFF",  # tab caption, selected
    "row_highlight": "#D8EFEB", # list row of the associated / applied entry
    "lock": "#B7791F",          # padlock of protected networks (amber)
    "alert": "#D64545",         # "not connected" cross in tray icons
    "chart_bg": "#14262B",      # chart grid background (drawn by the page)
    "chart_grid": "#3E5C62",    # chart grid lines (drawn by the page)
}


def rgb(name_or_hex, alpha=1.0):
    h = PAL.get(name_or_hex, name_or_hex).lstrip("#")
    return (int(h[0:2], 16) / 255.0, int(h[2:4], 16) / 255.0, int(h[4:6], 16) / 255.0, alpha)


def mix(a, b, t):
    ca, cb = rgb(a), rgb(b)
    return tuple(ca[i] * (1 - t) + cb[i] * t for i in range(3)) + (1.0,)


def new(w, h, scale=None):
    """A surface of w x h at the current scale (or the one given)."""
    k = S if scale is None else scale
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, round(w * k), round(h * k))
    cr = cairo.Context(s)
    cr.set_antialias(cairo.ANTIALIAS_BEST)
    if k != 1:
        cr.scale(k, k)
    return s, cr


def snap(v):
    """A coordinate moved onto the nearest whole device pixel."""
    return round(v * S) / S


def hair(n=1):
    """n 100 % pixels of a thin line as whole device pixels (at least one):
    1 at 150 %, 2 at 200 %, so borders stay crisp."""
    return max(1, int(n * S)) / S


def box(cr, x, y, w, h):
    """Rectangle path whose edges sit on whole device pixels."""
    x0, y0 = snap(x), snap(y)
    cr.rectangle(x0, y0, snap(x + w) - x0, snap(y + h) - y0)


def line_box(cr, x, y, w, h):
    """A one-pixel line (w or h is 1) kept as whole device pixels."""
    x0, y0 = snap(x), snap(y)
    cr.rectangle(x0, y0, hair(w) if w == 1 else snap(x + w) - x0,
                 hair(h) if h == 1 else snap(y + h) - y0)


def device_origin(cr):
    """Device pixel where the context's user origin lies (whole numbers)."""
    x, y = cr.user_to_device(0, 0)
    return round(x), round(y)


def whole_tops(cy, radii, width):
    """Radii whose arcs of the given width have their tops on whole device
    pixels (they do at 100 % by design; other scales nudge them)."""
    if S == 1:
        return radii
    w = round(width * S)
    out = []
    for r in radii:
        edge = round((cy - r) * S - w / 2.0)
        out.append((cy * S - edge - w / 2.0) / S)
    return out


def rrect(cr, x, y, w, h, r):
    """Rounded rectangle path; r may be 0."""
    r = max(0.0, min(r, w / 2.0, h / 2.0))
    if r == 0:
        cr.rectangle(x, y, w, h)
        return
    cr.new_sub_path()
    cr.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    cr.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    cr.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    cr.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    cr.close_path()


def fill_rrect(cr, x, y, w, h, r, colour):
    rrect(cr, x, y, w, h, r)
    cr.set_source_rgba(*colour)
    cr.fill()


def framed(cr, x, y, w, h, r, border, face):
    """A 1-pixel border on whole pixels: border shape, then face inset by one."""
    x0, y0 = snap(x), snap(y)
    w, h = snap(x + w) - x0, snap(y + h) - y0
    x, y, t = x0, y0, hair()
    fill_rrect(cr, x, y, w, h, r, border)
    rrect(cr, x + t, y + t, w - 2 * t, h - 2 * t, max(0, r - t))
    if isinstance(face, cairo.Pattern):
        cr.set_source(face)
    else:
        cr.set_source_rgba(*face)
    cr.fill()


def vgrad(y0, y1, c0, c1):
    g = cairo.LinearGradient(0, y0, 0, y1)
    g.add_color_stop_rgba(0, *c0)
    g.add_color_stop_rgba(1, *c1)
    return g


def shadow(cr, x, y, w, h, r, dy=1, spread=4, alpha=0.10):
    """Soft shadow: stacked, growing rounded shapes of faint black."""
    for i in range(spread, 0, -1):
        a = alpha * (1.0 - (i - 1) / spread) / spread * 2
        rrect(cr, x - i + 0.5, y - i + dy + 0.5, w + 2 * i - 1, h + 2 * i - 1, r + i)
        cr.set_source_rgba(0, 0, 0, a)
        cr.fill()


def save(surface, name):
    path = os.path.join(OUT, name)
    write_png(surface, path)
    return path


def write_png(surface, path):
    with open(path, "wb") as f:
        f.write(png_bytes(surface))


def png_bytes(surface):
    """Always 8-bit RGBA: cairo's own writer drops the alpha channel of opaque
    pictures, and the program expects 32-bit pictures throughout."""
    w, h = surface.get_width(), surface.get_height()
    bgra = unpremultiplied_bgra(surface)
    rgba = bytearray(bgra)
    rgba[0::4], rgba[2::4] = bgra[2::4], bgra[0::4]
    stride = w * 4
    raw = b"".join(b"\x00" + bytes(rgba[y * stride:(y + 1) * stride]) for y in range(h))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def check_font():
    try:
        found = subprocess.run(["fc-match", BRAND_FONT + ":bold", "family"],
                               capture_output=True, text=True).stdout.strip()
    except FileNotFoundError:
        found = ""
    if found != BRAND_FONT:
        sys.exit("draw.py: font '%s' Bold not found (got '%s'); apt-get install fonts-noto-core"
                 % (BRAND_FONT, found))


def brand_font(cr, size):
    cr.select_font_face(BRAND_FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    cr.set_font_size(size)
    fo = cairo.FontOptions()
    fo.set_antialias(cairo.ANTIALIAS_GRAY)
    fo.set_hint_style(cairo.HINT_STYLE_SLIGHT)
    fo.set_hint_metrics(cairo.HINT_METRICS_OFF)
    cr.set_font_options(fo)


# ---------------------------------------------------------------------------
# Glyphs (drawn in a unit box scaled to the target size)

def fan(cr, cx, cy, radii, width, dot, colour, a0=-135, a1=-45):
    """The wireless fan: a dot and concentric arcs opening upwards."""
    cr.set_source_rgba(*colour)
    cr.set_line_width(width)
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    for r in radii:
        cr.new_sub_path()
        cr.arc(cx, cy, r, math.radians(a0), math.radians(a1))
        cr.stroke()
    cr.arc(cx, cy, dot, 0, 2 * math.pi)
    cr.fill()


def logo_glyph(cr, x, y, s, colour):
    """Logo mark glyph inside a tile of size s at (x, y): dot and three arcs."""
    cx, cy = x + s * 0.5, y + s * 0.70
    radii = [s * 0.17, s * 0.30, s * 0.43]
    fan(cr, cx, cy, radii, s * 0.078, s * 0.075, colour, -138, -42)


def logo_tile(cr, x, y, s, tile, glyph, border=None):
    r = s * 0.24
    if border:
        fill_rrect(cr, x, y, s, s, r, border)
        rrect(cr, x + 1, y + 1, s - 2, s - 2, r - 1)
        cr.set_source_rgba(*tile) if not isinstance(tile, cairo.Pattern) else cr.set_source(tile)
        cr.fill()
    else:
        rrect(cr, x, y, s, s, r)
        cr.set_source_rgba(*tile) if not isinstance(tile, cairo.Pattern) else cr.set_source(tile)
        cr.fill()
    logo_glyph(cr, x, y, s, glyph)


def padlock(cr, x, y, body, shackle):
    """A 6 x 7 padlock whose top-left is (x, y), cut out of what lies beneath
    by a transparent one-pixel gap, so that it reads on any row colour."""
    cr.save()
    cr.set_operator(cairo.OPERATOR_CLEAR)
    rrect(cr, x - 1, y + 2, 8, 6, 1.5)
    cr.fill()
    cr.set_line_width(3.0)
    cr.new_sub_path()
    cr.arc(x + 3, y + 2, 1.5, math.pi, 2 * math.pi)
    cr.stroke()
    cr.restore()
    # shackle: legs centred on whole device columns, one hairline wide
    t = hair()
    left, right = snap(x + 1) + t / 2, snap(x + 4) + t / 2
    top = snap(y + 2)
    cr.set_source_rgba(*shackle)
    cr.set_line_width(t)
    cr.move_to(left, snap(y + 3))
    cr.line_to(left, top)
    cr.arc((left + right) / 2, top, (right - left) / 2, math.pi, 2 * math.pi)
    cr.line_to(right, snap(y + 3))
    cr.stroke()
    # body
    box_y = snap(y + 3)
    fill_rrect(cr, snap(x), box_y, snap(x + 6) - snap(x), snap(y + 7) - box_y, 0.8, body)
    cr.set_source_rgba(1, 1, 1, 0.35)
    line_box(cr, x + 1, y + 3, 4, 1)
    cr.fill()


# ---------------------------------------------------------------------------
# Main window backgrounds (600 x 440)

W, H = 600, 440
HEADER_H = 72
TAB_Y, TAB_H, TAB_W, TAB_STEP, TAB_X0 = 80, 30, 130, 138, 24
PAGE_X, PAGE_Y, PAGE_W, PAGE_H = 24, 116, 552, 276
FOOTER_Y = 400
PANEL_R = 6
ACTION_H = 44  # action bar at the bottom of pages with buttons
COLUMN_X = 276  # divider of two-column information pages


def header(cr, w, h, logo_x, logo_y, logo_s, word_size=None, word_x=None, arcs=True):
    """Teal band with the logo tile and the wordmark; faint radio waves at the
    right end."""
    cr.rectangle(0, 0, w, h)
    g = cairo.LinearGradient(0, 0, w, h)
    g.add_color_stop_rgba(0, *mix("accent", "#FFFFFF", 0.06))
    g.add_color_stop_rgba(1, *rgb("accent_dark"))
    cr.set_source(g)
    cr.fill()
    if arcs:
        # faint radio waves leaving the right edge
        cr.save()
        cr.rectangle(0, 0, w, h)
        cr.clip()
        cx, cy = w - 40, h + 30
        cr.set_line_width(h * 0.16)
        for i, r in enumerate((h * 0.55, h * 1.0, h * 1.45, h * 1.9, h * 2.35)):
            cr.set_source_rgba(1, 1, 1, 0.045 - i * 0.006)
            cr.new_sub_path()
            cr.arc(cx, cy, r, math.radians(190), math.radians(350))
            cr.stroke()
        cr.restore()
    # bottom edge: one darker line
    cr.rectangle(0, h - hair(), w, hair())
    cr.set_source_rgba(*rgb("accent_deep"))
    cr.fill()
    # logo tile: white with the teal glyph
    shadow(cr, logo_x, logo_y, logo_s, logo_s, logo_s * 0.24, dy=1, spread=3, alpha=0.18)
    logo_tile(cr, logo_x, logo_y, logo_s, rgb("#FFFFFF"), rgb("accent"))
    if word_size:
        brand_font(cr, word_size)
        ext = cr.text_extents("Ombrix")
        # centre the capital height on the tile's centre line, on a whole pixel
        cap = -cr.text_extents("O").y_bearing
        base = snap(logo_y + logo_s / 2 + cap / 2)
        cr.move_to(word_x, base)
        cr.set_source_rgba(1, 1, 1, 1)
        cr.show_text("Ombrix")
        return ext
    return None


def tab(cr, i, selected):
    x = TAB_X0 + i * TAB_STEP
    y = TAB_Y
    if selected:
        shadow(cr, x, y, TAB_W, TAB_H, 6, dy=1, spread=3, alpha=0.16)
        framed(cr, x, y, TAB_W, TAB_H, 6, rgb("accent_dark"), rgb("accent"))
        # inner top highlight for a little depth (above the caption area)
        line_box(cr, x + 5, y + hair(), TAB_W - 10, 1)
        cr.set_source_rgba(1, 1, 1, 0.18)
        cr.fill()
    else:
        framed(cr, x, y, TAB_W, TAB_H, 6, rgb("border"), rgb("card"))
        # bottom edge slightly darker: sits on the window
        line_box(cr, x + 5, y + TAB_H - hair(), TAB_W - 10, 1)
        cr.set_source_rgba(*rgb("border_strong"))
        cr.fill()


def page_card(cr, x, y, w, h):
    shadow(cr, x, y, w, h, PANEL_R, dy=1, spread=4, alpha=0.09)
    framed(cr, x, y, w, h, PANEL_R, rgb("border"), rgb("card"))


def main_background(tabs, selected):
    s, cr = new(W, H)
    cr.set_source_rgba(*rgb("window"))
    cr.paint()
    header(cr, W, HEADER_H, 24, 16, 40, word_size=27, word_x=78)
    # header casts a short shadow on the window
    g = vgrad(HEADER_H, HEADER_H + 4, (0, 0, 0, 0.10), (0, 0, 0, 0))
    cr.rectangle(0, HEADER_H, W, 4)
    cr.set_source(g)
    cr.fill()
    for i in range(tabs):
        tab(cr, i, i == selected)
    page_card(cr, PAGE_X, PAGE_Y, PAGE_W, PAGE_H)
    # footer band
    cr.rectangle(0, FOOTER_Y, W, H - FOOTER_Y)
    cr.set_source_rgba(*rgb("footer"))
    cr.fill()
    line_box(cr, 0, FOOTER_Y, W, 1)
    cr.set_source_rgba(*rgb("border"))
    cr.fill()
    return s


def page_background(action_bar, main=None, columns=False):
    """A page panel, cut out of a rendered window so that its rounded corners
    show exactly the window (and card shadow) behind them. Optionally a tinted
    action bar at the bottom, or a hairline between two columns."""
    if main is None:
        main = main_background(4, 0)
    s, cr = new(PAGE_W, PAGE_H)
    cr.save()
    cr.identity_matrix()  # the window is already in device pixels
    cr.set_source_surface(main, -round(PAGE_X * S), -round(PAGE_Y * S))
    cr.paint()
    cr.restore()
    if action_bar:
        # clip to the panel interior and tint its bottom band
        t = hair()
        rrect(cr, t, t, PAGE_W - 2 * t, PAGE_H - 2 * t, PANEL_R - t)
        cr.clip()
        cr.rectangle(0, PAGE_H - ACTION_H, PAGE_W, ACTION_H)
        cr.set_source_rgba(*rgb("action"))
        cr.fill()
        cr.rectangle(0, PAGE_H - ACTION_H - t, PAGE_W, t)
        cr.set_source_rgba(*rgb("hairline"))
        cr.fill()
    if columns:
        # fades out at both ends so it reads as a divider, not a box edge
        line_box(cr, COLUMN_X, 16, 1, PAGE_H - 32)
        g = cairo.LinearGradient(0, 16, 0, PAGE_H - 16)
        for at, a in ((0, 0), (0.15, 1), (0.85, 1), (1, 0)):
            g.add_color_stop_rgba(at, *rgb("hairline", a))
        cr.set_source(g)
        cr.fill()
    return s


# ---------------------------------------------------------------------------
# Buttons

PRIMARY = {"Act", "Actnow", "Apply", "Connect", "Next", "Save", "Start"}
PAGE_BUTTONS = ["Act", "Actlater", "Actnow", "Add", "Apply", "Back", "Browse", "Cancel",
                "Chart", "Connect", "Delete", "Edit", "Exit", "Next", "Refresh", "Save",
                "Scan", "Select", "Start", "Statistics"]
BTN_W, BTN_H, BTN_R = 100, 30, 5


def page_button(primary, on):
    s, cr = new(BTN_W, BTN_H)
    # one-pixel drop line under the face, not a blur: stays crisp
    fill_rrect(cr, 0, hair(), BTN_W, BTN_H - hair(), BTN_R, (0, 0, 0, 0.06))
    if primary:
        border = rgb("accent") if on else mix("accent", "#FFFFFF", 0.35)
        top, bottom = (mix("accent_tint2", "#FFFFFF", 0.15), rgb("accent_tint2")) if on else \
            (mix("accent_tint", "#FFFFFF", 0.3), mix("accent_tint", "accent_tint2", 0.3))
    else:
        border = rgb("accent") if on else rgb("border_strong")
        top, bottom = (rgb("#FFFFFF"), rgb("accent_tint")) if on else \
            (rgb("#FFFFFF"), mix("#FFFFFF", "window", 0.75))
    framed(cr, 0, 0, BTN_W, BTN_H - hair(), BTN_R, border, vgrad(1, BTN_H - 2, top, bottom))
    # inner highlight along the top edge
    line_box(cr, BTN_R, hair(), BTN_W - 2 * BTN_R, 1)
    cr.set_source_rgba(1, 1, 1, 0.7)
    cr.fill()
    return s


def round_icon_button(size, hover, glyph):
    """Help / about: a circle with a glyph. Normal: outlined; hover: teal."""
    s, cr = new(size, size)
    c = size / 2.0
    r = size / 2.0 - 2
    if hover:
        cr.arc(c, c + 0.5, r + 0.5, 0, 2 * math.pi)
        cr.set_source_rgba(0, 0, 0, 0.10)
        cr.fill()
        cr.arc(c, c, r, 0, 2 * math.pi)
        cr.set_source_rgba(*rgb("accent"))
        cr.fill()
        ink = rgb("#FFFFFF")
    else:
        cr.arc(c, c, r, 0, 2 * math.pi)
        cr.set_source_rgba(*rgb("border_strong"))
        cr.fill()
        cr.arc(c, c, r - 1.2, 0, 2 * math.pi)
        cr.set_source_rgba(*rgb("#FFFFFF"))
        cr.fill()
        ink = rgb("text2")
    glyph(cr, c, c, ink)
    return s


def glyph_help(cr, cx, cy, ink):
    brand_font(cr, 15)
    ext = cr.text_extents("?")
    cr.move_to(snap(cx - ext.width / 2 - ext.x_bearing), snap(cy - ext.height / 2 - ext.y_bearing))
    cr.set_source_rgba(*ink)
    cr.show_text("?")


def glyph_info(cr, cx, cy, ink):
    cr.set_source_rgba(*ink)
    x = round(cx) - 1
    cr.arc(x + 1, cy - 5.0, 1.35, 0, 2 * math.pi)
    cr.fill()
    # the stem an even number of device pixels wide, centred under the dot
    half = round(S) / S
    y0 = snap(cy - 2)
    cr.rectangle(x + 1 - half, y0, 2 * half, snap(cy + 6) - y0)
    cr.fill()


def mode_switch(on):
    """Mode switch face: a toggle, knob right and teal when on."""
    s, cr = new(28, 28)
    x, y, w, h = 2, 8, 24, 12
    if on:
        fill_rrect(cr, x, y, w, h, h / 2, rgb("accent"))
        kx = x + w - h / 2
    else:
        fill_rrect(cr, x, y, w, h, h / 2, rgb("border_strong"))
        fill_rrect(cr, x + 1, y + 1, w - 2, h - 2, h / 2 - 1, rgb("#E3E8ED"))
        kx = x + h / 2
    cr.arc(kx, y + h / 2 + 0.6, h / 2 - 1.2, 0, 2 * math.pi)
    cr.set_source_rgba(0, 0, 0, 0.18)
    cr.fill()
    cr.arc(kx, y + h / 2, h / 2 - 1.5, 0, 2 * math.pi)
    cr.set_source_rgba(1, 1, 1, 1)
    cr.fill()
    return s


def chart_button(on):
    """30 x 30 button that opens the throughput chart."""
    s, cr = new(30, 30)
    fill_rrect(cr, 0, hair(), 30, 30 - hair(), 5, (0, 0, 0, 0.06))
    border = rgb("accent") if on else rgb("border_strong")
    face = vgrad(1, 28, rgb("#FFFFFF"), rgb("accent_tint") if on else mix("#FFFFFF", "window", 0.75))
    framed(cr, 0, 0, 30, 30 - hair(), 5, border, face)
    ink = rgb("accent")
    # axis
    cr.set_source_rgba(*rgb("text2"))
    line_box(cr, 7, 7, 1, 15)
    line_box(cr, 7, 21, 16, 1)
    cr.fill()
    # trace
    cr.set_source_rgba(*ink)
    cr.set_line_width(1.8)
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    cr.set_line_join(cairo.LINE_JOIN_ROUND)
    pts = [(9.5, 18), (13, 13.5), (16, 16), (21.5, 9)]
    cr.move_to(*pts[0])
    for p in pts[1:]:
        cr.line_to(*p)
    cr.stroke()
    return s


def close_button(hover):
    """20 x 20 close button for the header bands of the about and chart windows."""
    s, cr = new(20, 20)
    if hover:
        cr.arc(10, 10, 9.5, 0, 2 * math.pi)
        cr.set_source_rgba(1, 1, 1, 0.22)
        cr.fill()
    cr.set_source_rgba(1, 1, 1, 1.0 if hover else 0.85)
    cr.set_line_width(1.7)
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    cr.move_to(6.5, 6.5)
    cr.line_to(13.5, 13.5)
    cr.move_to(13.5, 6.5)
    cr.line_to(6.5, 13.5)
    cr.stroke()
    return s


# ---------------------------------------------------------------------------
# Small pictures

def mark():
    s, cr = new(8, 8)
    cr.arc(4, 4, 3, 0, 2 * math.pi)
    cr.set_source_rgba(*rgb("accent"))
    cr.fill()
    return s


def light():
    """One lit lamp segment: 8-pixel bar in a 10-pixel cell, so ten side by
    side leave 2-pixel gaps."""
    s, cr = new(10, 14)
    fill_rrect(cr, 1, 0, 8, 14, 2, rgb("accent"))
    t = hair()
    rrect(cr, 1 + t, t, 8 - 2 * t, 14 - 2 * t, 1.2)
    cr.set_source(vgrad(1, 13, mix("accent_light", "#FFFFFF", 0.15), mix("accent", "accent_light", 0.35)))
    cr.fill()
    line_box(cr, 3, t, 4, 1)
    cr.set_source_rgba(1, 1, 1, 0.35)
    cr.fill()
    return s


def strip(cells, size):
    s, cr = new(size * len(cells), size)
    for i, draw in enumerate(cells):
        cr.save()
        cr.translate(i * size, 0)
        draw(cr)
        cr.restore()
    return s


def kind_infra(cr, ink):
    # radii and width put the arc tops on whole pixels at 16 x 16
    fan(cr, 8, 13, whole_tops(13, [4, 7, 10], 2.0), 2.0, 1.6, ink)


def kind_adhoc(cr, ink):
    # two stations talking directly: two small screens joined by a dotted link
    t = hair()

    def screen(x, y):
        cr.set_source_rgba(*ink)
        box(cr, x, y, 7, 5)
        cr.fill()
        cr.set_source_rgba(*rgb("#FFFFFF"))
        x0, y0 = snap(x) + t, snap(y) + t
        cr.rectangle(x0, y0, snap(x + 7) - t - x0, snap(y + 5) - t - y0)
        cr.fill()
        cr.set_source_rgba(*ink)
        pixel(cr, x + 3, y + 5)
        line_box(cr, x + 1, y + 6, 5, 1)
        cr.fill()
    screen(0, 8)
    screen(9, 1)
    cr.set_source_rgba(*ink)
    for px, py in ((8, 10), (10, 10), (12, 10), (12, 8)):
        pixel(cr, px, py)
    cr.fill()


def pixel(cr, x, y):
    """One 100 % pixel as a square of whole device pixels at its place."""
    n = int(S + 0.5) / S
    cr.rectangle(snap(x), snap(y), n, n)


def kind_icon(adhoc, protected):
    def draw(cr):
        ink = rgb("accent")
        if adhoc:
            kind_adhoc(cr, ink)
        else:
            kind_infra(cr, ink)
        if protected:
            padlock(cr, 10, 9, rgb("lock"), rgb("tab_text"))
    return draw


def sort_arrow(up):
    """A stepped triangle set pixel by pixel: 8, 6, 4 and 2 pixels wide,
    centred in the 12-pixel cell, so it stays sharp in the list header."""
    def draw(cr):
        # set in device pixels: rows step by one pixel at every scale
        ox, oy = device_origin(cr)
        cell, rows = round(12 * S), round(4 * S)
        cr.save()
        cr.identity_matrix()
        cr.set_source_rgba(*rgb("muted"))
        top = (cell - rows) // 2
        for row in range(rows):
            half = 1 + row  # tip row is 2 pixels wide
            y = top + row if up else top + rows - 1 - row
            cr.rectangle(ox + cell // 2 - half, oy + y, 2 * half, 1)
        cr.fill()
        cr.restore()
    return draw


# Tray icons. The older set: coloured 16 x 16 badges. The newer set: a flat
# glyph with a dark halo, readable on dark and light taskbars.

def tray_badge(state):
    def draw(cr):
        if state == 0:
            top, bottom, edge = "#9AA5B1", "#6B7785", "#4A5561"
        elif state == 1:
            top, bottom, edge = "#22A193", "#0F766E", "#094944"
        else:
            top, bottom, edge = "#1B8C80", "#0B5A54", "#083F3B"
        fill_rrect(cr, 0, 0, 16, 16, 3.5, rgb(edge))
        t = hair()
        rrect(cr, t, t, 16 - 2 * t, 16 - 2 * t, 3.5 - t)
        cr.set_source(vgrad(1, 15, rgb(top), rgb(bottom)))
        cr.fill()
        if state == 2:
            ap_glyph(cr, rgb("#FFFFFF"))
        else:
            fan(cr, 8, 12, whole_tops(12, [3, 6], 2.0), 2.0, 1.6, rgb("#FFFFFF"), -140, -40)
        if state == 0:
            cross(cr, 12, 12, rgb("alert"))
    return draw


def ap_glyph(cr, ink, cx=8.0, cy=7.0):
    """Access point: a mast with waves on both sides."""
    cr.set_source_rgba(*ink)
    cr.arc(cx, cy, 1.5, 0, 2 * math.pi)
    cr.fill()
    cr.move_to(cx - 1.0, cy + 1)
    cr.line_to(cx + 1.0, cy + 1)
    cr.line_to(cx + 2.5, 14)
    cr.line_to(cx - 2.5, 14)
    cr.close_path()
    cr.fill()
    cr.set_line_width(1.4)
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    for r in (3.3, 5.9):
        for a0, a1 in ((-40, 40), (140, 220)):
            cr.new_sub_path()
            cr.arc(cx, cy, r, math.radians(a0), math.radians(a1))
            cr.stroke()


def cross(cr, cx, cy, colour):
    """Red 'not connected' badge: a disc with a white x, on a transparent gap."""
    cr.save()
    cr.set_operator(cairo.OPERATOR_CLEAR)
    cr.arc(cx, cy, 4.5, 0, 2 * math.pi)
    cr.fill()
    cr.restore()
    cr.arc(cx, cy, 3.8, 0, 2 * math.pi)
    cr.set_source_rgba(*colour)
    cr.fill()
    # the x as single device pixels: a stroked diagonal would smear at this
    # size; at 200 % every step is a 2 x 2 block
    ox, oy = device_origin(cr)
    t = max(1, int(S))
    m = round(4 * S)
    x0, y0 = ox + round(int(cx) * S) - m // 2, oy + round(int(cy) * S) - m // 2
    cr.save()
    cr.identity_matrix()
    cr.set_source_rgba(1, 1, 1, 1)
    for i in range(m // t):
        cr.rectangle(x0 + i * t, y0 + i * t, t, t)
        cr.rectangle(x0 + m - t - i * t, y0 + i * t, t, t)
    cr.fill()
    cr.restore()


def haloed(draw_glyph):
    """Draws a glyph twice: first thickened in dark translucent ink, then itself."""
    def draw(cr):
        tmp, tcr = new(16, 16)
        draw_glyph(tcr)
        # halo: the glyph's alpha spread by one device pixel in eight directions
        ox, oy = device_origin(cr)
        cr.save()
        cr.identity_matrix()  # tmp is in device pixels already
        for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1), (-1, -1), (1, 1), (-1, 1), (1, -1)):
            cr.save()
            cr.set_source_rgba(0.05, 0.09, 0.12, 0.30 if dx and dy else 0.55)
            cr.mask_surface(tmp, ox + dx, oy + dy)
            cr.restore()
        cr.set_source_surface(tmp, ox, oy)
        cr.paint()
        cr.restore()
    return draw


def tray_flat(state):
    def glyph(cr):
        if state == 2:
            ap_glyph(cr, rgb("#FFFFFF"), 8, 6.5)
            return
        if state == 0:
            # idle: dim arcs, red cross
            fan(cr, 8, 13, whole_tops(13, [4, 7, 10], 2.0), 2.0, 1.6, rgb("#C9D1D8"))
            cross(cr, 12, 12, rgb("alert"))
        else:
            fan(cr, 8, 13, whole_tops(13, [4, 7, 10], 2.0), 2.0, 1.6, rgb("#FFFFFF"))
    return haloed(glyph)


# ---------------------------------------------------------------------------
# About box and chart window

ABOUT_W, ABOUT_H, ABOUT_HEAD = 380, 240, 64
CHART_W, CHART_H, CHART_HEAD = 460, 300, 40


def dialog_background(w, h, head, logo_s, word_size, watermark, arcs):
    s, cr = new(w, h)
    cr.set_source_rgba(*rgb("card"))
    cr.paint()
    logo_y = (head - logo_s) // 2
    header(cr, w, head, 16, logo_y, logo_s, word_size=word_size, word_x=16 + logo_s + 12, arcs=arcs)
    if watermark:
        # a large, very faint fan in the bottom-right corner of the body
        cr.save()
        cr.rectangle(0, head, w, h - head)
        cr.clip()
        fan(cr, w - 56, h + 8, [40, 70, 100], 14, 12, rgb("accent", 0.045), -150, -30)
        cr.restore()
    # window edge: one pixel, the header's dark tone along the header
    cr.set_source_rgba(*rgb("border_strong"))
    t = hair()
    cr.rectangle(0, head, t, h - head)
    cr.rectangle(w - t, head, t, h - head)
    cr.rectangle(0, h - t, w, t)
    cr.fill()
    return s


def about_background():
    s = dialog_background(ABOUT_W, ABOUT_H, ABOUT_HEAD, 36, 24, True, True)
    cr = cairo.Context(s)
    cr.scale(S, S)
    # section line between the versions and the copyright lines
    line_box(cr, 24, 172, ABOUT_W - 48, 1)
    cr.set_source_rgba(*rgb("hairline"))
    cr.fill()
    return s


def chart_background():
    return dialog_background(CHART_W, CHART_H, CHART_HEAD, 24, 17, False, False)


# ---------------------------------------------------------------------------
# Application icon

def app_icon_surface(size):
    """The icon drawn for its own pixel size (never scaled from another)."""
    s, cr = new(size, size, scale=1)
    if size <= 16:
        # fewer, heavier strokes at 16 pixels
        fill_rrect(cr, 0, 0, 16, 16, 3.5, rgb("accent_dark"))
        rrect(cr, 1, 1, 14, 14, 2.5)
        cr.set_source(vgrad(1, 15, rgb("accent_light"), rgb("accent")))
        cr.fill()
        fan(cr, 8, 11.5, [3.2, 6.2], 1.7, 1.6, rgb("#FFFFFF"), -138, -42)
        return s
    pad = 1 if size <= 32 else max(2, size // 24)
    t = size - 2 * pad
    tile = cairo.LinearGradient(0, pad, 0, pad + t)
    tile.add_color_stop_rgba(0, *rgb("accent_light"))
    tile.add_color_stop_rgba(1, *rgb("accent_dark"))
    shadow(cr, pad, pad, t, t, t * 0.24, dy=1, spread=pad, alpha=0.25)
    logo_tile(cr, pad, pad, t, tile, rgb("#FFFFFF"), border=rgb("accent_deep"))
    return s


def unpremultiplied_bgra(surface):
    """Cairo keeps premultiplied native-endian ARGB (BGRA bytes on x86)."""
    surface.flush()
    data = bytes(surface.get_data())
    out = bytearray(len(data))
    out[:] = data
    for i in range(3, len(data), 4):
        a = data[i]
        if a == 255:
            continue
        if a == 0:
            out[i - 3:i] = b"\x00\x00\x00"
            continue
        for j in range(i - 3, i):
            out[j] = min(255, (data[j] * 255 + a // 2) // a)
    return bytes(out)


ICON_SIZES = [16, 20, 24, 32, 40, 48, 64, 256]


def write_ico(path, sizes):
    """ICO with classic 32-bit DIB entries (read by every Windows version and
    Wine), except 256 pixels, stored as PNG as Windows Vista and later expect."""
    images = []
    for n in sizes:
        s = app_icon_surface(n)
        if n >= 256:
            images.append((n, png_bytes(s)))
            continue
        px = unpremultiplied_bgra(s)
        stride = n * 4
        rows = [px[y * stride:(y + 1) * stride] for y in range(n)]
        xor = b"".join(reversed(rows))
        mask_stride = ((n + 31) // 32) * 4
        mask_rows = []
        for y in range(n):
            bits = bytearray(mask_stride)
            for x in range(n):
                if px[y * stride + x * 4 + 3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask_rows.append(bytes(bits))
        andmask = b"".join(reversed(mask_rows))
        hdr = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, len(xor) + len(andmask),
                          0, 0, 0, 0)
        images.append((n, hdr + xor + andmask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, blob in images:
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, blob in images:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


# ---------------------------------------------------------------------------
# What the program expects: every picture of the image resource form, in the
# form's order, with its size at 100 % scale (image lists: the whole strip).

FORM_IMAGES = """
ImgMainInfo ImgMainSurvey ImgMainProfile ImgMainAdapter ImgBtnAboutH ImgBtnAboutN ImgBtnHelpH
ImgBtnHelpN ImgBtnEnable ImgBtnDisable ImgAboutBG ImgBtnCloseH ImgBtnCloseN ImgMark ImgBtnTChart
ImgBtnTChartOn ImgLight ImgBtnActOn ImgBtnAct ImgBtnActlater ImgBtnActlaterOn ImgBtnActnow
ImgBtnActnowOn ImgBtnAdd ImgBtnAddOn ImgBtnApply ImgBtnApplyOn ImgBtnBackOn ImgBtnBack
ImgBtnBrowseOn ImgBtnBrowse ImgBtnCancel ImgBtnCancelOn ImgBtnChart ImgBtnChartOn ImgBtnConnect
ImgBtnConnectOn ImgBtnDelete ImgBtnDeleteOn ImgBtnEdit ImgBtnEditOn ImgBtnExit ImgBtnExitOn
ImgBtnNext ImgBtnNextOn ImgBtnRefresh ImgBtnRefreshOn ImgBtnSave ImgBtnSaveOn ImgBtnScan
ImgBtnScanOn ImgBtnSelect ImgBtnSelectOn ImgBtnStartOn ImgBtnStart ImgBtnStatisticsOn
ImgBtnStatistics ImgAPInfo ImgAPCfg ImgAPFilter ImgFrAPInfo ImgFrAPCfg ImgFrAPFilter ImgFrLink
ImgFrProfile ImgSurvey ImgAdapter ImgFrProfSet ImgFrActive ImgChartBG
""".split()
FORM_LISTS = ["ImgsNull", "ImgsSort", "ImgsType", "ImgsKvIcon", "ImgsKvIconXP"]


def expected_size(name):
    if name in FORM_LISTS:
        return {"ImgsNull": (16, 16), "ImgsSort": (24, 12), "ImgsType": (64, 16),
                "ImgsKvIcon": (48, 16), "ImgsKvIconXP": (48, 16)}[name]
    if name.startswith("ImgMain") or name in ("ImgAPInfo", "ImgAPCfg", "ImgAPFilter"):
        return (W, H)
    if name.startswith("ImgFr") or name in ("ImgSurvey", "ImgAdapter"):
        return (PAGE_W, PAGE_H)
    fixed = {"ImgAboutBG": (ABOUT_W, ABOUT_H), "ImgChartBG": (CHART_W, CHART_H),
             "ImgBtnCloseN": (20, 20), "ImgBtnCloseH": (20, 20), "ImgMark": (8, 8),
             "ImgLight": (10, 14), "ImgBtnTChart": (30, 30), "ImgBtnTChartOn": (30, 30)}
    if name in fixed:
        return fixed[name]
    if name in ("ImgBtnHelpN", "ImgBtnHelpH", "ImgBtnAboutN", "ImgBtnAboutH", "ImgBtnEnable",
                "ImgBtnDisable"):
        return (28, 28)
    return (BTN_W, BTN_H)


def check(written, scale, folder):
    """Refuses to leave a set that the program would load wrongly: every
    picture once, at exactly its 100 % size times the set's scale."""
    names = {os.path.splitext(os.path.basename(p))[0] for p in written
             if p.endswith(".png") and os.path.dirname(p) == folder}
    wanted = set(FORM_IMAGES) | set(FORM_LISTS)
    assert len(FORM_IMAGES) == 70 and len(set(FORM_IMAGES)) == 70
    if names != wanted:
        sys.exit("draw.py: %s: missing %s, unexpected %s"
                 % (folder, sorted(wanted - names), sorted(names - wanted)))
    for n in sorted(wanted):
        w, h = expected_size(n)
        if w * scale != int(w * scale) or h * scale != int(h * scale):
            sys.exit("draw.py: %s has no whole size at %g" % (n, scale))
        want = (int(w * scale), int(h * scale))
        s = cairo.ImageSurface.create_from_png(os.path.join(folder, n + ".png"))
        if (s.get_width(), s.get_height()) != want:
            sys.exit("draw.py: %s/%s is %dx%d, expected %dx%d"
                     % ((folder, n, s.get_width(), s.get_height()) + want))
    null = cairo.ImageSurface.create_from_png(os.path.join(folder, "ImgsNull.png"))
    if any(bytes(null.get_data())):
        sys.exit("draw.py: ImgsNull must be fully transparent")


def write_rc():
    lines = ["// Built-in pictures of the image resource form, one RCDATA resource per",
             "// picture and scale, named like the form's image or image list, with",
             "// _150 and _200 for the sets drawn at 150 % and 200 %. Generated by",
             "// tools/pictures/draw.py; paths are relative to src/res.",
             ""]
    for scale, sub in SCALES:
        for n in FORM_IMAGES + FORM_LISTS:
            res = n + ("_" + sub if sub else "")
            lines.append('%-23s RCDATA "pictures/%s%s.png"' % (res, sub + "/" if sub else "", n))
        lines.append("")
    lines += ["// Application icon (%s pixels)." % ", ".join(str(n) for n in ICON_SIZES),
              'MAINICON            ICON   "pictures/app.ico"', ""]
    path = os.path.join(ROOT, "src", "res", "pictures.rc")
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines))
    return path


def generate():
    global S, OUT
    check_font()
    written = []
    for scale, sub in SCALES:
        S, OUT = scale, os.path.join(RES, sub) if sub else RES
        os.makedirs(OUT, exist_ok=True)
        set_written = generate_set()
        check(set_written, scale, OUT)
        written += set_written
    S, OUT = 1, RES

    ico = os.path.join(RES, "app.ico")
    write_ico(ico, ICON_SIZES)
    written.append(ico)
    written.append(write_rc())
    return written


def generate_set():
    """Every picture of the form at the current scale, into OUT."""
    written = []

    station = ["ImgMainInfo", "ImgMainSurvey", "ImgMainProfile", "ImgMainAdapter"]
    ap = ["ImgAPInfo", "ImgAPCfg", "ImgAPFilter"]
    for i, name in enumerate(station):
        written.append(save(main_background(4, i), name + ".png"))
    for i, name in enumerate(ap):
        written.append(save(main_background(3, i), name + ".png"))

    base = main_background(4, 0)
    for name, bar, cols in (("ImgFrLink", False, True), ("ImgSurvey", True, False),
                            ("ImgFrProfile", True, False), ("ImgAdapter", True, False),
                            ("ImgFrAPInfo", False, True), ("ImgFrAPCfg", True, False),
                            ("ImgFrAPFilter", True, False), ("ImgFrProfSet", True, False),
                            ("ImgFrActive", True, False)):
        written.append(save(page_background(bar, base, cols), name + ".png"))

    for b in PAGE_BUTTONS:
        written.append(save(page_button(b in PRIMARY, False), "ImgBtn%s.png" % b))
        written.append(save(page_button(b in PRIMARY, True), "ImgBtn%sOn.png" % b))

    written.append(save(round_icon_button(28, False, glyph_help), "ImgBtnHelpN.png"))
    written.append(save(round_icon_button(28, True, glyph_help), "ImgBtnHelpH.png"))
    written.append(save(round_icon_button(28, False, glyph_info), "ImgBtnAboutN.png"))
    written.append(save(round_icon_button(28, True, glyph_info), "ImgBtnAboutH.png"))
    written.append(save(mode_switch(True), "ImgBtnEnable.png"))
    written.append(save(mode_switch(False), "ImgBtnDisable.png"))
    written.append(save(chart_button(False), "ImgBtnTChart.png"))
    written.append(save(chart_button(True), "ImgBtnTChartOn.png"))

    written.append(save(about_background(), "ImgAboutBG.png"))
    written.append(save(close_button(False), "ImgBtnCloseN.png"))
    written.append(save(close_button(True), "ImgBtnCloseH.png"))
    written.append(save(chart_background(), "ImgChartBG.png"))

    written.append(save(mark(), "ImgMark.png"))
    written.append(save(light(), "ImgLight.png"))

    written.append(save(strip([kind_icon(False, False), kind_icon(True, False),
                               kind_icon(False, True), kind_icon(True, True)], 16), "ImgsType.png"))
    written.append(save(strip([sort_arrow(True), sort_arrow(False)], 12), "ImgsSort.png"))
    written.append(save(strip([lambda cr: None], 16), "ImgsNull.png"))
    written.append(save(strip([tray_badge(0), tray_badge(1), tray_badge(2)], 16), "ImgsKvIcon.png"))
    written.append(save(strip([tray_flat(0), tray_flat(1), tray_flat(2)], 16), "ImgsKvIconXP.png"))
    return written


if __name__ == "__main__":
    files = generate()
    print("wrote %d files to %s" % (len(files), os.path.relpath(RES, os.getcwd())))
    if len(sys.argv) >= 3 and sys.argv[1] == "--preview":
        sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
        import preview
        preview.render(sys.argv[2])
