#!/usr/bin/env python3
"""Measures what the running program costs the machine: the program and the X
server over a loop-back run with every view on, under Xvfb with a private
sound server, read from /proc. Prints the CPU share of each process and of
each of the program's threads, and their voluntary wake-ups per second.

    scripts/measure-cpu.py [--program build/veltrano] [--seconds 60]
                           [--generator on|off] [--loopback-msec 200] [--perf DIR]

The private server's sink feeds a loopback, which makes the sink render in
blocks of a third of its latency or of what the program asks for (one block of
2048 frames), whichever is shorter. At 200 ms the program's request sets the
pace, as with a sound card; the tests' 20 ms makes the server deliver the input
every 6.7 ms whatever the program asks for.

With the generator off nothing plays and the input is the silent monitor of
the private server's sink; the views draw all the same. --perf records a
call-graph profile of the program and of the X server into DIR, in a run of
its own (the profiler's cost would spoil the figures).

Nothing of the user's desktop, sound server or settings is touched.
"""

import os
import subprocess
import sys
import time
from pathlib import Path

from running import VIEWS_ON, parser, program, status_field

import layout  # noqa: E402
import session as e2e  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
BLOCKS_PER_SECOND = 48000 / 2048

# Every view on, both channels: colour spectrogram at speed 9 with the
# automatic frequency counter, oscilloscope with Sync, meters and levels.
# f1 at 1 kHz, 50 %, into both channels.
EVERY_VIEW = {**VIEWS_ON, "UD28": 9, "SE66": 1000, "SE67": 50, "CB74": 1, "CB73": 1}


def cpu_ticks(stat_path):
    """utime + stime of a process or thread, in clock ticks."""
    fields = Path(stat_path).read_text().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def thread_name(task):
    return (task / "comm").read_text().strip()


def snapshot(pid):
    """CPU ticks and voluntary switches of the process and of each thread."""
    proc = Path("/proc/%d" % pid)
    threads = {}
    for task in (proc / "task").iterdir():
        try:
            threads[task.name] = (thread_name(task), cpu_ticks(task / "stat"),
                                  status_field(task / "status", "voluntary_ctxt_switches"))
        except OSError:
            pass  # a thread that ended meanwhile
    return cpu_ticks(proc / "stat"), threads


def measure(s, seconds):
    program, xvfb = s.app.pid, s.xvfb.pid
    start = time.monotonic()
    p0, x0 = snapshot(program), snapshot(xvfb)
    time.sleep(seconds)
    p1, x1 = snapshot(program), snapshot(xvfb)
    elapsed = time.monotonic() - start

    def share(ticks):
        return 100.0 * ticks / TICKS / elapsed

    rows = []
    for tid, (name, ticks, woken) in sorted(p1[1].items()):
        before = p0[1].get(tid, (name, 0, 0))
        rows.append(("  thread %s (%s)" % (name, tid), share(ticks - before[1]),
                     (woken - before[2]) / elapsed))
    program_share, xvfb_share = share(p1[0] - p0[0]), share(x1[0] - x0[0])
    xvfb_woken = sum(w - x0[1].get(tid, ("", 0, 0))[2] for tid, (_, _, w) in x1[1].items())
    rows.append(("X server (Xvfb)", xvfb_share, xvfb_woken / elapsed))
    print("\n%-40s %10s %12s %10s" % ("over %.0f s" % elapsed, "% of a core", "wake-ups/s",
                                      "per block"))
    print("%-40s %10.2f" % ("veltrano", program_share))
    for name, cpu, woken in rows:
        print("%-40s %10.2f %12.1f %10.2f" % (name, cpu, woken, woken / BLOCKS_PER_SECOND))
    print("%-40s %10.2f" % ("together", program_share + xvfb_share))


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
    options = options_parser.parse_args()
    os.environ["VELTRANO_LOOPBACK_MSEC"] = str(options.loopback_msec)
    with program(options, EVERY_VIEW, options.out) as s:
        if options.generator == "on":
            s.click(layout.indicator_centre("Frq1"))
        time.sleep(3)  # the output opens and the views settle
        e2e.check(s.program_running(), "the program ended early")
        print("generator %s, server loopback %d ms" % (options.generator, options.loopback_msec))
        if options.perf:
            profile(s, options.seconds, Path(options.perf))
        else:
            measure(s, options.seconds)
        s.close_window(timeout=20)
    return 0


if __name__ == "__main__":
    sys.exit(main())
