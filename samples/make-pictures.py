#!/usr/bin/env python3
"""Fills the picture items of a sample with pictures drawn here.

Items named "Logo..." get a small bitmap (the carrier's mark, a ring with an
arrow, on white: white is the bitmap's transparent colour, taken from its
top-left pixel). Items named "Photo..." get a JPEG, rendered by the tool from a
tiny template that shows the same mark on a coloured ground. Run before
make-background.py:
    python3 samples/make-pictures.py samples/label.json build/cli/zqbp-batch
"""
import base64, json, math, os, struct, subprocess, sys, tempfile

def mime64(data):
    """Base64 with CR LF after every 76 characters, as templates keep pictures."""
    s = base64.b64encode(data).decode("ascii")
    return "".join(s[i:i + 76] + "\r\n" if len(s) - i >= 76 else s[i:] for i in range(0, len(s), 76))

def logo_bmp(size=64, ring=(0x20, 0x40, 0xC0), arrow=(0xE0, 0x30, 0x20)):
    """A 24-bit BMP: a blue ring with a red arrow in it, on white."""
    c = (size - 1) / 2.0
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(size):
            dx, dy = x - c, y - c
            r = math.hypot(dx, dy)
            colour = (255, 255, 255)
            if size * 0.34 <= r <= size * 0.46:
                colour = ring
            # the arrow, pointing right: a shaft and a triangular head
            ax, ay = x / size, abs(dy) / size
            if 0.22 <= ax <= 0.56 and ay <= 0.06:
                colour = arrow
            if 0.52 <= ax <= 0.80 and ay <= 0.20 * (0.80 - ax) / 0.28:
                colour = arrow
            row += bytes((colour[2], colour[1], colour[0]))
        row += b"\0" * (-len(row) % 4)
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    return header + info + pixels

def photo_jpeg(tool, logo):
    """A JPEG of the mark on a pale ground with a coloured band, drawn by the tool."""
    doc = {"TempWidth": 160, "TempHeight": 120, "BkColor": 0xF4EDE6, "Items": [
        {"Kind": "itRect", "XPos": 0, "YPos": 84, "Width": 160, "Height": 36, "Transparent": 0,
         "BgColor": 0xA05020, "TopL": 0, "LeftL": 0, "RightL": 0, "BottomL": 0},
        {"Kind": "itPicture", "XPos": 48, "YPos": 12, "Width": 64, "Height": 64, "IsBitmap": 1,
         "PicData": mime64(logo)},
        {"Kind": "itLabel", "XPos": 0, "YPos": 86, "Width": 160, "Height": 32, "Caption": "SHUNDA",
         "FontName": "Arial", "FontSize": -14, "Bold": 1, "TextColor": 0xFFFFFF, "Transparent": 1,
         "TopL": 0, "LeftL": 0, "RightL": 0, "BottomL": 0, "PrintSelf": 1},
    ]}
    with tempfile.TemporaryDirectory() as d:
        src, tpl, jpg = (os.path.join(d, n) for n in ("photo.json", "photo.tpl", "photo.jpg"))
        json.dump(doc, open(src, "w", encoding="utf-8"))
        subprocess.run([tool, "build", src, "-o", tpl], check=True)
        subprocess.run([tool, "render", tpl, "--screen", "-o", jpg], check=True)
        return open(jpg, "rb").read()

sample, tool = sys.argv[1], sys.argv[2]
doc = json.load(open(sample, encoding="utf-8"))
logo = logo_bmp()
for item in doc["Items"]:
    if item.get("Kind") != "itPicture":
        continue
    if item.get("Name", "").startswith("Logo"):
        item["IsBitmap"], item["PicData"] = 1, mime64(logo)
    elif item.get("Name", "").startswith("Photo"):
        item["IsBitmap"], item["PicData"] = 0, mime64(photo_jpeg(tool, logo))
json.dump(doc, open(sample, "w", encoding="utf-8"), ensure_ascii=False, indent=1)
