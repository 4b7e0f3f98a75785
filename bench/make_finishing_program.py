#!/usr/bin/env python3
"""Writes the finishing benchmark's data folder: a 3-axis finish of a relief surface with a D2 ball
end mill over a 167 x 208 x 7 stock (raster moves along X, then waterline contours), about 35,000
NC lines, with the settings, tool table, controller and machine that the batch run reads.

    make_finishing_program.py OUTPUT_FOLDER [--work-pitch P] [--move-pitch P]

The program is the same for every pitch; only the settings file changes. Files are written through
a temporary name and renamed, so a folder is never left with a half-written file."""
import argparse
import math
import os

STOCK = (167.0, 208.0, 7.0)  # X, Y, Z size; the top face lies at Z 0
BALL_RADIUS = 1.0
RASTER_STEP_OVER = 0.6       # between raster rows (mm)
RASTER_POINT_STEP = 2.0      # between points along a raster row (mm)
CONTOUR_LEVELS = 12          # waterline contours
CONTOUR_POINT_STEP = 1.0


def relief(x, y):
    """The surface height at (x, y): hills and a valley between Z -6 and Z -1."""
    u = x / STOCK[0]
    v = y / STOCK[1]
    z = 1.6 * math.sin(2.0 * math.pi * u * 1.5) * math.cos(2.0 * math.pi * v * 1.2)
    z += 1.0 * math.exp(-((u - 0.6) ** 2 + (v - 0.4) ** 2) * 18.0)
    z -= 0.8 * math.exp(-((u - 0.25) ** 2 + (v - 0.7) ** 2) * 25.0)
    return -3.5 + z


def tip_height(x, y):
    """Tip height of the ball resting on the relief (the relief is gentle: the contact lies below)."""
    return max(relief(x, y), -STOCK[2] + 0.5)


def fmt(value):
    """A coordinate with at most three decimals and always a decimal point."""
    text = ("%.3f" % value).rstrip("0")
    return "0." if text in ("-0.", "0.") else text


def raster_lines():
    lines = []
    y = 0.0
    row = 0
    x_min, x_max = -BALL_RADIUS, STOCK[0] + BALL_RADIUS
    count = int(math.ceil((x_max - x_min) / RASTER_POINT_STEP))
    while y <= STOCK[1] + 1e-9:
        xs = [x_min + (x_max - x_min) * k / count for k in range(count + 1)]
        if row % 2:
            xs.reverse()
        lines.append("G01 Y%s" % fmt(y))
        for x in xs:
            lines.append("X%s Z%s" % (fmt(x), fmt(tip_height(x, y))))
        y += RASTER_STEP_OVER
        row += 1
    return lines


def contour_lines():
    lines = []
    cx, cy = STOCK[0] / 2.0, STOCK[1] / 2.0
    for level in range(CONTOUR_LEVELS):
        z = -1.5 - level * 0.35
        ax = 30.0 + level * 4.5
        ay = 40.0 + level * 5.5
        perimeter = 2.0 * math.pi * math.sqrt((ax * ax + ay * ay) / 2.0)
        count = int(perimeter / CONTOUR_POINT_STEP)
        lines.append("G00 Z5.")
        lines.append("X%s Y%s" % (fmt(cx + ax), fmt(cy)))
        lines.append("G01 Z%s F1500." % fmt(z))
        for k in range(1, count + 1):
            angle = 2.0 * math.pi * k / count
            lines.append("X%s Y%s" % (fmt(cx + ax * math.cos(angle)), fmt(cy + ay * math.sin(angle))))
    return lines


def program_text():
    head = [
        "%",
        "O2001 (RELIEF FINISH WITH A D2 BALL: RASTER ALONG X, THEN WATERLINE CONTOURS)",
        "G90 G17 G21 G40 G49 G80",
        "G54",
        "T1 M6",
        "S12000 M3",
        "G00 X%s Y0." % fmt(-BALL_RADIUS),
        "G43 H1 Z10.",
        "G01 Z%s F2000." % fmt(tip_height(-BALL_RADIUS, 0.0)),
    ]
    tail = ["G00 Z20.", "M30", "%"]
    return "\n".join(head + raster_lines() + contour_lines() + tail) + "\n"


SETTINGS = """; Settings of the finishing benchmark: a 167 x 208 x 7 box work, the pitches of this run.
[Table]
TOOL_TABLE=finish.ttl
CONTROLLER_TABLE=finish.ctl
MACHINE_TABLE=finish.mtl

[DMEdata]
INITIAL SIZE=(0,0,-7,167,208,0)
EXPORT COORDINATE=MACHINE

[Define]
CONTROL POINT=(0,0,100,0,0)
TOOL BASE POINT=BOTTOM
PITCH(WORK)={work}
PITCH(MOVE)={move}
MAX MAGAZINE=20
UNDO=0
"""

TOOLS = """# Tool table of the finishing benchmark.
MAGAZINE 1 BALL 2, 10 "D2 ball end mill"
LENGTH 40
"""

MACHINE = """# Three-axis vertical machining centre of the finishing benchmark.
NAME Three-axis vertical machining centre
RAPID(X) 24000
RAPID(Y) 24000
RAPID(Z) 15000
MAXIMUM FEEDRATE 10000
TOOL CHANGE TIME 3
STROKE RANGE(X) -50, 500
STROKE RANGE(Y) -50, 400
STROKE RANGE(Z) -300, 400
"""


def write_file(folder, name, text):
    path = os.path.join(folder, name)
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="utf-8", newline="\n") as stream:
        stream.write(text)
    os.replace(temporary, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder")
    parser.add_argument("--work-pitch", default="0.2")
    parser.add_argument("--move-pitch", default="0.2")
    parser.add_argument("--controller", required=True, help="controller definition to copy")
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    with open(args.controller, encoding="utf-8") as stream:
        controller = stream.read()
    write_file(args.folder, "qumbra.ini", SETTINGS.format(work=args.work_pitch, move=args.move_pitch))
    write_file(args.folder, "finish.ttl", TOOLS)
    write_file(args.folder, "finish.ctl", controller)
    write_file(args.folder, "finish.mtl", MACHINE)
    write_file(args.folder, "pocket.nc", program_text())


if __name__ == "__main__":
    main()
