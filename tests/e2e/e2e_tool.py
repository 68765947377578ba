#!/usr/bin/env python3
"""What the desktop checks cannot do in shell (standard library only):
reap DIR CMD... (a child subreaper logging to DIR/exits.<pid>), owned SELECTION (some X
client owns it), count PPM KIND X Y W H, look PPM X Y (a switch's colour), words TSV PPM X Y
(tesseract's words of a 3x crop with their centres and darkest grey), settings FORM DATE
[Key=Value...] (the file's exact bytes), watch FILE OUT SECONDS (every distinct content),
sizes XEV W H STEPS (the fade-out's window sizes), sound RAW WAV silent|cut (the click capture),
first_picture CX CY X Y W H SECONDS (clicks at CX CY, prints the seconds until the rectangle is
mostly coloured: a film's first picture).
"""
import os
import re
import struct
import subprocess
import sys
import time


def load_ppm(path):
    data = open(path, "rb").read()
    fields, i = [], 0
    while len(fields) < 4:
        while data[i : i + 1].isspace():
            i += 1
        j = i
        while not data[j : j + 1].isspace():
            j += 1
        fields.append(data[i:j])
        i = j
    if fields[0] != b"P6" or fields[3] != b"255":
        raise SystemExit(f"{path}: not an 8-bit binary PPM")
    w, h, pixels = int(fields[1]), int(fields[2]), data[i + 1 :]
    return lambda x, y: tuple(pixels[(y * w + x) * 3 : (y * w + x) * 3 + 3]) if 0 <= x < w and 0 <= y < h else (0, 0, 0)


KINDS = {
    "blue": lambda r, g, b: b >= 120 and b >= r + 50 and b >= g + 20,
    "white": lambda r, g, b: min(r, g, b) >= 200,
    "green": lambda r, g, b: g >= 120 and g >= r + 40 and g >= b + 40,
    "red": lambda r, g, b: r >= 120 and r >= g + 40 and r >= b + 40,
    "grey": lambda r, g, b: max(r, g, b) >= 80 and max(r, g, b) - min(r, g, b) <= 15,
    "black": lambda r, g, b: max(r, g, b) <= 8,
    "window": lambda r, g, b: max(abs(r - 40), abs(g - 40), abs(b - 40)) <= 3,  # rgb(40,40,40)
    "frame": lambda r, g, b: r != 40 and r > 0,  # neither the window colour nor black
    "lighter": lambda r, g, b: min(r, g, b) >= 40 and r + g + b >= 135,
}


def count(at, kind, x, y, w, h):
    return sum(KINDS[kind](*at(xx, yy)) for yy in range(y, y + h) for xx in range(x, x + w))


def reap(folder, command):
    import ctypes

    os.setsid()
    if ctypes.CDLL(None).prctl(36, 1, 0, 0, 0) != 0:  # PR_SET_CHILD_SUBREAPER
        raise SystemExit("prctl(PR_SET_CHILD_SUBREAPER) failed")
    with open(f"{folder}/exits.{os.getpid()}", "a", buffering=1) as log:
        log.write(f"start {subprocess.Popen(command).pid}\n")
        while True:
            try:
                pid, status = os.wait()
            except ChildProcessError:
                return 0
            if os.WIFEXITED(status) or os.WIFSIGNALED(status):
                code = os.WEXITSTATUS(status) if os.WIFEXITED(status) else 128 + os.WTERMSIG(status)
                log.write(f"exit {pid} {code}\n")


def owned(selection):
    import ctypes

    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x.XGetSelectionOwner.restype = ctypes.c_ulong
    d = x.XOpenDisplay(None)
    return 0 if d and x.XGetSelectionOwner(d, x.XInternAtom(d, selection.encode(), 0)) else 1


def words(tsv, ppm, left, top):
    at = load_ppm(ppm)
    for line in open(tsv, encoding="utf-8"):
        c = line.rstrip("\n").split("\t")
        if len(c) < 12 or c[0] != "5" or not c[11].strip():
            continue
        bx, by, bw, bh = (int(v) for v in c[6:10])
        x0, y0, x1, y1 = left + bx // 3, top + by // 3, left + (bx + bw + 2) // 3, top + (by + bh + 2) // 3
        darkest = min(sum(at(x, y)) // 3 for y in range(y0, y1) for x in range(x0, x1))
        print(c[11].strip(), (x0 + x1) // 2, (y0 + y1) // 2, darkest)


SETTINGS = """<?xml version="1.0" encoding="UTF-8"?>

<Root>
  <HKey_Application>
    <Key_Name Value="Zelluo"/>
    <Key_Version Value="1.0.0.0"/>
    <Key_Create Value="@"/>
    <Key_Update Value="@"/>
    <Key_StartPage Value="Main"/>
  </HKey_Application>
  <HKey_Options>
    <Key_StartTray Value="0"/>
    <Key_StartMinimize Value="0"/>
    <Key_AutoUpdate Value="0"/>
    <Key_Language Value="German"/>
    <Key_Theme Value="Default"/>
    <Key_Log Value="0"/>
    <Key_Fadeout Value="0"/>
    <Key_IgnoreRes Value="0"/>
    <Key_Sound Value="1"/>
  </HKey_Options>
  <HKey_Designs>
    <Key_Default Value="1"/>
    <Key_Blue Value="0"/>
    <Key_Green Value="0"/>
    <Key_Violet Value="0"/>
    <Key_Red Value="0"/>
  </HKey_Designs>
</Root>"""


def settings(form, date, changes):
    lines = SETTINGS.replace("@", date).split("\n")
    for key, value in (c.split("=", 1) for c in changes):
        (i,) = [i for i, line in enumerate(lines) if line.strip().startswith(f"<{key} ")]
        lines[i] = f'    <{key} Value="{value}"/>'
    if form == "created":
        return "".join(line + "\r\n" for line in lines).encode()
    for last in (8, 19, 26):  # a later save ends each group's last key with a blank
        lines[last] += " "
    return "\r\n".join(lines).encode()


def watch(path, out, seconds):
    seen, number, deadline = None, 0, time.monotonic() + seconds
    while time.monotonic() < deadline and not os.path.exists(out + ".stop"):
        try:
            data = open(path, "rb").read()
        except OSError:
            data = None
        if data is not None and data != seen:
            number += 1
            open(f"{out}.{number}", "wb").write(data)
            seen = data
        time.sleep(0.003)


def first_picture(cx, cy, x, y, w, h, seconds):
    """Clicks at (cx, cy) through XTest and reads the screen's rectangle every few
    milliseconds until a third of its pixels (every 8th in both directions) are
    coloured, as a test picture is and the program's grey page is not; prints the
    seconds from the click's release, or fails when the time is up."""
    import ctypes

    class XImage(ctypes.Structure):
        _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                    ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                    ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                    ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                    ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]

    x11, xtst, libc = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXtst.so.6"), ctypes.CDLL(None)
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + \
        [ctypes.c_uint] * 2 + [ctypes.c_ulong, ctypes.c_int]
    x11.XFlush.argtypes = x11.XSync.argtypes = [ctypes.c_void_p]
    xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                          ctypes.c_ulong]
    xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    libc.free.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        return 1
    root = x11.XDefaultRootWindow(display)

    def coloured():
        image = x11.XGetImage(display, root, x, y, w, h, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return False
        i = image.contents
        data = ctypes.string_at(i.data, i.bytes_per_line * i.height)
        step = i.bits_per_pixel // 8
        hits = total = 0
        for row in range(0, i.height, 8):
            for column in range(0, i.width, 8):
                at = row * i.bytes_per_line + column * step
                b, g, r = data[at], data[at + 1], data[at + 2]
                total += 1
                hits += max(r, g, b) - min(r, g, b) >= 60
        libc.free(i.data)
        libc.free(ctypes.cast(image, ctypes.c_void_p))
        return hits * 3 >= total

    xtst.XTestFakeMotionEvent(display, -1, cx, cy, 0)
    x11.XSync(display, 0)
    time.sleep(0.3)
    xtst.XTestFakeButtonEvent(display, 1, 1, 0)
    x11.XSync(display, 0)
    time.sleep(0.05)
    xtst.XTestFakeButtonEvent(display, 1, 0, 0)
    x11.XSync(display, 0)
    start = time.monotonic()
    while time.monotonic() - start < seconds:
        if coloured():
            print(f"{time.monotonic() - start:.3f}")
            return 0
        time.sleep(0.005)
    return 1


def sizes(log, w, h, steps):
    seen = []
    for m in re.finditer(r"ConfigureNotify event.*?width (\d+), height (\d+)", open(log).read(), re.S):
        if not seen or seen[-1] != (int(m[1]), int(m[2])):
            seen.append((int(m[1]), int(m[2])))
    expected = [(w, h)]
    for _ in range(steps):
        w, h = round(0.99 * w), round(0.99 * h)
        expected.append((w, h))
    if seen[:1] != expected[:1]:  # the log may begin with a move at full size, or not
        seen.insert(0, expected[0])
    print(" ".join(f"{a}x{b}" for a, b in seen))
    return seen == expected


def sound(raw, wav, mode):
    samples = lambda d: struct.unpack(f"<{len(d) // 2}h", d[: len(d) // 2 * 2])
    cap = samples(open(raw, "rb").read())
    if mode == "silent":
        print(f"{len(cap) * 2} bytes captured, {sum(v != 0 for v in cap)} samples not zero")
        return len(cap) * 2 >= 176400 and not any(cap)
    data = open(wav, "rb").read()
    if data[:4] != b"RIFF" or data[36:40] != b"data" or struct.unpack("<HHIIHH", data[20:36]) != (1, 2, 44100, 176400, 4, 16):
        raise SystemExit(f"{wav}: not the 16-bit stereo 44.1 kHz click")
    click = samples(data[44 : 44 + struct.unpack("<I", data[40:44])[0]])
    frames, lead = len(click) // 2, next(i for i, v in enumerate(click) if v != 0) // 2
    first = next((i for i, v in enumerate(cap) if v != 0), None)
    if first is None:
        print(f"{len(cap) * 2} bytes captured, all silent")
        return False
    start = first // 2 - lead
    same = lambda at, n: list(cap[2 * at : 2 * (at + n)]) == list(click[: 2 * n])
    window = list(click[2 * lead : 2 * lead + 2000])  # 1000 frames from the first sound
    copies = [f - lead for f in range(start + lead + 1, len(cap) // 2 - 999)
              if cap[2 * f] == window[0] and list(cap[2 * f : 2 * f + 2000]) == window]
    print(f"{len(cap) * 2} bytes captured; silence up to frame {start}; the click's start again at {copies}")
    if len(copies) != 1:
        return False
    gap = copies[0] - start
    print(f"second copy {gap} frames ({gap / 44100:.3f} s) after the first")
    return (start >= 0 and not any(cap[: 2 * start]) and 0 < gap < frames and same(start, gap)
            and same(copies[0], frames) and not any(cap[2 * (copies[0] + frames) :]))


def look(ppm, x, y):
    at = load_ppm(ppm)
    n = {k: count(at, k, int(x), int(y), 24, 24) for k in ("green", "red", "grey")}
    print(max(n, key=n.get) if max(n.values()) >= 20 else "none")


COMMANDS = {
    "reap": lambda folder, *command: reap(folder, list(command)),
    "owned": owned,
    "count": lambda ppm, kind, *r: print(count(load_ppm(ppm), kind, *map(int, r))),
    "look": look,
    "words": lambda tsv, ppm, x, y: words(tsv, ppm, int(x), int(y)),
    "settings": lambda form, date, *changes: sys.stdout.buffer.write(settings(form, date, changes)) and 0,
    "watch": lambda path, out, seconds: watch(path, out, float(seconds)),
    "sizes": lambda log, *n: 0 if sizes(log, *map(int, n)) else 1,
    "sound": lambda *a: 0 if sound(*a) else 1,
    "first_picture": lambda *a: first_picture(*map(int, a[:6]), float(a[6])),
}

if __name__ == "__main__":
    sys.exit(COMMANDS[sys.argv[1]](*sys.argv[2:]) if sys.argv[1:2] and sys.argv[1] in COMMANDS else __doc__)
