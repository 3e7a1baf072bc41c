#!/usr/bin/env python3
"""Turns the benchmark's raw samples into the table and build/bench.json.

usage: report.py RESULTS_DIR OUTPUT_JSON
RESULTS_DIR holds quirevo.jsonl and reference.jsonl (one window_probe object a
run) and lookup.jsonl (lookup_bench's output)."""
import json
import os
import platform
import statistics
import subprocess
import sys
import time


def read_lines(path):
    with open(path) as f:
        return [json.loads(line) for line in f if line.strip()]


def column(runs, key, scale=1.0):
    return [r[key] * scale for r in runs if key in r]


def machine():
    model = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        mem_kb = int(f.readline().split()[1])
    debian = open("/etc/debian_version").read().strip() if os.path.exists("/etc/debian_version") else "?"
    webkit = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "libwebkit2gtk-4.0-37"],
                            capture_output=True, text=True).stdout or "?"
    return {"cpu": model, "cores": os.cpu_count(), "memory_gib": round(mem_kb / 2**20, 1),
            "kernel": platform.release(), "debian": debian, "webkitgtk": webkit,
            "date": time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())}


def row(name, unit, samples, reference, reference_label, goal_text, met):
    s = sorted(samples)
    median = statistics.median(s)
    ref = statistics.median(reference) if isinstance(reference, list) else reference
    ratio = median / ref if ref else None
    return {"name": name, "unit": unit, "runs": len(s), "min": s[0], "median": median, "max": s[-1],
            "reference": ref, "reference_is": reference_label, "ratio": ratio,
            "goal": goal_text, "met": bool(met(median, ratio)), "samples": samples}


def build_rows(app, ref, lookup):
    L = {entry["name"]: entry["samples"] for entry in lookup}
    mb = 1 / 1024
    return [
        row("start-up (exec to window mapped)", "ms", column(app, "startup_ms"), column(ref, "startup_ms"),
            "bare frame with the web view", "<= 1.10x", lambda m, r: r <= 1.10),
        row("memory (PSS, program + WebKit)", "MB", column(app, "pss_kb", mb), column(ref, "pss_kb", mb),
            "bare frame with the web view", "<= 1.10x and <= 120 MB", lambda m, r: r <= 1.10 and m <= 120),
        row("marquee CPU (program)", "% core", column(app, "cpu_pct"), column(ref, "cpu_pct"),
            "bare frame, idle", "<= 2 %", lambda m, r: m <= 2),
        row("X server CPU beside it", "% core", column(app, "xvfb_cpu_pct"), column(ref, "xvfb_cpu_pct"),
            "bare frame, idle", "(reported)", lambda m, r: True),
        row("marquee tick rate", "ticks/s", column(app, "ticks_per_s"), 50.0,
            "the 20 ms period", ">= 48", lambda m, r: m >= 48),
        row("lookup: start to link opened", "us", L["lookup"], L["bare_get"],
            "bare libcurl GET", "<= 1.2x", lambda m, r: r <= 1.2),
        row("200 lookups, mirror answers in 1 s", "s", L["load_seconds"], 1.0,
            "the mirror's delay", "<= 1.5 s", lambda m, r: m <= 1.5),
        row("RSS growth during those 200", "MB", L["load_rss_growth"], None,
            "-", "<= 40 MB", lambda m, r: m <= 40),
        row("fail-over: 4 refusals to the box", "ms", L["fail_over"], L["fail_over_bare"],
            "4 bare refused GETs", "<= 20 ms", lambda m, r: m <= 20),
    ]


def fmt(value):
    if value is None:
        return "-"
    if abs(value) >= 100:
        return f"{value:.0f}"
    if abs(value) >= 10:
        return f"{value:.1f}"
    return f"{value:.2f}"


def table(rows):
    lines = ["| measurement | unit | min | median | max | reference | ratio | goal | met |",
             "|---|---|---:|---:|---:|---:|---:|---|---|"]
    for r in rows:
        ratio = f"{r['ratio']:.2f}x" if r["ratio"] is not None else "-"
        lines.append(f"| {r['name']} | {r['unit']} | {fmt(r['min'])} | {fmt(r['median'])} | {fmt(r['max'])} "
                     f"| {fmt(r['reference'])} ({r['reference_is']}) | {ratio} | {r['goal']} "
                     f"| {'yes' if r['met'] else 'no'} |")
    return "\n".join(lines)


def main():
    results, output = sys.argv[1], sys.argv[2]
    rows = build_rows(read_lines(os.path.join(results, "quirevo.jsonl")),
                      read_lines(os.path.join(results, "reference.jsonl")),
                      read_lines(os.path.join(results, "lookup.jsonl")))
    report = {"machine": machine(), "rows": rows}
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    with open(output, "w") as f:
        json.dump(report, f, indent=1)
    m = report["machine"]
    print(f"machine: {m['cpu']}, {m['cores']} cores, {m['memory_gib']} GiB, Debian {m['debian']}, "
          f"kernel {m['kernel']}, WebKitGTK {m['webkitgtk']}, {m['date']}")
    print(table(rows))
    print(f"written to {output}")


if __name__ == "__main__":
    main()
