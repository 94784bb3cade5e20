#!/usr/bin/env python3
"""Draws the soak run's resident memory per minute as a small SVG line chart.

    python3 bench/plot_soak.py soak.csv docs/soak.svg

The CSV is what vx_bench_soak writes (minute,resident_kib,rounds,received_bytes); a log of its
"minute N: X MiB resident" lines is read too.
"""
import csv
import re
import sys


def samples(path):
    with open(path, newline="") as f:
        text = f.read()
    if text.startswith("minute,"):
        return [(int(r["minute"]), int(r["resident_kib"]) / 1024) for r in csv.DictReader(text.splitlines())]
    return [(int(m), float(mib)) for m, mib in re.findall(r"minute\s+(\d+):\s+([\d.]+) MiB resident", text)]


def svg(points, title):
    width, height, left, bottom, top, right = 640, 240, 56, 36, 28, 16
    minutes = [m for m, _ in points]
    first = points[0][1]
    low, high = 0.0, max(max(v for _, v in points), first * 1.05) * 1.1
    x = lambda m: left + (m - minutes[0]) * (width - left - right) / max(1, minutes[-1] - minutes[0])
    y = lambda v: height - bottom - (v - low) * (height - bottom - top) / (high - low)
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" font-family="sans-serif" font-size="11">',
           f'<rect width="{width}" height="{height}" fill="white"/>',
           f'<text x="{left}" y="16" font-size="13">{title}</text>']
    for step in range(0, 5):
        v = low + (high - low) * step / 4
        out.append(f'<line x1="{left}" y1="{y(v):.1f}" x2="{width - right}" y2="{y(v):.1f}" stroke="#ddd"/>')
        out.append(f'<text x="{left - 6}" y="{y(v) + 4:.1f}" text-anchor="end">{v:.0f}</text>')
    limit = first * 1.05
    out.append(f'<line x1="{left}" y1="{y(limit):.1f}" x2="{width - right}" y2="{y(limit):.1f}" stroke="#c33" stroke-dasharray="4 3"/>')
    out.append(f'<text x="{width - right}" y="{y(limit) - 4:.1f}" text-anchor="end" fill="#c33">+5 % of minute {minutes[0]}</text>')
    path = " ".join(f"{x(m):.1f},{y(v):.1f}" for m, v in points)
    out.append(f'<polyline points="{path}" fill="none" stroke="#236" stroke-width="2"/>')
    for m in (minutes[0], minutes[len(minutes) // 2], minutes[-1]):
        out.append(f'<text x="{x(m):.1f}" y="{height - bottom + 16}" text-anchor="middle">{m}</text>')
    out.append(f'<text x="{(left + width - right) / 2}" y="{height - 6}" text-anchor="middle">minute</text>')
    out.append(f'<text x="14" y="{(top + height - bottom) / 2}" transform="rotate(-90 14 {(top + height - bottom) / 2})" text-anchor="middle">resident MiB</text>')
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    points = samples(sys.argv[1])
    if len(points) < 2:
        sys.exit("plot_soak.py: fewer than two samples in " + sys.argv[1])
    growth = 100 * (points[-1][1] - points[0][1]) / points[0][1]
    title = f"Resident memory over {points[-1][0]} minutes of mixed traffic ({growth:+.1f} %)"
    with open(sys.argv[2], "w") as f:
        f.write(svg(points, title))


if __name__ == "__main__":
    main()
