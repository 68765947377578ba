#!/usr/bin/env python3
"""Helpers of the desktop end-to-end checks (standard library only).

    e2e_tool.py reap <log> <command...>
        Runs the command as a child and stays its parent, and the parent of
        anything it leaves behind (a child subreaper): the program restarts
        itself without waiting for the new process, and this way the new
        process's exit code can still be read. Writes "start PID" and then
        "exit PID CODE" for every process it reaps (CODE 128+N for signal N).
    e2e_tool.py pixel <ppm> X Y
        Prints the red, green and blue of one pixel.
    e2e_tool.py count <ppm> X Y W H KIND
        Counts the pixels of the rectangle that are of KIND: blue, white,
        green, red, grey, black, or lighter (lighter than the window colour
        rgb(40,40,40) by a visible step).
    e2e_tool.py look <ppm> X Y
        Classifies the 24 x 24 switch picture whose top-left corner is at X, Y
        by its strongest colour: green, red, grey or none.
    e2e_tool.py words <tsv> <ppm> SCALE LEFT TOP
        Reads tesseract's TSV of a crop scaled by SCALE whose top-left corner
        is LEFT, TOP on the screenshot <ppm>; prints one line per word: the
        word, the centre of its box in screen coordinates and the darkest
        grey level inside the box (dark text is enabled, light grey text is
        greyed out).
    e2e_tool.py settings <created|rewritten> DATE [Key=Value...]
        Prints the exact bytes of the settings file in the form that the
        program writes when it creates the file, or in the form of every
        later save, with the given values replaced.
    e2e_tool.py watch <file> <out> <seconds>
        Reads the file every few milliseconds until <out>.stop exists or the
        time is up and writes every distinct content it saw to <out>.N
        (N = 1, 2, ...) in order.
    e2e_tool.py sizes <xev-log> W H STEPS
        Compares the window sizes of the ConfigureNotify events in an xev log
        with the shrinking of the fade-out: STEPS steps, each multiplying
        width and height by 0.99 rounded half to even, from W x H.
    e2e_tool.py sound <raw> <wav> <mode>
        Reads a capture of SDL's disk audio driver (16-bit signed little-endian
        stereo at 44,100 frames per second) and the WAVE file of the click.
        mode "silent": the capture holds at least one second and nothing but
        zero samples. mode "cut": after leading silence the capture holds the
        click from its first frame, cut off by a second copy of the click that
        starts before the first has ended and then plays to its end, followed
        by silence only.
"""

import os
import struct
import subprocess
import sys
import time


def load_ppm(path):
    data = open(path, "rb").read()
    fields = []
    i = 0
    while len(fields) < 4:
        while data[i : i + 1].isspace():
            i += 1
        if data[i : i + 1] == b"#":
            while data[i : i + 1] != b"\n":
                i += 1
            continue
        j = i
        while not data[j : j + 1].isspace():
            j += 1
        fields.append(data[i:j])
        i = j
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise SystemExit(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[i + 1 :]


class Picture:
    def __init__(self, path):
        self.width, self.height, self.pixels = load_ppm(path)

    def at(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            return (0, 0, 0)
        o = (y * self.width + x) * 3
        return tuple(self.pixels[o : o + 3])


def is_kind(kind, rgb):
    r, g, b = rgb
    if kind == "blue":
        return b >= 120 and b >= r + 50 and b >= g + 20
    if kind == "white":
        return min(rgb) >= 200
    if kind == "green":
        return g >= 120 and g >= r + 40 and g >= b + 40
    if kind == "red":
        return r >= 120 and r >= g + 40 and r >= b + 40
    if kind == "grey":
        return max(rgb) >= 80 and max(rgb) - min(rgb) <= 15
    if kind == "black":
        return max(rgb) <= 8
    if kind == "lighter":
        return min(rgb) >= 40 and sum(rgb) >= 3 * 40 + 15
    raise SystemExit(f"unknown kind {kind}")


def count(picture, x, y, w, h, kind):
    return sum(
        1
        for yy in range(y, y + h)
        for xx in range(x, x + w)
        if is_kind(kind, picture.at(xx, yy))
    )


def cmd_reap(log_path, command):
    import ctypes

    libc = ctypes.CDLL(None, use_errno=True)
    pr_set_child_subreaper = 36
    if libc.prctl(pr_set_child_subreaper, 1, 0, 0, 0) != 0:
        raise SystemExit("prctl(PR_SET_CHILD_SUBREAPER) failed")
    with open(log_path, "a", buffering=1) as log:
        child = subprocess.Popen(command)
        log.write(f"start {child.pid}\n")
        while True:
            try:
                pid, status = os.wait()
            except ChildProcessError:
                break
            if os.WIFEXITED(status):
                code = os.WEXITSTATUS(status)
            elif os.WIFSIGNALED(status):
                code = 128 + os.WTERMSIG(status)
            else:
                continue
            log.write(f"exit {pid} {code}\n")


def cmd_words(tsv_path, ppm_path, scale, left, top):
    picture = Picture(ppm_path)
    for line in open(tsv_path, encoding="utf-8"):
        cols = line.rstrip("\n").split("\t")
        if len(cols) < 12 or cols[0] != "5" or not cols[11].strip():
            continue
        bx, by, bw, bh = (int(c) for c in cols[6:10])
        x0, y0 = left + bx // scale, top + by // scale
        x1, y1 = left + (bx + bw + scale - 1) // scale, top + (by + bh + scale - 1) // scale
        darkest = min(
            sum(picture.at(x, y)) // 3 for y in range(y0, y1) for x in range(x0, x1)
        )
        print(cols[11].strip(), (x0 + x1) // 2, (y0 + y1) // 2, darkest)


SETTINGS_LINES = [
    '<?xml version="1.0" encoding="UTF-8"?>',
    "",
    "<Root>",
    "  <HKey_Application>",
    '    <Key_Name Value="Zelluo"/>',
    '    <Key_Version Value="1.0.0.0"/>',
    '    <Key_Create Value="@"/>',
    '    <Key_Update Value="@"/>',
    '    <Key_StartPage Value="Main"/>',
    "  </HKey_Application>",
    "  <HKey_Options>",
    '    <Key_StartTray Value="0"/>',
    '    <Key_StartMinimize Value="0"/>',
    '    <Key_AutoUpdate Value="0"/>',
    '    <Key_Language Value="German"/>',
    '    <Key_Theme Value="Default"/>',
    '    <Key_Log Value="0"/>',
    '    <Key_Fadeout Value="0"/>',
    '    <Key_IgnoreRes Value="0"/>',
    '    <Key_Sound Value="1"/>',
    "  </HKey_Options>",
    "  <HKey_Designs>",
    '    <Key_Default Value="1"/>',
    '    <Key_Blue Value="0"/>',
    '    <Key_Green Value="0"/>',
    '    <Key_Violet Value="0"/>',
    '    <Key_Red Value="0"/>',
    "  </HKey_Designs>",
    "</Root>",
]


def settings_bytes(form, date, changes):
    lines = [line.replace("@", date) for line in SETTINGS_LINES]
    for change in changes:
        key, value = change.split("=", 1)
        hits = [i for i, line in enumerate(lines) if line.strip().startswith(f"<{key} ")]
        if len(hits) != 1:
            raise SystemExit(f"no key {key}")
        lines[hits[0]] = f'    <{key} Value="{value}"/>'
    if form == "created":
        text = "".join(line + "\r\n" for line in lines)
    elif form == "rewritten":
        # The last key line of each group ends with one blank, and nothing
        # follows the end tag of Root.
        for last in (8, 19, 26):
            lines[last] += " "
        text = "\r\n".join(lines)
    else:
        raise SystemExit(f"unknown form {form}")
    return text.encode("utf-8")


def cmd_watch(path, out, seconds):
    seen = None
    number = 0
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and not os.path.exists(out + ".stop"):
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError:
            data = None
        if data is not None and data != seen:
            number += 1
            with open(f"{out}.{number}", "wb") as f:
                f.write(data)
            seen = data
        time.sleep(0.003)


def cmd_sizes(log_path, width, height, steps):
    import re

    seen = []
    for m in re.finditer(r"ConfigureNotify event.*?width (\d+), height (\d+)", open(log_path).read(), re.S):
        size = (int(m.group(1)), int(m.group(2)))
        if not seen or seen[-1] != size:
            seen.append(size)
    expected = [(width, height)]
    for _ in range(steps):
        width, height = round(0.99 * width), round(0.99 * height)
        expected.append((width, height))
    # The log may or may not begin with the full size (a move of the window
    # at its full size comes first).
    if seen[:1] != [expected[0]]:
        seen.insert(0, expected[0])
    shown = " ".join(f"{w}x{h}" for w, h in seen)
    print(shown)
    return seen == expected


def samples(data):
    return struct.unpack(f"<{len(data) // 2}h", data[: len(data) // 2 * 2])


def cmd_sound(raw_path, wav_path, mode):
    capture = samples(open(raw_path, "rb").read())
    bytes_per_second = 44100 * 2 * 2
    if mode == "silent":
        nonzero = sum(1 for v in capture if v != 0)
        print(f"{len(capture) * 2} bytes captured, {nonzero} samples not zero")
        return len(capture) * 2 >= bytes_per_second and nonzero == 0

    wav = open(wav_path, "rb").read()
    # 44-byte header: "RIFF", "WAVE", a 16-byte "fmt " body, then "data".
    fmt = struct.unpack("<HHIIHH", wav[20:36])
    if wav[:4] != b"RIFF" or wav[36:40] != b"data" or fmt != (1, 2, 44100, 176400, 4, 16):
        raise SystemExit(f"{wav_path}: not the 16-bit stereo 44.1 kHz click")
    click = samples(wav[44 : 44 + struct.unpack("<I", wav[40:44])[0]])
    frames = len(click) // 2
    # The click's own leading frames are zero; it is found by its first sound.
    lead = next(i for i, v in enumerate(click) if v != 0) // 2
    first_sound = next((i for i, v in enumerate(capture) if v != 0), None)
    if first_sound is None:
        print(f"{len(capture) * 2} bytes captured, all silent")
        return False
    start = first_sound // 2 - lead
    window = list(click[2 * lead : 2 * lead + 2000])  # 1000 frames from the first sound

    def same(at, length):
        return list(capture[2 * at : 2 * (at + length)]) == list(click[: 2 * length])

    # Where the click's first 1000 sounding frames appear again.
    copies = []
    frame = start + lead + 1
    end = len(capture) // 2 - 1000
    while frame <= end:
        if capture[2 * frame] == window[0] and list(capture[2 * frame : 2 * frame + 2000]) == window:
            copies.append(frame - lead)
        frame += 1
    print(
        f"{len(capture) * 2} bytes captured; silence up to frame {start}; "
        f"the click's start found again at frame(s) {copies}"
    )
    ok = True
    if start < 0 or any(v != 0 for v in capture[: 2 * start]):
        print("the capture does not begin with silence followed by the click's first frames")
        ok = False
    if not same(start, 1000):
        print("the first 1000 frames after the silence differ from the click")
        ok = False
    if len(copies) != 1:
        print("not exactly one second copy of the click's start")
        return False
    second = copies[0]
    gap = second - start
    print(f"second copy {gap} frames ({gap / 44100:.3f} s) after the first")
    if not 0 < gap < frames:
        print("the second copy does not start while the first is still playing")
        ok = False
    if not same(start, gap):
        print("the first copy is not the click's beginning up to the second copy")
        ok = False
    if not same(second, frames):
        print("the second copy is not the whole click")
        ok = False
    if any(v != 0 for v in capture[2 * (second + frames) :]):
        print("something other than silence follows the second copy")
        ok = False
    return ok


def main(argv):
    if len(argv) < 2:
        raise SystemExit(__doc__)
    command, args = argv[1], argv[2:]
    if command == "reap":
        cmd_reap(args[0], args[1:])
        return 0
    if command == "pixel":
        print(*Picture(args[0]).at(int(args[1]), int(args[2])))
        return 0
    if command == "count":
        x, y, w, h = (int(a) for a in args[1:5])
        print(count(Picture(args[0]), x, y, w, h, args[5]))
        return 0
    if command == "look":
        picture = Picture(args[0])
        x, y = int(args[1]), int(args[2])
        counts = {kind: count(picture, x, y, 24, 24, kind) for kind in ("green", "red", "grey")}
        best = max(counts, key=counts.get)
        print(best if counts[best] >= 20 else "none")
        return 0
    if command == "words":
        cmd_words(args[0], args[1], int(args[2]), int(args[3]), int(args[4]))
        return 0
    if command == "settings":
        sys.stdout.buffer.write(settings_bytes(args[0], args[1], args[2:]))
        return 0
    if command == "watch":
        cmd_watch(args[0], args[1], float(args[2]))
        return 0
    if command == "sizes":
        return 0 if cmd_sizes(args[0], int(args[1]), int(args[2]), int(args[3])) else 1
    if command == "sound":
        return 0 if cmd_sound(args[0], args[1], args[2]) else 1
    raise SystemExit(f"unknown command {command}")


if __name__ == "__main__":
    sys.exit(main(sys.argv))
