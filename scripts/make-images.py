#!/usr/bin/python3
"""Draws the program's own icon and hand cursors (run by hand; the results are committed).

clock.ico: a round clock face. about_mark.ico: a time signal (a mast sending arcs), the mark of the
About dialog. open_hand.cur / grab_hand.cur: 32 x 32 hand cursors with the
hot spot at (16, 11).
"""
import io
import math
import struct
import sys

from PIL import Image, ImageDraw

OUT = sys.argv[1] if len(sys.argv) > 1 else "src/resources/images"


def clock_image(size):
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    m = max(1, size // 16)
    d.ellipse([m, m, size - 1 - m, size - 1 - m], fill=(250, 250, 235, 255), outline=(30, 110, 40, 255),
              width=max(1, size // 10))
    c = (size - 1) / 2
    for h in range(12):
        a = h * math.pi / 6
        r1, r2 = c * 0.70, c * 0.82
        d.line([c + r1 * math.sin(a), c - r1 * math.cos(a), c + r2 * math.sin(a), c - r2 * math.cos(a)],
               fill=(30, 30, 30, 255), width=max(1, size // 32))
    d.line([c, c, c + c * 0.45 * math.sin(math.radians(300)), c - c * 0.45 * math.cos(math.radians(300))],
           fill=(20, 20, 20, 255), width=max(1, size // 12))
    d.line([c, c, c + c * 0.65 * math.sin(math.radians(60)), c - c * 0.65 * math.cos(math.radians(60))],
           fill=(20, 20, 20, 255), width=max(1, size // 16))
    return img


def signal_image(size):
    """A mast on a foot with two pairs of arcs leaving its top: the time the clock fetches."""
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    blue, dark = (40, 90, 200, 255), (20, 30, 60, 255)
    c = (size - 1) / 2
    top = size * 0.38
    w = max(1, size // 12)
    d.line([c, top, c, size * 0.92], fill=dark, width=w)
    d.polygon([(c - size * 0.22, size * 0.95), (c + size * 0.22, size * 0.95), (c, size * 0.55)], outline=dark,
              fill=None)
    d.ellipse([c - size * 0.08, top - size * 0.08, c + size * 0.08, top + size * 0.08], fill=blue)
    for r in (0.2, 0.34):
        box = [c - size * r, top - size * r, c + size * r, top + size * r]
        d.arc(box, 200, 250, fill=blue, width=w)
        d.arc(box, 290, 340, fill=blue, width=w)
    return img


def hand_image(open_hand):
    """Black-outlined white hand on a 32 x 32 canvas; palm centred near the hot spot (16, 11)."""
    img = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    skin, edge = (255, 255, 255, 255), (0, 0, 0, 255)
    if open_hand:
        fingers = [(8, 5, 11, 16), (12, 2, 15, 15), (16, 2, 19, 15), (20, 4, 23, 16)]
        thumb = [(3, 14), (6, 12), (10, 18), (8, 21)]
    else:
        fingers = [(8, 10, 11, 16), (12, 9, 15, 15), (16, 9, 19, 15), (20, 10, 23, 16)]
        thumb = [(6, 15), (9, 14), (11, 18), (9, 20)]
    for x0, y0, x1, y1 in fingers:
        d.rounded_rectangle([x0, y0, x1, y1 + 4], radius=2, fill=skin, outline=edge)
    d.polygon(thumb, fill=skin, outline=edge)
    d.rounded_rectangle([8, 15, 23, 27], radius=4, fill=skin, outline=edge)
    for x0, y0, x1, y1 in fingers:  # finger bases drawn over the palm's top edge
        d.rectangle([x0 + 1, 15, x1 - 1, 17], fill=skin)
    return img


def dib_entry(img):
    """An icon/cursor image as a 32-bit DIB with its AND mask (height doubled, bottom-up)."""
    w, h = img.size
    px = img.load()
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a))
    row_bytes = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(w):
            if px[x, y][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(xor) + bytes(mask)


def write_group(path, images, kind, hotspot=(0, 0)):
    """kind 1: icon, 2: cursor (planes/bit count fields carry the hot spot)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        blob = dib_entry(img)
        w, h = img.size
        f1, f2 = (1, 32) if kind == 1 else hotspot
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, f1, f2, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, kind, len(images)))
        for e in entries:
            f.write(e)
        for b in blobs:
            f.write(b)


write_group(f"{OUT}/clock.ico", [clock_image(s) for s in (16, 32, 48)], 1)
write_group(f"{OUT}/about_mark.ico", [signal_image(s) for s in (16, 32, 48)], 1)
write_group(f"{OUT}/open_hand.cur", [hand_image(True)], 2, (16, 11))
write_group(f"{OUT}/grab_hand.cur", [hand_image(False)], 2, (16, 11))
clock_image(48).resize((96, 96), Image.NEAREST).save("/tmp/clock-preview.png")
prev = Image.new("RGBA", (80, 40), (120, 160, 200, 255))
prev.paste(hand_image(True), (4, 4), hand_image(True)); prev.paste(hand_image(False), (44, 4), hand_image(False))
prev.resize((240, 120), Image.NEAREST).save("/tmp/hands-preview.png")
