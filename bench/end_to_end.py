#!/usr/bin/env python3
"""Whole-process timing of `vesk-cli render` against the same work in OpenCV.

Each case reads two 4000 x 3000 random-noise photographs, resamples them
with nearest-pixel lookups through a mild projective map and writes the
result, on one thread:

  mode 7   the first photograph in the frame of the second (one warp)
  mode 11  the red-green anaglyph of both on a 4000 x 3000 scene area
           (two warps, two grey conversions, one channel merge)

in BMP and in PNG. OpenCV does it with cv2.imread, cv2.warpPerspective
(INTER_NEAREST, WARP_INVERSE_MAP, white border) and cv2.imwrite after
cv2.setNumThreads(N) (--threads, 1 by default). The runs of both alternate;
the script prints the median wall time of each, the median ratio
vesk / OpenCV, OpenCV's time for the work alone (without starting the
interpreter and importing cv2), the rendering time vesk-cli reports beside
OpenCV's for the same step (from the first warp to the finished result, its
fresh memory included) and their ratio, and each process's peak resident
memory, also as a multiple of the bytes of the two photographs and the
result.

Needs a Python with numpy and cv2 (Debian: python3-opencv); the script finds
one or takes --python. Usage:
  bench/end_to_end.py [--vesk-cli build/src/cli/vesk-cli] [--runs 5] [--threads 1] [--keep DIR]
"""

import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

WIDTH, HEIGHT = 4000, 3000

# Maps in the stored order a0, a1, a2, c0, c1, b0, b1, b2 of
#   X = (a0 x + a1 y + a2) / (c0 x + c1 y + 1), Y = (b0 x + b1 y + b2) / (c0 x + c1 y + 1).
# Mode 7: the second photograph's pixels to the first's.
MAP_SECOND_TO_FIRST = [1.01, 0.012, -14.5, 2.1e-6, -1.7e-6, -0.009, 0.995, 11.25]
# Mode 11: scene points (y upwards) to the first and to the second photograph.
MAP_SCENE_TO_FIRST = [1.01, 0.012, -14.5, 2.1e-6, -1.7e-6, -0.009, -0.995, 3011.25]
MAP_SCENE_TO_SECOND = [0.992, -0.008, 9.75, -1.3e-6, 2.4e-6, 0.011, -1.004, 2992.5]
AREA = (0.0, float(WIDTH), 0.0, float(HEIGHT))  # XMIN XMAX YMIN YMAX, step 1

GENERATOR = r"""
import sys, numpy, cv2
width, height, seed, path = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
pixels = numpy.random.default_rng(seed).integers(0, 256, (height, width, 3), dtype=numpy.uint8)
if not cv2.imwrite(path, pixels):
    sys.exit("cannot write " + path)
"""

# The same work as vesk-cli render, timed from the first read to the end of
# the write.
OPENCV_WORKER = r"""
import sys, time, json, numpy, cv2
mode, photo1, photo2, out = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
maps = json.loads(sys.argv[5])
area = json.loads(sys.argv[6])
threads = int(sys.argv[7])
cv2.setNumThreads(0 if threads == 1 else threads)

def matrix(stored):
    a0, a1, a2, c0, c1, b0, b1, b2 = stored
    return numpy.array([[a0, a1, a2], [b0, b1, b2], [c0, c1, 1.0]])

flags = cv2.INTER_NEAREST | cv2.WARP_INVERSE_MAP
white = (255, 255, 255)
start = time.perf_counter()
first = cv2.imread(photo1, cv2.IMREAD_COLOR)
second = cv2.imread(photo2, cv2.IMREAD_COLOR)
if first is None or second is None:
    sys.exit("cannot read the photographs")
render_start = time.perf_counter()
if mode == 7:
    size = (second.shape[1], second.shape[0])
    result = cv2.warpPerspective(first, matrix(maps[0]), size, flags=flags, borderValue=white)
else:
    xmin, xmax, ymin, ymax = area
    size = (int(abs(xmax - xmin)), int(abs(ymax - ymin)))
    # Result pixel (column, row) is the scene point (xmin + column, ymax - row).
    to_scene = numpy.array([[1.0, 0.0, xmin], [0.0, -1.0, ymax], [0.0, 0.0, 1.0]])
    one = cv2.warpPerspective(first, matrix(maps[0]) @ to_scene, size, flags=flags, borderValue=white)
    two = cv2.warpPerspective(second, matrix(maps[1]) @ to_scene, size, flags=flags, borderValue=white)
    grey1 = cv2.cvtColor(one, cv2.COLOR_BGR2GRAY)
    grey2 = cv2.cvtColor(two, cv2.COLOR_BGR2GRAY)
    result = cv2.merge([numpy.zeros_like(grey1), grey1, grey2])  # blue 0, green first, red second
render_time = time.perf_counter() - render_start
if not cv2.imwrite(out, result):
    sys.exit("cannot write " + out)
print("work: %.6f" % (time.perf_counter() - start))
print("render: %.6f" % render_time)
"""


def find_python(requested):
    candidates = [requested] if requested else [sys.executable, "/usr/bin/python3", "python3"]
    for candidate in candidates:
        if candidate and shutil.which(candidate):
            probe = subprocess.run([candidate, "-c", "import numpy, cv2"], capture_output=True)
            if probe.returncode == 0:
                return candidate
    sys.exit("no Python with numpy and cv2 found (Debian: apt-get install python3-opencv), or pass --python")


def run_with_peak(command):
    """Runs a process to its end; returns (wall seconds, peak resident MB, stdout, stderr)."""
    out_file = tempfile.TemporaryFile(mode="w+")
    err_file = tempfile.TemporaryFile(mode="w+")
    start = time.perf_counter()
    pid = os.posix_spawnp(command[0], command, os.environ,
                          file_actions=[(os.POSIX_SPAWN_DUP2, out_file.fileno(), 1),
                                        (os.POSIX_SPAWN_DUP2, err_file.fileno(), 2)])
    _, status, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - start
    out_file.seek(0)
    err_file.seek(0)
    stdout, stderr = out_file.read(), err_file.read()
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit("failed (%d): %s\n%s" % (code, " ".join(command), stderr))
    return wall, usage.ru_maxrss / 1024.0, stdout, stderr


def stored_text(stored):
    return ",".join(repr(c) for c in stored)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--vesk-cli", default=os.path.join(root, "build", "src", "cli", "vesk-cli"))
    parser.add_argument("--python", help="a Python with numpy and cv2")
    parser.add_argument("--runs", type=int, default=5, help="runs of each program per case")
    parser.add_argument("--threads", type=int, default=1, help="threads of both programs")
    parser.add_argument("--keep", help="folder for the photographs and results (default: a temporary one)")
    parser.add_argument("--cases", default="7-bmp,11-bmp,7-png,11-png")
    args = parser.parse_args()
    if not os.access(args.vesk_cli, os.X_OK):
        sys.exit("no vesk-cli at %s (build it, or pass --vesk-cli)" % args.vesk_cli)
    python = find_python(args.python)
    folder = args.keep or tempfile.mkdtemp(prefix="vesk-end-to-end-")
    os.makedirs(folder, exist_ok=True)

    print("vesk-cli: %s\nOpenCV: %s (%s)\nphotographs: %d x %d random noise, %d runs each, alternating, %d thread(s)\n" %
          (args.vesk_cli, subprocess.run([python, "-c", "import cv2; print(cv2.__version__)"],
                                         capture_output=True, text=True).stdout.strip(), python,
           WIDTH, HEIGHT, args.runs, args.threads))
    picture_mb = WIDTH * HEIGHT * 3 / 2**20
    rows = []
    for case in args.cases.split(","):
        mode_text, kind = case.split("-")
        mode = int(mode_text)
        photos = [os.path.join(folder, "photo%d.%s" % (k, kind)) for k in (1, 2)]
        for seed, path in enumerate(photos, start=1):
            if not os.path.exists(path):
                subprocess.run([python, "-c", GENERATOR, str(WIDTH), str(HEIGHT), str(seed), path], check=True)
        vesk_out = os.path.join(folder, "vesk_mode%d.%s" % (mode, kind))
        cv_out = os.path.join(folder, "opencv_mode%d.%s" % (mode, kind))
        vesk = [args.vesk_cli, "render", "--photo1", photos[0], "--photo2", photos[1], "--mode", str(mode),
                "--threads", str(args.threads), "--timing", "-o", vesk_out]
        if mode == 7:
            vesk += ["--transform1", stored_text(MAP_SECOND_TO_FIRST)]
            maps = [MAP_SECOND_TO_FIRST]
        else:
            vesk += ["--transform1", stored_text(MAP_SCENE_TO_FIRST), "--transform2", stored_text(MAP_SCENE_TO_SECOND),
                     "--area"] + [repr(v) for v in AREA] + ["--step", "1"]
            maps = [MAP_SCENE_TO_FIRST, MAP_SCENE_TO_SECOND]
        opencv = [python, "-c", OPENCV_WORKER, str(mode), photos[0], photos[1], cv_out,
                  "[" + ",".join("[" + stored_text(m) + "]" for m in maps) + "]",
                  "[" + ",".join(repr(v) for v in AREA) + "]", str(args.threads)]
        vesk_times, vesk_peaks, render_times = [], [], []
        cv_times, cv_peaks, cv_work, cv_render = [], [], [], []
        for _ in range(args.runs):
            wall, peak, _, err = run_with_peak(vesk)
            vesk_times.append(wall)
            vesk_peaks.append(peak)
            found = re.search(r"render: (\d+) ms", err)
            if found:
                render_times.append(int(found.group(1)) / 1000.0)
            wall, peak, out, _ = run_with_peak(opencv)
            cv_times.append(wall)
            cv_peaks.append(peak)
            cv_work.append(float(re.search(r"work: ([0-9.]+)", out).group(1)))
            cv_render.append(float(re.search(r"render: ([0-9.]+)", out).group(1)))
        ratios = [v / c for v, c in zip(vesk_times, cv_times)]
        work_ratios = [v / c for v, c in zip(vesk_times, cv_work)]
        data_mb = 3 * picture_mb  # two photographs and a result of the same size
        render_ratios = [v / c for v, c in zip(render_times, cv_render)]
        rows.append((case, statistics.median(vesk_times), statistics.median(render_times) if render_times else None,
                     statistics.median(cv_times), statistics.median(cv_work), statistics.median(ratios),
                     statistics.median(work_ratios), statistics.median(cv_render),
                     statistics.median(render_ratios) if render_ratios else None, max(vesk_peaks), max(cv_peaks),
                     data_mb))
        print("%s: vesk %s s (render %s), OpenCV %s s (render %s)" %
              (case, " ".join("%.3f" % t for t in vesk_times), " ".join("%.3f" % t for t in render_times),
               " ".join("%.3f" % t for t in cv_times), " ".join("%.3f" % t for t in cv_render)), flush=True)
    print()
    print("%-7s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s %8s %8s" %
          ("case", "vesk s", "render s", "cv s", "cv work", "ratio", "ratio/wk", "cv rend", "rend rat", "vesk MB",
           "cv MB", "vesk x", "cv x"))
    for case, vt, rt, ct, cw, ratio, wratio, cr, rratio, vp, cp, data in rows:
        print("%-7s %9.3f %9s %9.3f %9.3f %9.2f %9.2f %9.3f %9s %9.0f %9.0f %8.2f %8.2f" %
              (case, vt, "%.3f" % rt if rt is not None else "-", ct, cw, ratio, wratio, cr,
               "%.2f" % rratio if rratio is not None else "-", vp, cp, vp / data, cp / data))
    print("\nvesk s, cv s: median wall time of the whole process; render s: the rendering alone as vesk-cli\n"
          "reports it; cv work: OpenCV from the first imread to the end of imwrite (no interpreter start,\n"
          "no import); ratio: median of vesk / OpenCV per pair of runs, ratio/wk: against OpenCV's work alone;\n"
          "cv rend: OpenCV's rendering step alone (warps and colour steps, fresh result memory included),\n"
          "rend rat: median of vesk-cli's render time / cv rend per pair of runs;\n"
          "MB: peak resident memory; x: that peak over the bytes of the photographs and the result (%.0f MB)." %
          (3 * picture_mb))
    if not args.keep:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
