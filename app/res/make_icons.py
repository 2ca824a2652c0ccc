#!/usr/bin/env python3
# Draws the program's icons (32x32 and 16x16, 32-bit) into app/res/*.ico.
import math, os, struct

def image(size, ring, dot):
    rows = []
    c = (size - 1) / 2.0
    for y in range(size - 1, -1, -1):  # bottom-up
        row = b''
        for x in range(size):
            d = math.hypot(x - c, y - c) / (size / 2.0)
            if d < 0.35: b, g, r = dot; a = 255
            elif 0.55 < d < 0.8: b, g, r = ring; a = 255
            elif d < 0.95: b, g, r = (250, 235, 200); a = 255
            else: b = g = r = a = 0
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b''.join(rows)
    mask_row = ((size + 31) // 32) * 4
    andmask = b'\0' * (mask_row * size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    return header + xor + andmask

def icon(path, ring, dot):
    imgs = [image(32, ring, dot), image(16, ring, dot)]
    out = struct.pack('<HHH', 0, 1, len(imgs))
    offset = 6 + 16 * len(imgs)
    for size, data in zip((32, 16), imgs):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(imgs)
    open(path, 'wb').write(out)

here = os.path.dirname(os.path.abspath(__file__))
icon(os.path.join(here, 'pondrel.ico'), (180, 110, 20), (60, 160, 40))     # 128, 153: the program
icon(os.path.join(here, 'balloon.ico'), (180, 110, 20), (40, 180, 240))    # 146: balloons
icon(os.path.join(here, 'tray.ico'), (120, 80, 20), (60, 160, 40))         # 150: first tray look
# The tray looks of the connection state (the enabled-and-offline look is 153).
icon(os.path.join(here, 'tray_disabled_offline.ico'), (130, 130, 130), (170, 170, 170))  # 151
icon(os.path.join(here, 'tray_disabled.ico'), (130, 130, 130), (60, 160, 40))            # 152: disabled, starting
icon(os.path.join(here, 'tray_online.ico'), (200, 90, 30), (60, 200, 60))                # 154: enabled and online
icon(os.path.join(here, 'tray_no_settings.ico'), (180, 110, 20), (40, 40, 220))          # 157: no settings
icon(os.path.join(here, 'tray_connecting.ico'), (180, 110, 20), (30, 200, 240))          # 158: connecting
