#!/usr/bin/env python3
"""Writes Brisklow's binary resources beside this script.

    python3 resources/generate_resources.py

Outputs (committed; the build does not run this script):
    Brisklow.ico      program icon, 16x16 and 32x32, 32-bit BGRA with AND masks
    DirButton.bmp     16x16 24-bit, computer with "..." (choose a computer)
    InfoButton.bmp    16x16 24-bit, "i" in a blue disc (about)
    GoogleButton.bmp  16x16 24-bit, magnifier (search the web for a process)
    StartButton.bmp   16x16 24-bit, green "play" triangle (list the processes)
    Busy.avi          16x16, 8 frames of 100 ms, uncompressed 8-bit DIB, a dot going round

The button pictures use magenta (255,0,255) as their transparency key: every pixel that is
not part of the drawing is exactly that colour, and the drawings never use it.

Python 3 standard library only. The output is deterministic: running the script twice gives
byte-identical files.
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

MAGENTA = (255, 0, 255)
SUPERSAMPLE = 4  # 4x4 samples per pixel for the anti-aliased drawings


# ---------------------------------------------------------------------------------------------
# Shapes: functions (x, y) -> bool in pixel coordinates; pixel (i, j) covers [i, i+1) x [j, j+1).
# ---------------------------------------------------------------------------------------------

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_inner, r_outer):
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        return r_inner * r_inner <= d2 <= r_outer * r_outer
    return inside


def arc(cx, cy, r_inner, r_outer, start_deg, end_deg):
    """Part of a ring, angles in degrees, 0 = right, counted clockwise (y grows downwards)."""
    span = (end_deg - start_deg) % 360

    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not r_inner * r_inner <= d2 <= r_outer * r_outer:
            return False
        angle = math.degrees(math.atan2(y - cy, x - cx))
        return (angle - start_deg) % 360 <= span
    return inside


def capsule(x0, y0, x1, y1, half_width):
    """A thick line segment with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = ((x - x0) * dx + (y - y0) * dy) / length2
        t = min(max(t, 0.0), 1.0)
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        n = len(points)
        for k in range(n):
            xa, ya = points[k]
            xb, yb = points[(k + 1) % n]
            if (ya > y) != (yb > y):
                if x < xa + (y - ya) * (xb - xa) / (yb - ya):
                    result = not result
        return result
    return inside


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


# ---------------------------------------------------------------------------------------------
# Canvas: straight (non-premultiplied) RGBA in floats 0..1, painted with "over" compositing.
# ---------------------------------------------------------------------------------------------

class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def paint(self, shape, colour, opacity=1.0):
        n = SUPERSAMPLE
        offsets = [(k + 0.5) / n for k in range(n)]
        r, g, b = (c / 255.0 for c in colour)
        for j in range(self.height):
            for i in range(self.width):
                hits = sum(1 for oy in offsets for ox in offsets if shape(i + ox, j + oy))
                if hits == 0:
                    continue
                a = opacity * hits / (n * n)
                p = self.pixels[j * self.width + i]
                out_a = a + p[3] * (1.0 - a)
                for c, value in enumerate((r, g, b)):
                    p[c] = (value * a + p[c] * p[3] * (1.0 - a)) / out_a
                p[3] = out_a

    def rgba8(self, i, j):
        p = self.pixels[j * self.width + i]
        return tuple(int(round(v * 255)) for v in p)


# ---------------------------------------------------------------------------------------------
# Program icon: a monitor showing a list, with a magnifier in front of its lower right corner.
# ---------------------------------------------------------------------------------------------

BEZEL = (38, 52, 72)
SCREEN_TOP = (24, 150, 190)
SCREEN_BOTTOM = (16, 104, 160)
LIST_LINE = (235, 248, 252)
LIST_BULLET = (255, 214, 72)
STAND = (84, 98, 116)
LENS_RIM = (28, 40, 56)
LENS_GLASS = (200, 240, 255)
HANDLE = (150, 84, 40)


def draw_icon(size):
    return draw_icon32() if size == 32 else draw_icon16()


def paint_screen(c, x0, y0, x1, y1):
    """The screen with a vertical gradient, drawn as bands."""
    bands = 8
    for k in range(bands):
        t = k / (bands - 1)
        colour = tuple(int(round(a + (b - a) * t)) for a, b in zip(SCREEN_TOP, SCREEN_BOTTOM))
        c.paint(rect(x0, y0 + (y1 - y0) * k / bands, x1, y0 + (y1 - y0) * (k + 1) / bands), colour)


def draw_icon32():
    c = Canvas(32, 32)
    c.paint(rect(13, 21, 19, 26), STAND)
    c.paint(round_rect(8, 25, 24, 28, 1.0), STAND)
    c.paint(round_rect(1, 3, 31, 23, 2.0), BEZEL)
    paint_screen(c, 3, 5, 29, 21)
    for y, length in [(7, 17), (11, 19), (15, 11), (19, 15)]:
        c.paint(rect(5, y - 1, 7, y + 1), LIST_BULLET)
        c.paint(rect(9, y - 1, 9 + length, y + 1), LIST_LINE)
    cx, cy = 21.5, 19.5
    c.paint(capsule(cx + 5, cy + 5, 29.5, 28.5, 2.2), HANDLE)
    c.paint(circle(cx, cy, 5.2), LENS_GLASS, 0.75)
    c.paint(ring(cx, cy, 5.0, 7.0), LENS_RIM)
    c.paint(arc(cx, cy, 2.5, 3.6, 190, 260), (255, 255, 255), 0.9)
    return c


def draw_icon16():
    # Pixel-aligned: at this size anti-aliased edges would only blur the outline.
    c = Canvas(16, 16)
    c.paint(rect(6, 11, 10, 13), STAND)
    c.paint(rect(3, 13, 12, 14), STAND)
    c.paint(rect(0, 1, 16, 12), BEZEL)
    paint_screen(c, 1, 2, 15, 10)
    for y, length in [(3, 10), (5, 7), (7, 9)]:
        c.paint(rect(2, y, 3, y + 1), LIST_BULLET)
        c.paint(rect(4, y, 4 + length, y + 1), LIST_LINE)
    cx, cy = 10.5, 10.5
    c.paint(capsule(13, 13, 15, 15, 1.1), HANDLE)
    c.paint(circle(cx, cy, 2.6), LENS_GLASS, 0.8)
    c.paint(ring(cx, cy, 2.5, 3.7), LENS_RIM)
    return c


def icon_image(canvas):
    """One ICO image: BITMAPINFOHEADER (height doubled), BGRA rows bottom-up, then the AND mask."""
    w, h = canvas.width, canvas.height
    xor = bytearray()
    mask = bytearray()
    mask_row_bytes = ((w + 31) // 32) * 4
    for j in range(h - 1, -1, -1):
        bits = bytearray(mask_row_bytes)
        for i in range(w):
            r, g, b, a = canvas.rgba8(i, j)
            if a == 0:
                r = g = b = 0
                bits[i // 8] |= 0x80 >> (i % 8)  # 1 = transparent
            xor += bytes((b, g, r, a))
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def write_ico(path, canvases):
    images = [icon_image(c) for c in canvases]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        out += struct.pack('<BBBBHHII', canvas.width % 256, canvas.height % 256, 0, 0, 1, 32,
                           len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    write_file(path, out)


# ---------------------------------------------------------------------------------------------
# Button pictures: 16x16, hard-edged on the magenta key so that keying leaves no fringe.
# ---------------------------------------------------------------------------------------------

def draw_dir_button():
    c = Canvas(16, 16)
    c.paint(rect(1, 1, 13, 10), BEZEL)          # monitor
    c.paint(rect(2, 2, 12, 9), SCREEN_TOP)      # screen
    c.paint(rect(3, 3, 8, 4), LIST_LINE)
    c.paint(rect(3, 5, 10, 6), LIST_LINE)
    c.paint(rect(6, 10, 8, 12), STAND)          # stand
    c.paint(rect(3, 12, 11, 13), STAND)         # base
    for x in (9, 12, 15):                       # "..."
        c.paint(rect(x - 1, 14, x + 1, 16), (0, 0, 0))
    return c


def draw_info_button():
    c = Canvas(16, 16)
    c.paint(circle(8, 8, 7.5), (22, 96, 196))
    c.paint(ring(8, 8, 6.6, 7.5), (12, 64, 140))
    c.paint(rect(7, 3, 9, 5), (255, 255, 255))      # dot of the "i"
    c.paint(rect(7, 6, 9, 12), (255, 255, 255))     # stem
    c.paint(rect(6, 6, 7, 7), (255, 255, 255))      # serif
    c.paint(rect(6, 11, 10, 12), (255, 255, 255))   # foot
    return c


def draw_search_button():
    c = Canvas(16, 16)
    c.paint(capsule(10.5, 10.5, 14.3, 14.3, 1.6), HANDLE)
    c.paint(circle(6.5, 6.5, 4.2), LENS_GLASS)
    c.paint(ring(6.5, 6.5, 4.0, 5.8), LENS_RIM)
    c.paint(rect(4, 4, 6, 5), (255, 255, 255))
    c.paint(rect(4, 5, 5, 6), (255, 255, 255))
    return c


def draw_start_button():
    c = Canvas(16, 16)
    c.paint(polygon([(3, 1), (3, 15), (14, 8)]), (20, 110, 40))     # outline
    c.paint(polygon([(4.5, 3.6), (4.5, 12.4), (11.6, 8)]), (52, 176, 72))
    return c


def write_bmp24(path, canvas, key=MAGENTA):
    """24-bit bottom-up BMP; pixels less than half covered become the key colour."""
    w, h = canvas.width, canvas.height
    row_bytes = (w * 3 + 3) // 4 * 4
    pixels = bytearray()
    for j in range(h - 1, -1, -1):
        row = bytearray()
        for i in range(w):
            r, g, b, a = canvas.rgba8(i, j)
            if a < 128:
                r, g, b = key
            elif (r, g, b) == key:
                g = 1  # never produce the key colour inside the drawing
            row += bytes((b, g, r))
        row += bytes(row_bytes - len(row))
        pixels += row
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    write_file(path, file_header + info + pixels)


# ---------------------------------------------------------------------------------------------
# Busy animation: a dot going round a circle, with a fading trail; 8 frames, 16x16, 8-bit.
# ---------------------------------------------------------------------------------------------

AVI_SIZE = 16
AVI_FRAMES = 8
AVI_FRAME_US = 100000
AVI_BACKGROUND = (240, 240, 240)  # also the colour of the first pixel, for ACS_TRANSPARENT
SPINNER_HEAD = (16, 104, 160)


def draw_busy_frame(frame):
    c = Canvas(AVI_SIZE, AVI_SIZE)
    c.paint(rect(0, 0, AVI_SIZE, AVI_SIZE), AVI_BACKGROUND)
    centre, radius = AVI_SIZE / 2.0, 5.4
    for step in range(AVI_FRAMES):
        age = (frame - step) % AVI_FRAMES  # 0 = the dot's current place
        angle = math.radians(-90 + 45 * step)
        x = centre + radius * math.cos(angle)
        y = centre + radius * math.sin(angle)
        if age == 0:
            c.paint(circle(x, y, 2.1), SPINNER_HEAD)
        elif age <= 3:
            c.paint(circle(x, y, 1.7 - 0.2 * age), SPINNER_HEAD, 0.75 - 0.18 * age)
        else:
            c.paint(circle(x, y, 1.1), (190, 200, 210))
    return c


def write_avi(path, frames):
    w = h = AVI_SIZE
    # Palette: index 0 is the background, then every other colour the frames use.
    palette = [AVI_BACKGROUND]
    index_of = {AVI_BACKGROUND: 0}
    frame_data = []
    for canvas in frames:
        data = bytearray()
        for j in range(h - 1, -1, -1):  # bottom-up rows; 16 bytes each, already DWORD-aligned
            for i in range(w):
                r, g, b, _ = canvas.rgba8(i, j)
                colour = (r, g, b)
                if colour not in index_of:
                    index_of[colour] = len(palette)
                    palette.append(colour)
                data.append(index_of[colour])
        frame_data.append(bytes(data))
    if len(palette) > 256:
        raise SystemExit('busy animation uses more than 256 colours')
    frame_bytes = len(frame_data[0])

    def chunk(fourcc, payload):
        pad = b'\0' if len(payload) % 2 else b''
        return fourcc + struct.pack('<I', len(payload)) + payload + pad

    def riff_list(kind, list_type, payload):
        return kind + struct.pack('<I', len(payload) + 4) + list_type + payload

    avih = struct.pack('<14I',
                       AVI_FRAME_US,                          # dwMicroSecPerFrame
                       frame_bytes * 1000000 // AVI_FRAME_US, # dwMaxBytesPerSec
                       0,                                     # dwPaddingGranularity
                       0x10,                                  # dwFlags: AVIF_HASINDEX
                       len(frames),                           # dwTotalFrames
                       0,                                     # dwInitialFrames
                       1,                                     # dwStreams
                       frame_bytes,                           # dwSuggestedBufferSize
                       w, h,                                  # dwWidth, dwHeight
                       0, 0, 0, 0)                            # dwReserved
    strh = struct.pack('<4s4sIHHIIIIIIIIhhhh',
                       b'vids', b'DIB ',
                       0,                  # dwFlags
                       0, 0,               # wPriority, wLanguage
                       0,                  # dwInitialFrames
                       1, 1000000 // AVI_FRAME_US,  # dwScale, dwRate: 10 frames a second
                       0, len(frames),     # dwStart, dwLength
                       frame_bytes,        # dwSuggestedBufferSize
                       0xFFFFFFFF,         # dwQuality: default
                       0,                  # dwSampleSize: 0 = one frame a chunk
                       0, 0, w, h)         # rcFrame
    strf = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 0, frame_bytes, 0, 0, len(palette), 0)
    strf += b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    hdrl = riff_list(b'LIST', b'hdrl',
                     chunk(b'avih', avih) + riff_list(b'LIST', b'strl',
                                                      chunk(b'strh', strh) + chunk(b'strf', strf)))
    movi_payload = bytearray()
    index = bytearray()
    for data in frame_data:
        offset = 4 + len(movi_payload)  # from the 'movi' list type, as the index expects
        movi_payload += chunk(b'00db', data)
        index += struct.pack('<4sIII', b'00db', 0x10, offset, len(data))  # AVIIF_KEYFRAME
    movi = riff_list(b'LIST', b'movi', bytes(movi_payload))
    body = hdrl + movi + chunk(b'idx1', bytes(index))
    write_file(path, riff_list(b'RIFF', b'AVI ', body))


def write_file(name, data):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)
    print(f'{name}: {len(data)} bytes')


def main():
    write_ico('Brisklow.ico', [draw_icon(16), draw_icon(32)])
    write_bmp24('DirButton.bmp', draw_dir_button())
    write_bmp24('InfoButton.bmp', draw_info_button())
    write_bmp24('GoogleButton.bmp', draw_search_button())
    write_bmp24('StartButton.bmp', draw_start_button())
    write_avi('Busy.avi', [draw_busy_frame(k) for k in range(AVI_FRAMES)])


if __name__ == '__main__':
    main()
