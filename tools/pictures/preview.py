"""Mock-ups of the windows composed from the rendered pictures, and zoomed
sheets of the small pictures, for judging the whole. Output goes to the
directory given to draw.py --preview; it is never part of the resources.

The controls' positions here are the suggested layout of
src/res/pictures/README.md; texts use a font close to the one Wine draws.
"""

import math
import os

import cairo

import draw

UI_FONT = "DejaVu Sans"


def pic(name):
    return cairo.ImageSurface.create_from_png(os.path.join(draw.OUT, name + ".png"))


def put(cr, name, x, y):
    cr.set_source_surface(pic(name), x, y)
    cr.paint()


def cell(cr, name, index, size, x, y):
    s = pic(name)
    cr.save()
    cr.rectangle(x, y, size, size)
    cr.clip()
    cr.set_source_surface(s, x - index * size, y)
    cr.paint()
    cr.restore()


def text(cr, x, y, s, colour="text", size=11, bold=False, align="left", width=None):
    """y is the top of the text box as a Windows label would have it."""
    cr.select_font_face(UI_FONT, cairo.FONT_SLANT_NORMAL,
                        cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    cr.set_font_size(size)
    fo = cairo.FontOptions()
    fo.set_antialias(cairo.ANTIALIAS_GRAY)
    fo.set_hint_style(cairo.HINT_STYLE_FULL)
    cr.set_font_options(fo)
    fe = cr.font_extents()
    ext = cr.text_extents(s)
    if align == "center":
        x = x + (width - ext.x_advance) / 2
    elif align == "right":
        x = x + width - ext.x_advance
    cr.move_to(round(x), round(y + fe[0]))
    cr.set_source_rgba(*draw.rgb(colour))
    cr.show_text(s)
    return ext.x_advance


def button(cr, name, x, y, caption, on=False, w=100, h=30):
    put(cr, "ImgBtn%s%s" % (name, "On" if on else ""), x, y)
    text(cr, x, y + 8, caption, "text", 11, align="center", width=w)


def tabs(cr, captions, selected, hover=None):
    for i, c in enumerate(captions):
        colour = "tab_selected" if i == selected else ("tab_hover" if i == hover else "tab_text")
        text(cr, draw.TAB_X0 + i * draw.TAB_STEP, draw.TAB_Y + 8, c, colour, 11, bold=(i == selected),
             align="center", width=draw.TAB_W)


def footer(cr, hover_help=False):
    text(cr, 24, 414, "Copyright \u00a9 2024 Ombrix Networks. All rights reserved.", "muted", 10)
    put(cr, "ImgBtnHelpH" if hover_help else "ImgBtnHelpN", 520, 406)
    put(cr, "ImgBtnAboutN", 556, 406)


STATION_TABS = ["Link Information", "Site Survey", "Profile", "Adapter"]


def mock_link(path):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, 600, 440)
    cr = cairo.Context(s)
    put(cr, "ImgMainInfo", 0, 0)
    tabs(cr, STATION_TABS, 0, hover=2)
    footer(cr)
    cr.translate(24, 116)
    put(cr, "ImgFrLink", 0, 0)
    text(cr, 16, 12, "Wireless Network Status", "accent", 11, bold=True)
    text(cr, 292, 12, "Statistics", "accent", 11, bold=True)
    left = [("Profile Name:", "Home"), ("Network Name (SSID):", "OmbrixLab-5G"),
            ("AP MAC Address:", "00:1A:2B:3C:4D:5E"), ("Network Type:", "Infrastructure"),
            ("Transmission Rate:", "54 Mbps"), ("Security:", "WPA2-PSK"),
            ("Channel:", "6 (2437 MHz)"), ("IP Address", "192.168.1.23")]
    for i, (c, v) in enumerate(left):
        y = 36 + i * 20
        put(cr, "ImgMark", 30 - 8 - 6, y + 3)
        w = text(cr, 30, y, c, "text2", 11)
        text(cr, 30 + w + 6, y, v, "text", 11)
    right = [("Transmit Rate:", "12 Kbps"), ("Receive Rate:", "184 Kbps"),
             ("Authentication:", "WPA2-PSK"), ("Network Mode:", "802.11g"),
             ("Total Transmit:", "1 024"), ("Total Receive:", "8 912"),
             ("Link Quality:", "-52 dBm")]
    for i, (c, v) in enumerate(right):
        y = 36 + i * 20
        w = text(cr, 292, y, c, "text2", 11)
        text(cr, 292 + w + 6, y, v, "text", 11)
    text(cr, 292, 190, "Signal Strength", "text2", 11)
    text(cr, 292, 212, "Link Quality", "text2", 11)
    for i in range(8):
        put(cr, "ImgLight", 410 + i * 10, 190)
    for i in range(6):
        put(cr, "ImgLight", 410 + i * 10, 212)
    put(cr, "ImgBtnTChart", 506, 232)
    s.write_to_png(path)


def mock_survey(path):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, 600, 440)
    cr = cairo.Context(s)
    put(cr, "ImgMainSurvey", 0, 0)
    tabs(cr, STATION_TABS, 1)
    footer(cr, hover_help=True)
    cr.translate(24, 116)
    put(cr, "ImgSurvey", 0, 0)
    # list view, as the system draws it
    lx, ly, lw, lh = 12, 12, 300, 206
    cr.rectangle(lx, ly, lw, lh)
    cr.set_source_rgba(*draw.rgb("border_strong"))
    cr.fill()
    cr.rectangle(lx + 1, ly + 1, lw - 2, lh - 2)
    cr.set_source_rgba(1, 1, 1, 1)
    cr.fill()
    cr.rectangle(lx + 1, ly + 1, lw - 2, 22)
    cr.set_source_rgba(*draw.rgb("#F3F5F7"))
    cr.fill()
    cr.rectangle(lx + 1, ly + 23, lw - 2, 1)
    cr.set_source_rgba(*draw.rgb("border"))
    cr.fill()
    cols = [(lx + 1, 24, ""), (lx + 25, 150, "SSID"), (lx + 175, 60, "Channel"), (lx + 235, 64, "Signal")]
    for x, w, c in cols:
        text(cr, x + 6, ly + 5, c, "text", 11)
    cell(cr, "ImgsSort", 1, 12, lx + 235 + 48, ly + 7)
    rows = [("OmbrixLab-5G", "6", "92%", 2, True), ("CoffeeHouse", "1", "78%", 0, False),
            ("Office-Guest", "11", "64%", 2, False), ("printer-direct", "3", "41%", 1, False),
            ("meshnode-7", "9", "22%", 3, False)]
    for i, (ssid, ch, sig, kind, assoc) in enumerate(rows):
        y = ly + 24 + i * 18
        if assoc:
            cr.rectangle(lx + 1, y, lw - 2, 18)
            cr.set_source_rgba(*draw.rgb("row_highlight"))
            cr.fill()
        cell(cr, "ImgsType", kind, 16, lx + 5, y + 1)
        text(cr, lx + 31, y + 2, ssid, "text", 11)
        text(cr, lx + 181, y + 2, ch, "text", 11)
        text(cr, lx + 241, y + 2, sig, "text", 11)
    text(cr, 330, 12, "Network Information", "accent", 11, bold=True)
    info = [("Network Type:", "Infrastructure"), ("Wireless Mode:", "802.11g"), ("Channel:", "6"),
            ("Encryption:", "WPA2-PSK"), ("MAC Address:", "00:1A:2B:3C:4D:5E")]
    for i, (c, v) in enumerate(info):
        y = 36 + i * 20
        w = text(cr, 330, y, c, "text2", 11)
        text(cr, 330 + w + 6, y, v, "text", 11)
    by = draw.PAGE_H - draw.ACTION_H + 7
    button(cr, "Scan", 332, by, "Scan", on=True)
    button(cr, "Connect", 440, by, "Connect")
    s.write_to_png(path)


def mock_wizard(path):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, 600, 440)
    cr = cairo.Context(s)
    put(cr, "ImgMainProfile", 0, 0)
    tabs(cr, STATION_TABS, 2)
    footer(cr)
    cr.translate(24, 116)
    put(cr, "ImgFrProfSet", 0, 0)
    text(cr, 16, 12, "Security", "accent", 11, bold=True)
    for i, c in enumerate(["No security", "WEP", "WPA-PSK / WPA2-PSK", "WPA / WPA2 / 802.1X"]):
        y = 40 + i * 24
        cr.arc(24.5, y + 7.5, 6, 0, 2 * math.pi)
        cr.set_source_rgba(*draw.rgb("border_strong"))
        cr.fill()
        cr.arc(24.5, y + 7.5, 5, 0, 2 * math.pi)
        cr.set_source_rgba(1, 1, 1, 1)
        cr.fill()
        if i == 2:
            cr.arc(24.5, y + 7.5, 3, 0, 2 * math.pi)
            cr.set_source_rgba(*draw.rgb("accent"))
            cr.fill()
        text(cr, 36, y, c, "text", 11)
    by = draw.PAGE_H - draw.ACTION_H + 7
    button(cr, "Back", 224, by, "< Back")
    button(cr, "Next", 332, by, "Next >", on=True)
    button(cr, "Cancel", 440, by, "Cancel")
    s.write_to_png(path)


def mock_about(path):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, 380, 240)
    cr = cairo.Context(s)
    put(cr, "ImgAboutBG", 0, 0)
    put(cr, "ImgBtnCloseN", 352, 10)
    text(cr, 24, 84, "Ombrix Wireless Adapter Utility", "text", 12, bold=True)
    for i, (c, v) in enumerate([("Driver Version:", "3.1.7.0"), ("Utility Version:", "1.4.2")]):
        w = text(cr, 24, 116 + i * 20, c, "text2", 11)
        text(cr, 24 + w + 6, 116 + i * 20, v, "text", 11)
    text(cr, 24, 184, "Copyright \u00a9 2024 Ombrix Networks.", "muted", 10)
    text(cr, 24, 202, "All rights reserved.", "muted", 10)
    s.write_to_png(path)


def mock_chart(path):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, 460, 300)
    cr = cairo.Context(s)
    put(cr, "ImgChartBG", 0, 0)
    put(cr, "ImgBtnCloseH", 432, 10)
    text(cr, 16, 52, "Data Rate", "accent", 11, bold=True)
    for j, (label, value, x0) in enumerate([("Transmit", "12", 62), ("Receive", "184", 262)]):
        put(cr, "ImgMark", x0, 84)
        w = text(cr, x0 + 14, 80, label, "text2", 11)
        ex = x0 + 14 + w + 6
        cr.rectangle(ex, 77, 60, 20)
        cr.set_source_rgba(*draw.rgb("border_strong"))
        cr.fill()
        cr.rectangle(ex + 1, 78, 58, 18)
        cr.set_source_rgba(*draw.rgb("action"))
        cr.fill()
        text(cr, ex + 4, 80, value, "text", 11, align="right", width=52)
        text(cr, ex + 66, 80, "Kbps", "text2", 11)
        bx, by = x0, 110
        cr.rectangle(bx, by, 190, 94)
        cr.set_source_rgba(*draw.rgb("#9AA5B1"))
        cr.fill()
        cr.rectangle(bx + 2, by + 2, 186, 90)
        cr.set_source_rgba(*draw.rgb("chart_bg"))
        cr.fill()
        cr.set_source_rgba(*draw.rgb("chart_grid"))
        cr.set_line_width(1)
        cr.set_dash([1, 2])
        for i in range(1, 5):
            y = by + 2 + 18 * i + 0.5
            cr.move_to(bx + 2, y)
            cr.line_to(bx + 188, y)
            cr.stroke()
        cr.set_dash([])
        cr.set_source_rgba(1, 1, 1, 1)
        cr.move_to(bx + 2, by + 80)
        for k in range(0, 186, 6):
            cr.line_to(bx + 2 + k, by + 2 + 90 - (20 + 25 * abs(math.sin(k / 23.0 + j))))
        cr.stroke()
    for i, lab in enumerate(["100000", "10000", "1000", "100", "10", "0"]):
        text(cr, 8, 110 + 2 + 18 * i - 6, lab, "muted", 9, align="right", width=50)
    s.write_to_png(path)


def sheet(path, items, zoom, bg, max_width=1100):
    """Each picture at its real size above a zoomed copy, flowed in rows."""
    pad = 16
    surfs = [pic(n) for n in items]
    boxes = [(s.get_width() * zoom, s.get_height() * (zoom + 1) + pad // 2) for s in surfs]
    rows, row, x = [], [], pad
    for i, (w, h) in enumerate(boxes):
        if row and x + w + pad > max_width:
            rows.append(row)
            row, x = [], pad
        row.append(i)
        x += w + pad
    rows.append(row)
    width = max(pad + sum(boxes[i][0] + pad for i in r) for r in rows)
    height = pad + sum(max(boxes[i][1] for i in r) + pad for r in rows)
    out = cairo.ImageSurface(cairo.FORMAT_ARGB32, width, height)
    cr = cairo.Context(out)
    cr.set_source_rgba(*draw.rgb(bg))
    cr.paint()
    y = pad
    for r in rows:
        x = pad
        for i in r:
            s = surfs[i]
            cr.set_source_surface(s, x, y)
            cr.paint()
            cr.save()
            cr.translate(x, y + s.get_height() + pad // 2)
            cr.scale(zoom, zoom)
            cr.set_source_surface(s, 0, 0)
            cr.get_source().set_filter(cairo.FILTER_NEAREST)
            cr.paint()
            cr.restore()
            x += boxes[i][0] + pad
        y += max(boxes[i][1] for i in r) + pad
    out.write_to_png(path)


def render(outdir):
    os.makedirs(outdir, exist_ok=True)
    mock_link(os.path.join(outdir, "mock-link.png"))
    mock_survey(os.path.join(outdir, "mock-survey.png"))
    mock_wizard(os.path.join(outdir, "mock-wizard.png"))
    mock_about(os.path.join(outdir, "mock-about.png"))
    mock_chart(os.path.join(outdir, "mock-chart.png"))
    sheet(os.path.join(outdir, "small-light.png"),
          ["ImgMark", "ImgLight", "ImgsType", "ImgsSort", "ImgBtnHelpN", "ImgBtnHelpH",
           "ImgBtnAboutN", "ImgBtnAboutH", "ImgBtnEnable", "ImgBtnDisable", "ImgBtnTChart",
           "ImgBtnTChartOn", "ImgsKvIcon"], 8, "window")
    sheet(os.path.join(outdir, "small-dark.png"),
          ["ImgBtnCloseN", "ImgBtnCloseH", "ImgsKvIcon", "ImgsKvIconXP"], 8, "#1E2A33")
    sheet(os.path.join(outdir, "small-taskbar-light.png"), ["ImgsKvIconXP"], 8, "#F0F3F6")
    sheet(os.path.join(outdir, "buttons.png"),
          ["ImgBtnAct", "ImgBtnActOn", "ImgBtnCancel", "ImgBtnCancelOn"], 4, "card")
    print("previews in %s" % outdir)
