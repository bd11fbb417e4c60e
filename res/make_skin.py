#!/usr/bin/env python3
"""Regenerates the program's look: every skin bitmap in res/skin/ and res/Velmora.ico.

The images are described here as SVG (one function per image, in the program's palette)
and rasterised with rsvg-convert; Pillow composites, keys and writes them. The build only
compiles the committed results, so these tools are needed only to change the look:

    apt-get install librsvg2-bin python3-pil
    /usr/bin/python3 res/make_skin.py            (Debian's python3, which has Pillow)

Rules the images keep, because the controls rely on them:
- Window backgrounds are drawn opaque, 1:1 from their top-left corner. Their bottom row
  is a flat band, since a window taller than its bitmap repeats that row downwards.
- Button faces use pure red, RGB(255, 0, 0), as their transparent colour (the windows pass
  COLORREF 255). Every button is composited here over the pixels it will stand on, so its
  anti-aliased edges blend into that background; no other pixel is pure red.
- The check-box strip is eight 13 x 13 frames with magenta, RGB(255, 0, 255), transparent.
- Pictures drawn opaque by the windows (gauges, severity bars, details icon) carry the
  background they are drawn on.
"""

import io
import math
import os
import struct
import subprocess
import sys
from xml.sax.saxutils import escape

from PIL import Image

RES = os.path.dirname(os.path.abspath(__file__))
SKIN = os.path.join(RES, "skin")

# Palette
BRAND = "#0D5B99"          # RGB(13, 91, 153): the titles' dark blue
BRAND_BRIGHT = "#1E88E5"
NAVY_DEEP = "#0A2440"
NAVY = "#0F2B4A"
NAVY_CARD_TOP = "#123457"
NAVY_CARD_BOTTOM = "#0E2946"
PAGE = "#F2F5F9"
WHITE = "#FFFFFF"
TEXT = "#2D363F"           # RGB(45, 54, 63): the lists' text colour
TEXT_MUTED = "#5D6D7E"
TEXT_ON_DARK = "#C3D3E4"
TEXT_ON_DARK_MUTED = "#93A9C0"
BORDER = "#D7DFE8"
LIST_GREY = "#EEEEEE"      # RGB(238, 238, 238): the results list's rows
SEVERITY = ["#43A047", "#9CCC3C", "#FDD835", "#FB8C00", "#E53935"]

KEY_RED = (255, 0, 0)
KEY_MAGENTA = (255, 0, 255)
FONT = "Liberation Sans"   # metric twin of Arial, the controls' face


# --- SVG helpers ----------------------------------------------------------------------

def doc(width, height, body, defs=""):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}"><defs>{defs}</defs>{body}</svg>')


def text(x, y, content, size, fill, weight="normal", anchor="start", spacing=None, opacity=None):
    extra = f' letter-spacing="{spacing}"' if spacing is not None else ""
    extra += f' fill-opacity="{opacity}"' if opacity is not None else ""
    return (f'<text x="{x}" y="{y}" font-family="{FONT}" font-size="{size}" font-weight="{weight}" '
            f'fill="{fill}" text-anchor="{anchor}"{extra}>{escape(content)}</text>')


def rect(x, y, w, h, fill, rx=0, stroke=None, stroke_width=1, opacity=None, stroke_opacity=None):
    extra = f' stroke="{stroke}" stroke-width="{stroke_width}"' if stroke else ""
    extra += f' fill-opacity="{opacity}"' if opacity is not None else ""
    extra += f' stroke-opacity="{stroke_opacity}"' if stroke_opacity is not None else ""
    return f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{rx}" fill="{fill}"{extra}/>'


def line(x1, y1, x2, y2, stroke, width=1, opacity=None):
    extra = f' stroke-opacity="{opacity}"' if opacity is not None else ""
    return (f'<line x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}" stroke="{stroke}" '
            f'stroke-width="{width}"{extra}/>')


def vertical_gradient(ident, top, bottom):
    return (f'<linearGradient id="{ident}" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/></linearGradient>')


def soft_shadow(ident, blur=3, dy=1.5, opacity=0.16):
    return (f'<filter id="{ident}" x="-10%" y="-10%" width="120%" height="130%">'
            f'<feGaussianBlur in="SourceAlpha" stdDeviation="{blur}"/><feOffset dy="{dy}"/>'
            f'<feComponentTransfer><feFuncA type="linear" slope="{opacity}"/></feComponentTransfer>'
            f'<feMerge><feMergeNode/><feMergeNode in="SourceGraphic"/></feMerge></filter>')


def render(svg, width, height):
    """Rasterises an SVG document to an RGBA image of exactly width x height."""
    result = subprocess.run(["rsvg-convert", "--width", str(width), "--height", str(height), "--format", "png"],
                            input=svg.encode("utf-8"), capture_output=True, check=True)
    image = Image.open(io.BytesIO(result.stdout)).convert("RGBA")
    if image.size != (width, height):
        raise RuntimeError(f"rsvg-convert gave {image.size}, wanted {width}x{height}")
    return image


def flatten(image, background=(255, 255, 255)):
    base = Image.new("RGBA", image.size, background + (255,))
    return Image.alpha_composite(base, image).convert("RGB")


def keyed(face, under, key=KEY_RED):
    """A button face over the pixels it stands on; fully transparent pixels become `key`."""
    if isinstance(under, tuple):
        under = Image.new("RGB", face.size, under)
    composed = Image.alpha_composite(under.convert("RGBA"), face).convert("RGB")
    pixels = composed.load()
    alpha = face.getchannel("A").load()
    for y in range(face.size[1]):
        for x in range(face.size[0]):
            if alpha[x, y] == 0:
                pixels[x, y] = key
            elif pixels[x, y] == key:
                pixels[x, y] = (key[0] - 1, key[1], key[2])
    return composed


def save_bmp(image, name):
    path = os.path.join(SKIN, name)
    image.convert("RGB").save(path, "BMP")
    return path


# --- Glyphs (24 x 24 design grid, white strokes) --------------------------------------

def glyph(kind, x, y, size, color=WHITE, stroke=2.0):
    scale = size / 24.0
    attrs = (f'fill="none" stroke="{color}" stroke-width="{stroke / scale:.3f}" '
             f'stroke-linecap="round" stroke-linejoin="round"')
    if kind == "scan":
        body = f'<circle cx="10.5" cy="10.5" r="6.5" {attrs}/><path d="M15.5 15.5 L21 21" {attrs}/>'
    elif kind == "settings":
        teeth = []
        for i in range(8):
            angle = i * math.pi / 4
            x1, y1 = 12 + 7.2 * math.cos(angle), 12 + 7.2 * math.sin(angle)
            x2, y2 = 12 + 10 * math.cos(angle), 12 + 10 * math.sin(angle)
            teeth.append(f"M{x1:.2f} {y1:.2f} L{x2:.2f} {y2:.2f}")
        body = (f'<circle cx="12" cy="12" r="6.6" {attrs}/><circle cx="12" cy="12" r="2.6" {attrs}/>'
                f'<path d="{" ".join(teeth)}" {attrs}/>')
    elif kind == "backup":
        body = (f'<path d="M4.5 12 A7.5 7.5 0 1 0 7 6.4" {attrs}/><path d="M3.6 3.8 L7 6.4 L3.8 9.4" {attrs}/>'
                f'<path d="M12 8 L12 12 L15 14" {attrs}/>')
    elif kind == "startup":
        body = f'<path d="M7.2 6.6 A8 8 0 1 0 16.8 6.6" {attrs}/><path d="M12 3 L12 11.5" {attrs}/>'
    elif kind == "repair":
        body = (f'<path d="M14.6 4.2 A5 5 0 0 0 19.8 9.4 L17.2 9.6 L14.4 6.8 Z" {attrs}/>'
                f'<path d="M15.2 4 A5.2 5.2 0 0 0 13.4 11.2 L4.6 20 A1.5 1.5 0 0 0 6.6 21.8 L15.2 13.2 '
                f'A5.2 5.2 0 0 0 20.6 9.2" {attrs}/>')
    elif kind == "stats":
        body = (f'<path d="M4 20 L20 20" {attrs}/><path d="M7 16 L7 11" {attrs}/><path d="M12 16 L12 6" {attrs}/>'
                f'<path d="M17 16 L17 9" {attrs}/>')
    elif kind == "close":
        body = f'<path d="M7 7 L17 17 M17 7 L7 17" {attrs}/>'
    elif kind == "minimize":
        body = f'<path d="M7 12.5 L17 12.5" {attrs}/>'
    elif kind == "details":
        body = f'<circle cx="10.5" cy="10.5" r="6" {attrs}/><path d="M15 15 L20 20 M8 10.5 L13 10.5 M10.5 8 L10.5 13" {attrs}/>'
    elif kind == "warning":
        body = (f'<path d="M12 3.5 L21.5 20 L2.5 20 Z" fill="{color}" stroke="{color}" stroke-width="1.2" '
                f'stroke-linejoin="round"/>'
                f'<path d="M12 9.5 L12 14" stroke="#C62828" stroke-width="2.2" stroke-linecap="round"/>'
                f'<circle cx="12" cy="17" r="1.25" fill="#C62828"/>')
    else:
        raise ValueError(kind)
    return f'<g transform="translate({x} {y}) scale({scale:.4f})">{body}</g>'


# --- Application icon -----------------------------------------------------------------

def icon_group(x, y, size, ident="icon"):
    """The program's mark: a blue tile with a white tick shaped like a V, and a spark."""
    scale = size / 256.0
    simple = size <= 20
    tick = 34 if simple else 28
    spark = "" if simple else (
        '<path d="M196 40 L203 58 L221 65 L203 72 L196 90 L189 72 L171 65 L189 58 Z" fill="#8BE39B"/>')
    defs = (f'<linearGradient id="{ident}Tile" x1="0" y1="0" x2="1" y2="1">'
            f'<stop offset="0" stop-color="#2E95EA"/><stop offset="1" stop-color="#0A3F73"/></linearGradient>')
    body = (f'<rect x="8" y="8" width="240" height="240" rx="54" fill="url(#{ident}Tile)"/>'
            f'<path d="M8 62 A54 54 0 0 1 62 8 L194 8 A54 54 0 0 1 248 62 L248 100 Q128 150 8 112 Z" '
            f'fill="#FFFFFF" fill-opacity="0.10"/>'
            f'<path d="M62 118 L110 176 L196 72" fill="none" stroke="#FFFFFF" stroke-width="{tick}" '
            f'stroke-linecap="round" stroke-linejoin="round"/>{spark}')
    return defs, f'<g transform="translate({x} {y}) scale({scale:.5f})">{body}</g>'


def make_icon_image(size):
    defs, body = icon_group(0, 0, size)
    return render(doc(size, size, body, defs), size, size)


def png_bytes(image):
    buffer = io.BytesIO()
    image.save(buffer, "PNG", optimize=True)
    return buffer.getvalue()


def dib_icon_bytes(image):
    """An icon image as a 32 bpp DIB with its AND mask (what every Windows version reads)."""
    width, height = image.size
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in range(height - 1, -1, -1):
        for column in range(width):
            r, g, b, a = image.getpixel((column, row))
            pixels += bytes((b, g, r, a))
    mask_stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for row in range(height - 1, -1, -1):
        bits = bytearray(mask_stride)
        for column in range(width):
            if image.getpixel((column, row))[3] == 0:
                bits[column // 8] |= 0x80 >> (column % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def write_icon(path):
    entries = []
    for size in (16, 32, 48, 256):
        image = make_icon_image(size)
        data = png_bytes(image) if size == 256 else dib_icon_bytes(image)
        entries.append((size, data))
    offset = 6 + 16 * len(entries)
    directory = struct.pack("<HHH", 0, 1, len(entries))
    blobs = b""
    for size, data in entries:
        dimension = 0 if size == 256 else size
        directory += struct.pack("<BBBBHHII", dimension, dimension, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        blobs += data
    with open(path, "wb") as icon_file:
        icon_file.write(directory + blobs)


# --- Window backgrounds -----------------------------------------------------------------

MAIN_W, MAIN_H = 770, 571
HEADER_H = 86
SIDEBAR_W = 240
CARD_LEFT, CARD_RIGHT = 248, 760
SCAN_CARD = (CARD_LEFT, 207, CARD_RIGHT, 353)
REPORT_CARD = (CARD_LEFT, 364, CARD_RIGHT, 524)


def label_baseline(top, points):
    """Baseline of text that a label at `top` draws in Arial of `points` (96 DPI)."""
    return round(top + 0.905 * points * 96 / 72)


def main_background():
    defs = (vertical_gradient("header", "#0B2746", "#0E5694")
            + vertical_gradient("card", NAVY_CARD_TOP, NAVY_CARD_BOTTOM)
            + soft_shadow("shadow"))
    icon_defs, icon = icon_group(18, 40, 38, "brand")
    defs += icon_defs
    x0, y0, x1, y1 = SCAN_CARD
    rx0, ry0, rx1, ry1 = REPORT_CARD
    body = [
        rect(0, 0, MAIN_W, MAIN_H, PAGE),
        # Header: the caption label sits at (18, 12); the wordmark below it.
        rect(0, 0, MAIN_W, HEADER_H, "url(#header)"),
        line(0, HEADER_H - 0.5, MAIN_W, HEADER_H - 0.5, "#3D8FD6", 1, 0.55),
        icon,
        text(66, 62, "Velmora", 25, WHITE, "bold"),
        text(67, 77, "REGISTRY CLEANER", 9.5, "#9CC7EE", "bold", spacing=2.2),
        line(610, 56, 610, 78, WHITE, 1, 0.25),
        # Sidebar with the statistics panel at its foot.
        rect(0, HEADER_H, SIDEBAR_W, MAIN_H - HEADER_H, NAVY),
        line(SIDEBAR_W - 0.5, HEADER_H, SIDEBAR_W - 0.5, MAIN_H, NAVY_DEEP),
        glyph("stats", 28, 428, 18, "#7FB6EA"),
        text(52, 443, "Statistiche", 13, "#E3ECF5", "bold"),
        line(30, 453.5, 212, 453.5, "#2A4B6E"),
        text(30, label_baseline(465, 8), "Versione", 11, TEXT_ON_DARK_MUTED),
        text(30, label_baseline(483, 8), "Data uscita", 11, TEXT_ON_DARK_MUTED),
        line(30, 506.5, 212, 506.5, "#213F60"),
        text(30, label_baseline(522, 8), "Aggiornamenti", 11, TEXT_ON_DARK_MUTED),
        # Scan: heading, instruction, and the card that holds the twelve section boxes.
        text(256, 152, "Scan", 26, BRAND, "bold"),
        text(258, 178, "Seleziona gli elementi di cui desideri fare la scansione e clicca il pulsante "
             "\u201cNuovo Scan\u201d", 12, TEXT_MUTED),
        f'<g filter="url(#shadow)">{rect(x0 + 0.5, y0 + 0.5, x1 - x0 - 1, y1 - y0 - 1, WHITE, 10, BORDER)}</g>',
        line(492.5, y0 + 16, 492.5, y1 - 14, "#E8EDF3"),
        # Report of the last scan: date and count labels on the left, gauge, then the buttons.
        f'<g filter="url(#shadow)">{rect(rx0, ry0, rx1 - rx0, ry1 - ry0, "url(#card)", 10)}</g>',
        text(257, 384, "Report ultima scansione", 12, TEXT_ON_DARK, "bold"),
        text(257, 447, "trovati nel tuo sistema", 12, TEXT_ON_DARK_MUTED),
        line(466.5, 380, 466.5, 452, "#2C527A"),
        line(rx0 + 12, 465.5, rx1 - 12, 465.5, "#234A70"),
        # Footer
        text(CARD_RIGHT, 552, "Velmora 2011 | Registry Cleaner", 10, "#9AA8B8", anchor="end"),
    ]
    return render(doc(MAIN_W, MAIN_H, "".join(body), defs), MAIN_W, MAIN_H)


def panel_background(width, height, strip_top, extra_body="", extra_defs=""):
    """The secondary windows: white page, a soft blue head with the brand mark, a footer band."""
    icon_defs, icon = icon_group(width - 112, 14, 22, "mark")
    defs = (vertical_gradient("head", "#E6F0FA", "#FFFFFF")
            + '<linearGradient id="accent" x1="0" y1="0" x2="1" y2="0"><stop offset="0" stop-color="#0B2746"/>'
              '<stop offset="0.55" stop-color="#0D5B99"/><stop offset="1" stop-color="#1E88E5"/></linearGradient>'
            + icon_defs + extra_defs)
    body = [
        rect(0, 0, width, height, WHITE),
        rect(0, 0, width, 100, "url(#head)"),
        rect(0, 0, width, 4, "url(#accent)"),
        icon,
        text(width - 84, 30, "Velmora", 14, BRAND, "bold"),
        rect(0, strip_top, width, height - strip_top, "#F1F4F8"),
        line(0, strip_top + 0.5, width, strip_top + 0.5, "#DDE4EC"),
        extra_body,
    ]
    return render(doc(width, height, "".join(body), defs), width, height)


def results_background():
    banner = "".join([
        f'<g filter="url(#shadow)">{rect(40, 91, 454, 34, "url(#banner)", 7)}</g>',
        glyph("warning", 50, 97, 22, WHITE),
    ])
    headings = "".join([
        f'<path d="M40 162 A6 6 0 0 1 46 156 L488 156 A6 6 0 0 1 494 162 L494 182 L40 182 Z" fill="#E3E9F0"/>',
        rect(39.5, 155.5, 455, 203, "none", 6, "#D0D9E3"),
        text(65, 173, "Sezione del Registro", 11, "#4A5A6B", "bold"),
        text(310, 173, "Errori", 11, "#4A5A6B", "bold", anchor="end"),
        text(330, 173, "Livello di pericolo", 11, "#4A5A6B", "bold"),
        text(312, label_baseline(373, 12), "Totale Errori trovati nel Registro di Windows", 12, TEXT, "bold",
             anchor="end"),
    ])
    defs = vertical_gradient("banner", "#D83A34", "#B3201B") + soft_shadow("shadow", 2.5, 1.2, 0.22)
    return panel_background(528, 461, 446, banner + headings, defs)


def summary_background():
    rows = []
    for section in range(12):
        top = 118 + 24 * section
        if section % 2:
            rows.append(rect(40, top, 490, 24, "#F5F8FB"))
    body = "".join([
        rect(40, 88, 490, 26, "#E3E9F0", 6),
        text(50, 105, "Sezione del Registro", 11, "#4A5A6B", "bold"),
        text(335, 105, "Errori", 11, "#4A5A6B", "bold", anchor="middle"),
        text(415, 105, "Eliminati", 11, "#4A5A6B", "bold", anchor="middle"),
        text(495, 105, "Ignorati", 11, "#4A5A6B", "bold", anchor="middle"),
        "".join(rows),
        rect(40, 408, 490, 28, "#E4EFFA", 6),
        text(50, label_baseline(410, 12), "Riepilogo errori", 13, BRAND, "bold"),
    ])
    return panel_background(570, 498, 482, body)


# --- Buttons --------------------------------------------------------------------------

def face(width, height, body, defs=""):
    return render(doc(width, height, body, defs), width, height)


def nav_button(kind, caption_lines, active):
    """The main window's sidebar buttons (181 x 50), caption in the bitmap."""
    defs = vertical_gradient("fill", "#2290EA", "#1462B8") if active else ""
    if active:
        plate = rect(0.5, 0.5, 180, 49, "url(#fill)", 9, "#5AAEF2")
        badge = rect(9, 8, 34, 34, WHITE, 9, opacity=0.2)
        color = WHITE
    else:
        plate = rect(0.5, 0.5, 180, 49, WHITE, 9, WHITE, opacity=0.055, stroke_opacity=0.12)
        badge = rect(9, 8, 34, 34, WHITE, 9, opacity=0.09)
        color = "#E4ECF5"
    parts = [plate, badge, glyph(kind, 14, 13, 24, WHITE, 2.1)]
    if len(caption_lines) == 1:
        parts.append(text(54, 30, caption_lines[0], 13.5, color, "bold"))
    else:
        parts.append(text(54, 22, caption_lines[0], 13, color, "bold"))
        parts.append(text(54, 38, caption_lines[1], 13, color, "bold"))
    return face(181, 50, "".join(parts), defs)


def window_button(kind, active):
    """Minimise and close on the main window's header (24 x 24)."""
    if active and kind == "close":
        plate = rect(0, 0, 24, 24, "#E5484D", 6)
    elif active:
        plate = rect(0, 0, 24, 24, WHITE, 6, opacity=0.24)
    else:
        plate = rect(0.5, 0.5, 23, 23, WHITE, 6, WHITE, opacity=0.08, stroke_opacity=0.18)
    return face(24, 24, plate + glyph(kind, 0, 0, 24, WHITE, 1.9))


def header_button():
    """"Aggiorna" and "Aiuto" (80 x 31): a light outline on the header; the caption is the control's."""
    return face(80, 31, rect(0.5, 0.5, 79, 30, WHITE, 7, WHITE, opacity=0.12, stroke_opacity=0.55))


def pill_button(width, height, top, bottom, edge, radius=4):
    """The windows' plain buttons, white caption drawn by the control."""
    defs = vertical_gradient("fill", top, bottom)
    body = (rect(0.5, 0.5, width - 1, height - 1, "url(#fill)", radius, edge)
            + line(radius, 1.5, width - radius, 1.5, WHITE, 1, 0.28))
    return face(width, height, body, defs)


def text_width(content, size, bold=False):
    from PIL import ImageFont
    name = "LiberationSans-Bold.ttf" if bold else "LiberationSans-Regular.ttf"
    for folder in ("/usr/share/fonts/truetype/liberation2", "/usr/share/fonts/truetype/liberation"):
        path = os.path.join(folder, name)
        if os.path.exists(path):
            return ImageFont.truetype(path, 100).getlength(content) * size / 100.0
    raise RuntimeError("Liberation Sans is needed (fonts-liberation2)")


def action_button(caption, kind, colors, active):
    """"Nuovo Scan", "Ripara" and the large blank face (113 x 31), on the report card."""
    top, bottom, edge = colors
    defs = vertical_gradient("fill", top, bottom) + soft_shadow("glow", 2, 1, 0.45 if active else 0.3)
    body = [f'<g filter="url(#glow)">{rect(1.5, 1, 110, 27.5, "url(#fill)", 7, edge)}</g>',
            line(8, 2.5, 105, 2.5, WHITE, 1, 0.35 if active else 0.25)]
    if caption:
        # Icon and caption centred together.
        size = 12.5
        group = 16 + 7 + text_width(caption, size, True)
        left = (113 - group) / 2
        body.append(glyph(kind, round(left), 7, 16, WHITE, 2.0))
        body.append(text(round(left) + 23, 19.5, caption, size, WHITE, "bold"))
    return face(113, 31, "".join(body), defs)


GREEN = ("#2DB35C", "#1C8F45", "#15793A")
GREEN_ACTIVE = ("#3CCB6C", "#22A653", "#1A8A43")
BLUE = ("#2A8FE0", "#1565C0", "#0F56A8")
BLUE_ACTIVE = ("#45A3EE", "#1E78D4", "#1769BE")


# --- Small pictures -------------------------------------------------------------------

def checkbox_strip():
    """Eight 13 x 13 frames: checked/unchecked in normal, hover, pressed and disabled looks."""
    looks = [
        # (fill, border, tick)
        (BRAND_BRIGHT, "#1565C0", WHITE),     # 0 checked
        (WHITE, "#8C9DB1", None),             # 1 unchecked
        ("#3B9CF0", "#1E78D4", WHITE),        # 2 checked hovered
        ("#EAF3FC", BRAND_BRIGHT, None),      # 3 unchecked hovered
        ("#0E4F94", "#0B3F78", WHITE),        # 4 checked pressed
        ("#CFE2F6", "#1565C0", None),         # 5 unchecked pressed
        ("#B9C3CD", "#AAB5C0", "#F4F6F8"),    # 6 checked disabled
        ("#EEF1F4", "#C4CCD5", None),         # 7 unchecked disabled
    ]
    strip = Image.new("RGB", (13 * 8, 13), KEY_MAGENTA)
    for index, (fill, border, tick) in enumerate(looks):
        body = rect(0.5, 0.5, 12, 12, fill, 2.2, border)
        if tick:
            body += (f'<path d="M3.2 6.9 L5.6 9.3 L9.9 4.1" fill="none" stroke="{tick}" stroke-width="1.9" '
                     f'stroke-linecap="round" stroke-linejoin="round"/>')
        frame = render(doc(13, 13, body), 13, 13)
        # Drawn on light pages only: the rounded corners blend into white, and what stays
        # nearly empty becomes the transparent colour.
        solid = flatten(frame)
        alpha = frame.getchannel("A")
        for y in range(13):
            for x in range(13):
                pixel = solid.getpixel((x, y))
                if alpha.getpixel((x, y)) < 90:
                    pixel = KEY_MAGENTA
                elif pixel == KEY_MAGENTA:
                    pixel = (254, 0, 255)
                strip.putpixel((index * 13 + x, y), pixel)
    return strip


def details_icon():
    body = rect(0.5, 0.5, 15, 15, WHITE, 4, "#9CB8D6") + glyph("details", 0, 0, 16, BRAND, 1.7)
    return flatten(render(doc(16, 16, body), 16, 16), (238, 238, 238))


def severity_bar(level):
    """145 x 33 on the results list's grey rows: five segments, the first `level` lit."""
    parts = []
    for step in range(5):
        x = 2 + step * 28.4
        lit = step < level
        fill = SEVERITY[step] if lit else "#D5DBE2"
        parts.append(rect(x, 12, 25.4, 10, fill, 2.5))
        if lit:
            parts.append(line(x + 2, 12.8, x + 23.4, 12.8, WHITE, 0.9, 0.35))
    return flatten(render(doc(145, 33, "".join(parts)), 145, 33), (238, 238, 238))


def gauge(step, under):
    """210 x 75 on the report card: five-step danger scale; `step` 0 means unknown."""
    parts = [text(6, 13, "Livello di pericolo", 11, TEXT_ON_DARK, "bold")]
    for index in range(5):
        x = 6 + index * 40
        active = index == step - 1
        # Every step keeps its colour as a base line, so the scale reads the same in each picture.
        clip = f'<clipPath id="step{index}"><rect x="{x}" y="24" width="36" height="20" rx="4"/></clipPath>'
        fill = SEVERITY[index] if active else "#2A4B6F"
        parts.append(f'<defs>{clip}</defs><g clip-path="url(#step{index})">'
                     f'{rect(x, 24, 36, 20, fill)}{rect(x, 41, 36, 3, SEVERITY[index])}</g>')
        if step == 0:
            parts.append(text(x + 18, 38, "?", 13, "#C9D8E8", "bold", anchor="middle"))
        elif active:
            parts.append(rect(x - 1.5, 22.5, 39, 23, "none", 5.5, WHITE, 1.5))
            parts.append(f'<path d="M{x + 18} 48.5 L{x + 24} 55 L{x + 12} 55 Z" fill="{WHITE}"/>')
    parts.append(text(6, 69, "Basso", 10.5, TEXT_ON_DARK_MUTED))
    parts.append(text(106, 69, "Medio", 10.5, TEXT_ON_DARK_MUTED, anchor="middle"))
    parts.append(text(202, 69, "Alto", 10.5, TEXT_ON_DARK_MUTED, anchor="end"))
    picture = render(doc(210, 75, "".join(parts)), 210, 75)
    return Image.alpha_composite(under.convert("RGBA"), picture).convert("RGB")


# --- All of it ------------------------------------------------------------------------

def crop(image, x, y, width, height):
    return image.crop((x, y, x + width, y + height)).convert("RGB")


def main():
    os.makedirs(SKIN, exist_ok=True)
    written = []

    main_bg = main_background()
    written.append(save_bmp(main_bg, "MainBackground.bmp"))
    panel = panel_background(528, 461, 446)
    written.append(save_bmp(panel, "PanelBackground.bmp"))
    small = panel_background(450, 393, 382)
    written.append(save_bmp(small, "SmallPanelBackground.bmp"))
    written.append(save_bmp(summary_background(), "SummaryBackground.bmp"))
    written.append(save_bmp(results_background(), "ResultsBackground.bmp"))

    # Sidebar buttons, each keyed over its own place on the main background.
    sidebar = [
        ("Scan", "scan", ["Scansione"], (32, 92)),
        ("Settings", "settings", ["Impostazioni"], (32, 152)),
        ("Backup", "backup", ["Backup"], (32, 212)),
        ("Startup", "startup", ["Gestione Avvio"], (32, 272)),
        ("AdvancedRepair", "repair", ["Riparazione", "Avanzata"], (30, 334)),
    ]
    for name, kind, caption, (x, y) in sidebar:
        under = crop(main_bg, x, y, 181, 50)
        written.append(save_bmp(keyed(nav_button(kind, caption, False), under), f"{name}Normal.bmp"))
        written.append(save_bmp(keyed(nav_button(kind, caption, True), under), f"{name}Active.bmp"))

    for kind, x in (("minimize", 708), ("close", 735)):
        under = crop(main_bg, x, 9, 24, 24)
        title = kind.capitalize()
        written.append(save_bmp(keyed(window_button(kind, False), under), f"{title}Normal.bmp"))
        written.append(save_bmp(keyed(window_button(kind, True), under), f"{title}Active.bmp"))

    written.append(save_bmp(keyed(header_button(), crop(main_bg, 488, 51, 80, 31)), "ButtonHeader.bmp"))

    white = (255, 255, 255)
    written.append(save_bmp(keyed(pill_button(81, 21, "#2383D2", "#0D5B99", "#0B4D82"), white), "Button.bmp"))
    written.append(save_bmp(keyed(pill_button(121, 21, "#2383D2", "#0D5B99", "#0B4D82"), white), "ButtonWide.bmp"))
    written.append(save_bmp(keyed(pill_button(180, 21, "#2383D2", "#0D5B99", "#0B4D82"), white),
                            "ButtonReports.bmp"))

    new_scan_under = crop(main_bg, 589, 476, 113, 31)
    repair_under = crop(main_bg, 469, 476, 113, 31)
    written.append(save_bmp(keyed(action_button("Nuovo Scan", "scan", GREEN, False), new_scan_under),
                            "NewScanNormal.bmp"))
    written.append(save_bmp(keyed(action_button("Nuovo Scan", "scan", GREEN_ACTIVE, True), new_scan_under),
                            "NewScanActive.bmp"))
    written.append(save_bmp(keyed(action_button("Ripara", "repair", BLUE, False), repair_under),
                            "RepairNormal.bmp"))
    written.append(save_bmp(keyed(action_button("Ripara", "repair", BLUE_ACTIVE, True), repair_under),
                            "RepairActive.bmp"))
    written.append(save_bmp(keyed(action_button("", "", BLUE, False), repair_under), "ButtonLarge.bmp"))

    written.append(save_bmp(checkbox_strip(), "CheckBoxStrip.bmp"))
    written.append(save_bmp(details_icon(), "DetailsIcon.bmp"))
    for level in range(1, 6):
        written.append(save_bmp(severity_bar(level), f"Severity{level}.bmp"))
    gauge_under = crop(main_bg, 480, 380, 210, 75)
    written.append(save_bmp(gauge(0, gauge_under), "GaugeUnknown.bmp"))
    for step in range(1, 6):
        written.append(save_bmp(gauge(step, gauge_under), f"GaugeStep{step}.bmp"))

    icon_path = os.path.join(RES, "Velmora.ico")
    write_icon(icon_path)
    written.append(icon_path)
    for path in written:
        print(os.path.relpath(path, os.path.dirname(RES)))


if __name__ == "__main__":
    sys.exit(main())
