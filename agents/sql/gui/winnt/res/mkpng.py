# Writes the pictures of the windowed program's resource library (plain RGB PNG files).
import struct, zlib, math, sys

def png(path, w, h, pixel):
    rows = b''.join(b'\x00' + b''.join(bytes(pixel(x, y)) for x in range(w)) for y in range(h))
    def chunk(kind, data):
        c = kind + data
        return struct.pack('>I', len(data)) + c + struct.pack('>I', zlib.crc32(c) & 0xffffffff)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
    data += chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b'')
    open(path, 'wb').write(data)

MAGENTA = (255, 0, 255)

def disk(colour, ring=None):
    def f(x, y, s=16):
        d = math.hypot(x - 7.5, y - 7.5)
        if d > 7.2: return MAGENTA
        if d > 6.0: return ring or tuple(c // 2 for c in colour)
        return colour
    return f

def cylinder(colour):  # a database
    def f(x, y):
        if x < 2 or x > 13 or y < 1 or y > 14: return MAGENTA
        top = abs(y - 3) < 2 and (x - 7.5) ** 2 / 36 + (y - 3) ** 2 / 4 <= 1.1
        if top: return tuple(min(255, c + 70) for c in colour)
        if x in (2, 13) or y == 14: return tuple(c // 2 for c in colour)
        return colour
    return f

def box(colour, border):
    def f(x, y):
        if x < 1 or x > 14 or y < 1 or y > 14: return MAGENTA
        if x in (1, 14) or y in (1, 14): return border
        return colour
    return f

def check(kind):  # tree check images: clear, checked, partial, no selection, disabled
    def f(x, y):
        if x < 2 or x > 13 or y < 2 or y > 13: return MAGENTA
        if x in (2, 13) or y in (2, 13): return (80, 80, 80) if kind != 'disabled' else (170, 170, 170)
        inner = (255, 255, 255) if kind != 'disabled' else (225, 225, 225)
        # A tick: down to the right from (4, 8) to (6, 10), then up to (11, 4); y grows downwards.
        if kind == 'checked' and (abs((y - 10) - (x - 6)) <= 1 and 4 <= x <= 6 or abs((y - 10) + (x - 6) * 1.2) <= 1 and 6 <= x <= 11):
            return (20, 110, 40)
        if kind == 'partial' and 5 <= x <= 10 and 5 <= y <= 10: return (120, 140, 170)
        if kind == 'noselect' and abs(x - y) <= 0 and 4 <= x <= 11: return (170, 40, 40)
        return inner
    return f

out = sys.argv[1]
# The application's image list, ids 141 125 126 127 129 145 139 138 123 124.
png(out + '/icon141.png', 16, 16, disk((40, 110, 190)))          # SQL Server
png(out + '/icon125.png', 16, 16, check('clear'))
png(out + '/icon126.png', 16, 16, check('checked'))
png(out + '/icon127.png', 16, 16, check('partial'))
png(out + '/icon129.png', 16, 16, check('noselect'))
png(out + '/icon145.png', 16, 16, check('disabled'))
png(out + '/icon139.png', 16, 16, cylinder((60, 130, 200)))      # database
png(out + '/icon138.png', 16, 16, box((250, 220, 120), (150, 120, 40)))   # group
png(out + '/icon123.png', 16, 16, box((240, 240, 240), (110, 110, 110)))  # file
png(out + '/icon124.png', 16, 16, disk((70, 160, 90)))           # backup

def appicon(x, y):
    d = math.hypot(x - 15.5, y - 15.5)
    if d > 15: return MAGENTA
    if d > 13: return (20, 60, 120)
    if abs(y - 16) < 3 and 7 < x < 25: return (255, 255, 255)
    return (40, 110, 190)
png(out + '/appicon.png', 32, 32, appicon)

def splash(x, y, w=420, h=280):
    t = y / h
    base = (int(25 + 30 * t), int(60 + 50 * t), int(120 + 60 * t))
    if 96 <= y <= 104: return (240, 200, 80)
    cx, cy = 210, 180
    if abs(x - cx) < 40 and abs(y - cy) < 40 and (x - cx) ** 2 / 1600 + (y - cy + 30) ** 2 / 100 <= 1: return (200, 225, 250)
    if abs(x - cx) <= 40 and cy - 30 <= y <= cy + 40 and abs(abs(x - cx) - 40) < 2: return (200, 225, 250)
    return base
png(out + '/splash.png', 420, 280, splash)

# Tool bar strip: refresh, SQL Server login, SQL Server information, help (16 px each).
def strip(x, y):
    i, lx = divmod(x, 16)
    if i == 0:
        d = math.hypot(lx - 7.5, y - 7.5)
        return (30, 120, 60) if 4.5 < d < 6.5 and not (lx > 8 and y < 7) else MAGENTA
    if i == 1:
        if math.hypot(lx - 7.5, y - 5) < 3.2: return (170, 120, 60)
        if y >= 9 and abs(lx - 7.5) < 5 and y <= 14: return (60, 90, 160)
        return MAGENTA
    if i == 2:
        return cylinder((60, 130, 200))(lx, y)
    d = math.hypot(lx - 7.5, y - 7.5)
    if d > 7.2: return MAGENTA
    if (lx in (7, 8) and 6 <= y <= 12) or (lx in (7, 8) and y in (3, 4)): return (255, 255, 255)
    return (40, 90, 200)
png(out + '/toolbar.png', 64, 16, strip)

# The about box's picture; its two text lines are drawn at (115, 252) and (70, 270).
def about(x, y, w=420, h=300):
    if y < 150:
        t = y / 150
        base = (int(25 + 30 * t), int(60 + 50 * t), int(120 + 60 * t))
        cx, cy = 210, 80
        if abs(x - cx) <= 40 and cy - 30 <= y <= cy + 40 and abs(abs(x - cx) - 40) < 2: return (200, 225, 250)
        if abs(x - cx) < 40 and (x - cx) ** 2 / 1600 + (y - cy + 30) ** 2 / 100 <= 1: return (200, 225, 250)
        if y >= cy + 30 and abs((x - cx) ** 2 / 1600 + (y - cy - 30) ** 2 / 100 - 1) < 0.12: return (200, 225, 250)
        return base
    if 150 <= y <= 155: return (240, 200, 80)
    if x < 2 or x >= w - 2 or y >= h - 2: return (120, 130, 150)
    return (245, 246, 250)
png(out + '/about.png', 420, 300, about)
