#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Measures what the running program costs the machine: the program and the X
server over a loop-back run with every view on, under Xvfb with a private
sound server, read from /proc. Prints the CPU share of each process and of
each of the program's threads, and their voluntary wake-ups per second.

    scripts/measure-cpu.py [--program build/veltrano] [--seconds 60]
                           [--generator on|off] [--loopback-msec 200] [--perf DIR]
                           [--floor build/bench/floor/floor_scroll] [--scale 1|2]
                           [--spectrum]

First, on the same X server, the floor program (bench/floor) scrolls a display
of the program's size by the same 9 columns per block, with one copy of the
window onto itself and the new columns put from shared memory; then the
program runs. Both are measured over the same time, with the X server, and
their ratio is printed: what the program costs beyond the least any scrolling
display costs, measured in one run on a machine that may be busy.

The private server's sink feeds a loopback, which makes the sink render in
blocks of a third of its latency or of what the program asks for (one block of
2048 frames), whichever is shorter. At 200 ms the program's request sets the
pace, as with a sound card; the tests' 20 ms makes the server deliver the input
every 6.7 ms whatever the program asks for.

With the generator on, f1 plays 1 kHz and the sweep runs from 100 Hz to
20 kHz, so the spectrum, the readouts and the sweep's frequency change with
every block. With the generator off nothing plays and the input is the silent
monitor of the private server's sink; the views draw all the same. --perf records a
call-graph profile of the program and of the X server into DIR, in a run of
its own (the profiler's cost would spoil the figures); with --spectrum, of the
program with the Spectrum window open.

With --spectrum the screen is 1920 x 1080 and, once the program is
measured, F3 opens the Spectrum window over the whole screen and the program
is measured again: the ratio of the two is what the window adds to the
program's load.

Nothing of the user's desktop, sound server or settings is touched.
"""

import os
import subprocess
import sys
import time
from pathlib import Path

from running import ROOT, VIEWS_ON, parser, program, status_field

import layout  # noqa: E402
import session as e2e  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
BLOCKS_PER_SECOND = 48000 / 2048

# Every view on, both channels: colour spectrogram at speed 9 with the
# automatic frequency counter, oscilloscope with Sync, meters and levels.
# f1 at 1 kHz, 30 %, and the sweep at 30 %, 100 Hz to 20 kHz in steps of
# 500 Hz, into both channels.
SPEED = 9
EVERY_VIEW = {**VIEWS_ON, "UD28": SPEED, "SE66": 1000, "SE67": 30, "CB74": 1, "CB73": 1,
              "SE79": 30, "CB80": 1, "CB81": 1, "SE82": 100, "SE83": 20000, "SE72": 500}


def cpu_seconds(task):
    """The time a thread has run, in seconds: the scheduler's count in
    nanoseconds where the kernel keeps it, else utime + stime in clock ticks,
    which a thread that runs for a few hundred microseconds at a time meets
    only by chance."""
    try:
        return int((task / "schedstat").read_text().split()[0]) / 1e9
    except (OSError, ValueError, IndexError):
        fields = (task / "stat").read_text().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS


def thread_name(task):
    return (task / "comm").read_text().strip()


def snapshot(pid):
    """Each thread's name, CPU seconds and voluntary switches."""
    threads = {}
    for task in Path("/proc/%d/task" % pid).iterdir():
        try:
            threads[task.name] = (thread_name(task), cpu_seconds(task),
                                  status_field(task / "status", "voluntary_ctxt_switches"))
        except OSError:
            pass  # a thread that ended meanwhile
    return threads


def machine():
    """The date, the processor, and the load that shares it."""
    model = next((line.split(":", 1)[1].strip() for line in
                  Path("/proc/cpuinfo").read_text().splitlines()
                  if line.startswith("model name")), "unknown processor")
    return "%s UTC, %s, %d cores, load average %s" % (
        time.strftime("%Y-%m-%d %H:%M", time.gmtime()), model, os.cpu_count(),
        " ".join(Path("/proc/loadavg").read_text().split()[:3]))


def measure(name, pid, xvfb, seconds):
    """Prints the shares and wake-ups of a client and the X server over
    `seconds`; gives the two together."""
    start = time.monotonic()
    p0, x0 = snapshot(pid), snapshot(xvfb)
    time.sleep(seconds)
    p1, x1 = snapshot(pid), snapshot(xvfb)
    elapsed = time.monotonic() - start

    def changes(before, after):
        """Per thread alive at the end: a row of its name, % of a core and wake-ups/s."""
        rows = []
        for tid, (thread, seconds, woken) in sorted(after.items()):
            _, seconds0, woken0 = before.get(tid, (thread, 0, 0))
            rows.append(("  thread %s (%s)" % (thread, tid), 100.0 * (seconds - seconds0) / elapsed,
                         (woken - woken0) / elapsed))
        return rows

    rows, xvfb = changes(p0, p1), changes(x0, x1)
    client_share, xvfb_share = (sum(cpu for _, cpu, _ in r) for r in (rows, xvfb))
    rows.append(("X server (Xvfb)", xvfb_share, sum(woken for _, _, woken in xvfb)))
    print("\n%-40s %10s %12s %10s" % ("over %.0f s" % elapsed, "% of a core", "wake-ups/s",
                                      "per block"))
    print("%-40s %10.2f" % (name, client_share))
    for row, cpu, woken in rows:
        print("%-40s %10.2f %12.1f %10.2f" % (row, cpu, woken, woken / BLOCKS_PER_SECOND))
    print("%-40s %10.2f" % ("together", client_share + xvfb_share))
    return client_share + xvfb_share


def measure_floor(s, floor, seconds, scale):
    """The floor program on the session's X server, measured as the program is."""
    scroller = subprocess.Popen([floor, "--columns", str(SPEED), "--scale", str(scale)], env=s.env(),
                                stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)
    try:
        time.sleep(2)  # mapped and scrolling
        e2e.check(scroller.poll() is None, "the floor program ended early")
        return measure("floor_scroll", scroller.pid, s.xvfb.pid, seconds)
    finally:
        scroller.terminate()
        scroller.wait(timeout=10)


def profile(s, seconds, folder):
    """perf record -g of the program and the X server side by side."""
    folder.mkdir(parents=True, exist_ok=True)
    recorders = [
        subprocess.Popen(["perf", "record", "-q", "--call-graph", "dwarf,16384", "-F", "1999",
                          "-o", str(folder / name), "-p", str(pid), "--", "sleep", str(seconds)])
        for name, pid in (("veltrano.data", s.app.pid), ("xvfb.data", s.xvfb.pid))
    ]
    for recorder in recorders:
        recorder.wait()
    print("perf report -i %s/veltrano.data --no-children --sort comm,dso,sym" % folder)


def main():
    options_parser = parser(__doc__.splitlines()[0])
    options_parser.add_argument("--seconds", type=float, default=60)
    options_parser.add_argument("--out", default="/tmp/veltrano-measure-cpu")
    options_parser.add_argument("--generator", choices=("on", "off"), default="on")
    options_parser.add_argument("--loopback-msec", type=int, default=200)
    options_parser.add_argument("--perf", metavar="DIR", help="record perf profiles into DIR instead")
    options_parser.add_argument("--floor", default=str(ROOT / "build/bench/floor/floor_scroll"))
    options_parser.add_argument("--scale", type=int, choices=(1, 2), default=1,
                                help="QT_SCALE_FACTOR of the program, and the floor's scale")
    options_parser.add_argument("--spectrum", action="store_true",
                                help="measure again with the Spectrum window over a 1920x1080 screen")
    options = options_parser.parse_args()
    os.environ["VELTRANO_LOOPBACK_MSEC"] = str(options.loopback_msec)
    print(machine())
    floor = []

    def run_floor(s):
        if not options.perf:
            floor.append(measure_floor(s, options.floor, options.seconds, options.scale))

    scaled = options.scale != 1
    settings, screen_size = EVERY_VIEW, (2560, 1600) if scaled else None
    if options.spectrum:
        # Placed over the whole screen: Xvfb has no window manager that would maximise it.
        settings = {**EVERY_VIEW, "SWX": 0, "SWY": 0, "SWW": 1920, "SWH": 1080}
        screen_size = screen_size or (1920, 1080)
    with program(options, settings, options.out, run_floor, screen_size,
                 {"QT_SCALE_FACTOR": str(options.scale)} if scaled else None) as s:
        if options.generator == "on":
            for box in ("Frq1", "AutoG"):
                s.click([v * options.scale for v in layout.indicator_centre(box)])
        time.sleep(3)  # the output opens and the views settle
        e2e.check(s.program_running(), "the program ended early")
        print("generator %s, server loopback %d ms, scale %d" % (options.generator,
                                                                options.loopback_msec,
                                                                options.scale))
        if options.perf:
            if options.spectrum:
                s.key("F3")
                s.wait_window("^Spectrum$")
                time.sleep(3)  # the first long transforms are in
            profile(s, options.seconds, Path(options.perf))
        else:
            together = measure("veltrano", s.app.pid, s.xvfb.pid, options.seconds)
            print("\nprogram + X server / floor + X server: %.2f / %.2f = %.2f x" %
                  (together, floor[0], together / floor[0]))
            if options.spectrum:
                s.key("F3")
                s.wait_window("^Spectrum$")
                time.sleep(3)  # the first long transforms are in
                spectrum = measure("veltrano with Spectrum", s.app.pid, s.xvfb.pid,
                                   options.seconds)
                print("\nwith Spectrum / without: %.2f / %.2f = %.2f x" %
                      (spectrum, together, spectrum / together))
            print("load average at the end: %s" % machine().rsplit("load average ", 1)[1])
        s.close_window(timeout=20)
    return 0


if __name__ == "__main__":
    sys.exit(main())
