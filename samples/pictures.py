#!/usr/bin/env python3
"""Draws the sample book's pictures and the reader's program-folder pictures.

Only the standard library: a small raster canvas, a GIF writer (LZW) and a baseline JPEG
writer. The output is deterministic; the generated files are committed, run this again only
after changing a drawing:  python3 samples/pictures.py
"""
import math
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


class Canvas:
    def __init__(self, w, h, colour):
        self.w, self.h = w, h
        self.px = [colour] * (w * h)

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = c

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r), int(cy + r) + 1):
            for x in range(int(cx - r), int(cx + r) + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def ring(self, cx, cy, r, c, rx=None):
        rx = rx or r
        steps = int(8 * max(r, rx)) + 8
        for i in range(steps):
            a = 2 * math.pi * i / steps
            self.set(int(round(cx + rx * math.cos(a))), int(round(cy + r * math.sin(a))), c)

    def line(self, x0, y0, x1, y1, c):
        n = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
        for i in range(n + 1):
            t = i / n
            self.set(int(round(x0 + (x1 - x0) * t)), int(round(y0 + (y1 - y0) * t)), c)

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.set(x, y, c)


# ---- GIF ----

def write_gif(path, canvas):
    colours = sorted(set(canvas.px))
    assert len(colours) <= 256, path
    bits = max(2, (len(colours) - 1).bit_length())
    size = 1 << bits
    palette = colours + [(0, 0, 0)] * (size - len(colours))
    index = {c: i for i, c in enumerate(colours)}
    data = lzw(bytes(index[c] for c in canvas.px), bits)
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", canvas.w, canvas.h, 0x80 | (bits - 1), 0, 0)
    for r, g, b in palette:
        out += bytes((r, g, b))
    out += b"," + struct.pack("<HHHHB", 0, 0, canvas.w, canvas.h, 0)
    out += bytes((bits,))
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out += bytes((len(chunk),)) + chunk
    out += b"\x00;"
    save(path, out)


def lzw(pixels, min_bits):
    clear, end = 1 << min_bits, (1 << min_bits) + 1
    out, acc, nacc = bytearray(), 0, 0
    width = min_bits + 1

    def emit(code):
        nonlocal acc, nacc
        acc |= code << nacc
        nacc += width
        while nacc >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nacc -= 8

    table = {bytes((i,)): i for i in range(clear)}
    next_code = end + 1
    emit(clear)
    w = b""
    for p in pixels:
        wc = w + bytes((p,))
        if wc in table:
            w = wc
            continue
        emit(table[w])
        if next_code < 4096:
            table[wc] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear)
            table = {bytes((i,)): i for i in range(clear)}
            next_code, width = end + 1, min_bits + 1
        w = bytes((p,))
    if w:
        emit(table[w])
    emit(end)
    if nacc:
        out.append(acc & 0xFF)
    return bytes(out)


# ---- baseline JPEG ----

ZIGZAG = [0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48, 41, 34,
          27, 20, 13, 6, 7, 14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37,
          44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63]
Q_LUMA = [16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55, 14, 13, 16, 24, 40, 57,
          69, 56, 14, 17, 22, 29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64,
          81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99]
Q_CHROMA = [17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99,
            99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99] + [99] * 32
# Standard Huffman tables: (bit counts 1..16, values)
DC_LUMA = ([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0], list(range(12)))
DC_CHROMA = ([0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0], list(range(12)))
AC_LUMA = ([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D], bytes.fromhex(
    "01020300041105122131410613516107227114328191a1082342b1c11552d1f02433627282090a161718191a25"
    "262728292a3435363738393a434445464748494a535455565758595a636465666768696a737475767778797a83"
    "8485868788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9cad2d3"
    "d4d5d6d7d8d9dae1e2e3e4e5e6e7e8e9eaf1f2f3f4f5f6f7f8f9fa"))
AC_CHROMA = ([0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77], bytes.fromhex(
    "000102031104052131061241510761711322328108144291a1b1c109233352f0156272d10a162434e125f117"
    "18191a262728292a35363738393a434445464748494a535455565758595a636465666768696a737475767778797a"
    "82838485868788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9ca"
    "d2d3d4d5d6d7d8d9dae2e3e4e5e6e7e8e9eaf2f3f4f5f6f7f8f9fa"))


def huffman_codes(table):
    counts, values = table
    codes, code, k = {}, 0, 0
    for length in range(1, 17):
        for _ in range(counts[length - 1]):
            codes[values[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


class BitWriter:
    def __init__(self):
        self.out, self.acc, self.n = bytearray(), 0, 0

    def put(self, code, length):
        self.acc = (self.acc << length) | code
        self.n += length
        while self.n >= 8:
            byte = (self.acc >> (self.n - 8)) & 0xFF
            self.out.append(byte)
            if byte == 0xFF:
                self.out.append(0)
            self.n -= 8
        self.acc &= (1 << self.n) - 1

    def flush(self):
        if self.n:
            self.put((1 << (8 - self.n)) - 1, 8 - self.n)


COS = [[math.cos((2 * x + 1) * u * math.pi / 16) for x in range(8)] for u in range(8)]


def fdct(block):
    out = [0.0] * 64
    for v in range(8):
        for u in range(8):
            s = 0.0
            for y in range(8):
                row = block[y * 8:y * 8 + 8]
                cy = COS[v][y]
                for x in range(8):
                    s += row[x] * COS[u][x] * cy
            cu = math.sqrt(0.5) if u == 0 else 1.0
            cv = math.sqrt(0.5) if v == 0 else 1.0
            out[v * 8 + u] = 0.25 * cu * cv * s
    return out


def magnitude(v):
    n = abs(v).bit_length()
    return n, (v if v >= 0 else v + (1 << n) - 1)


def write_jpeg(path, canvas):
    w, h = canvas.w, canvas.h
    planes = [[], [], []]
    for r, g, b in canvas.px:
        planes[0].append(0.299 * r + 0.587 * g + 0.114 * b - 128)
        planes[1].append(-0.168736 * r - 0.331264 * g + 0.5 * b)
        planes[2].append(0.5 * r - 0.418688 * g - 0.081312 * b)
    quants = [Q_LUMA, Q_CHROMA, Q_CHROMA]
    dcs = [huffman_codes(DC_LUMA), huffman_codes(DC_CHROMA), huffman_codes(DC_CHROMA)]
    acs = [huffman_codes(AC_LUMA), huffman_codes(AC_CHROMA), huffman_codes(AC_CHROMA)]
    bw = BitWriter()
    prev = [0, 0, 0]
    for by in range(0, h, 8):
        for bx in range(0, w, 8):
            for c in range(3):
                block = [planes[c][min(by + y, h - 1) * w + min(bx + x, w - 1)]
                         for y in range(8) for x in range(8)]
                coef = fdct(block)
                q = [int(round(coef[ZIGZAG[i]] / quants[c][ZIGZAG[i]])) for i in range(64)]
                diff = q[0] - prev[c]
                prev[c] = q[0]
                n, bits = magnitude(diff)
                bw.put(*dcs[c][n])
                if n:
                    bw.put(bits, n)
                run = 0
                for i in range(1, 64):
                    if q[i] == 0:
                        run += 1
                        continue
                    while run > 15:
                        bw.put(*acs[c][0xF0])
                        run -= 16
                    n, bits = magnitude(q[i])
                    bw.put(*acs[c][(run << 4) | n])
                    bw.put(bits, n)
                    run = 0
                if run:
                    bw.put(*acs[c][0x00])
    bw.flush()
    out = bytearray(b"\xff\xd8")
    out += b"\xff\xe0" + struct.pack(">H5sBBBHHBB", 16, b"JFIF\0", 1, 1, 0, 1, 1, 0, 0)
    for i, table in enumerate((Q_LUMA, Q_CHROMA)):
        out += b"\xff\xdb" + struct.pack(">HB", 67, i) + bytes(table[z] for z in ZIGZAG)
    out += b"\xff\xc0" + struct.pack(">HBHHB", 17, 8, h, w, 3)
    out += bytes((1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1))
    for cls_id, table in ((0x00, DC_LUMA), (0x10, AC_LUMA), (0x01, DC_CHROMA), (0x11, AC_CHROMA)):
        counts, values = table
        out += b"\xff\xc4" + struct.pack(">HB", 3 + 16 + len(values), cls_id)
        out += bytes(counts) + bytes(values)
    out += b"\xff\xda" + struct.pack(">HB", 12, 3) + bytes((1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0))
    out += bw.out + b"\xff\xd9"
    save(path, out)


# ---- BMP ----

def write_bmp(path, canvas):
    row = (canvas.w * 3 + 3) & ~3
    out = bytearray(b"BM" + struct.pack("<IHHI", 54 + row * canvas.h, 0, 0, 54))
    out += struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, row * canvas.h, 2835, 2835, 0, 0)
    for y in range(canvas.h - 1, -1, -1):
        line = bytearray()
        for x in range(canvas.w):
            r, g, b = canvas.px[y * canvas.w + x]
            line += bytes((b, g, r))
        out += line + b"\0" * (row - len(line))
    save(path, out)


def save(path, data):
    full = os.path.join(HERE, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as f:
        f.write(data)


# ---- drawings ----

NIGHT, WHITE, SUN, GREY = (12, 18, 48), (255, 255, 255), (255, 200, 40), (150, 150, 160)


def solar_system():
    c = Canvas(320, 160, NIGHT)
    c.disc(20, 80, 16, SUN)
    planets = [(40, 2, (180, 160, 140)), (58, 3, (230, 200, 120)), (78, 3, (70, 130, 230)),
               (100, 2, (210, 90, 50)), (150, 8, (220, 180, 130)), (200, 7, (230, 210, 150)),
               (245, 5, (150, 210, 230)), (285, 5, (80, 110, 220))]
    for i, (r, size, colour) in enumerate(planets):
        c.ring(20, 80, r * 0.55, GREY, rx=r)
        a = 0.35 if i % 2 else -0.35
        x, y = 20 + r * math.cos(a), 80 + r * 0.55 * math.sin(a)
        c.disc(x, y, size, colour)
        if i == 5:
            c.ring(x, y, 3, (200, 190, 150), rx=13)
    return c


def big_dipper():
    c = Canvas(240, 140, NIGHT)
    rnd = random.Random(7)
    for _ in range(60):
        c.set(rnd.randrange(240), rnd.randrange(140), (90, 90, 120))
    stars = [(30, 40), (70, 30), (105, 45), (140, 60), (150, 105), (205, 110), (200, 62)]
    for (x0, y0), (x1, y1) in zip(stars, stars[1:]):
        c.line(x0, y0, x1, y1, (70, 90, 160))
    c.line(200, 62, 140, 60, (70, 90, 160))
    for x, y in stars:
        c.disc(x, y, 3, WHITE)
    return c


def moon_phases_clean():
    c = Canvas(320, 60, NIGHT)
    for i in range(8):
        cx, cy, r = 20 + i * 40, 30, 15
        k = math.cos(2 * math.pi * i / 8.0)  # 1 = new moon, -1 = full moon
        waxing = i <= 4
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                dx, dy = x - cx, y - cy
                if dx * dx + dy * dy > r * r:
                    continue
                half = math.sqrt(max(0.0, r * r - dy * dy))
                edge = k * half
                lit = dx > edge if waxing else dx < -edge
                c.set(x, y, (235, 235, 210) if lit else (45, 45, 60))
        c.ring(cx, cy, r, GREY)
    return c


def eclipse():
    c = Canvas(300, 100, NIGHT)
    c.disc(30, 50, 24, SUN)
    c.line(30, 26, 270, 46, (120, 120, 90))
    c.line(30, 74, 270, 54, (120, 120, 90))
    c.disc(170, 50, 6, (200, 200, 200))
    c.disc(265, 50, 14, (70, 130, 230))
    return c


def starry_sky():
    w, h = 320, 200
    c = Canvas(w, h, NIGHT)
    rnd = random.Random(2026)
    for y in range(h):
        for x in range(w):
            t = y / h
            c.px[y * w + x] = (int(10 + 30 * t), int(15 + 40 * t), int(50 + 60 * t))
    for x in range(w):
        ground = int(h - 25 + 8 * math.sin(x / 23.0))
        for y in range(ground, h):
            c.px[y * w + x] = (15, 25, 15)
    for _ in range(260):
        x, y = rnd.randrange(w), rnd.randrange(h - 40)
        b = rnd.randrange(120, 256)
        c.set(x, y, (b, b, min(255, b + 20)))
        if b > 240:
            c.disc(x, y, 1.3, (b, b, b))
    return c


def galaxy():
    w, h = 240, 240
    c = Canvas(w, h, (5, 5, 15))
    rnd = random.Random(31)
    for _ in range(9000):
        arm = rnd.randrange(2)
        r = rnd.random() ** 0.7 * 105
        a = r / 30.0 + arm * math.pi + rnd.gauss(0, 0.25)
        x, y = 120 + r * math.cos(a), 120 + r * math.sin(a) * 0.8
        old = c.px[int(y) * w + int(x)] if 0 <= int(x) < w and 0 <= int(y) < h else (0, 0, 0)
        add = 60 if r > 25 else 110
        c.set(int(x), int(y), tuple(min(255, v + add) for v in old))
    c.disc(120, 120, 9, (255, 240, 200))
    return c


def telescope():
    c = Canvas(260, 120, (250, 250, 245))
    ink = (40, 40, 60)
    c.line(20, 40, 200, 40, ink)
    c.line(20, 80, 200, 80, ink)
    c.line(20, 40, 20, 80, (80, 120, 200))
    c.line(200, 40, 200, 80, ink)
    for y in range(42, 79, 6):
        c.line(20, y, 200, 60, (230, 170, 40))
    c.rect(200, 55, 235, 65, ink)
    c.line(110, 80, 90, 115, ink)
    c.line(110, 80, 130, 115, ink)
    return c


def arrow(left):
    c = Canvas(16, 11, (255, 255, 255))
    for y in range(11):
        half = 5 - abs(y - 5)
        for x in range(16):
            tip = x if left else 15 - x
            if tip >= 5 - half and (abs(y - 5) <= 1 or tip <= 6):
                c.set(x, y, (200, 30, 30))
    return c


def splash():
    c = starry_sky()
    s = Canvas(320, 200, NIGHT)
    s.px = list(c.px)
    s.disc(250, 60, 26, (240, 240, 220))
    s.disc(262, 52, 24, (25, 35, 70))
    return s


def main():
    write_gif("book/pictures/solar.gif", solar_system())
    write_gif("book/ch1/dipper.gif", big_dipper())
    write_gif("book/ch2/phases.gif", moon_phases_clean())
    write_gif("book/tasks/eclipse.gif", eclipse())
    write_gif("book/ch5/telescope.gif", telescope())
    write_jpeg("book/pictures/sky.jpg", starry_sky())
    write_jpeg("book/ch4/galaxy.jpg", galaxy())
    write_gif("pagefile/pictures/dipper.gif", big_dipper())
    write_gif("program/kovrex_left.gif", arrow(True))
    write_gif("program/kovrex_right.gif", arrow(False))
    sp = splash()
    write_bmp("program/slash.bmp", sp)
    write_bmp("program/splash.bmp", sp)


if __name__ == "__main__":
    main()
