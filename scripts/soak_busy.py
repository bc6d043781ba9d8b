#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the program on a busy machine and counts the input it lost: every
view on, generator f1 and the sweep playing into the input, --busy processes
per core spinning beside it, and the program stopped (SIGSTOP, then SIGCONT)
--stops times for --stop-seconds; then `--measure` with a tone, once as it is
and once stopped for --measure-stop seconds in the middle of its capture.

    scripts/soak_busy.py [--busy 2] [--seconds 600] [--stops 3] [--stop-seconds 1]
                         [--measure-stop 0.5]

It passes when the window lost no frame, the program ended normally, and the
two measurements agree (frequency within 0.01 Hz, THD+N within 1 dB).
VELTRANO_TEST_SERVER=pipewire runs it on PipeWire. Nothing of the user's
desktop, sound server or settings is touched.
"""

import json
import multiprocessing
import os
import re
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

from running import parser, program

import soak  # noqa: E402

# Generator f1 at 1 kHz and 20 % into both channels, beside the sweep.
F1 = {"SE66": 1000, "SE67": 20, "CB73": 1, "CB74": 1}
FIRST_LOSS = re.compile(rb"veltrano: (\d+) frames of sound input were lost")
ALL_LOSSES = re.compile(rb"veltrano: in all (\d+) frames of sound input were lost")


def spin(stop):
    while not stop.is_set():
        pass


def lost_frames(log):
    """What the program said it lost: the whole count when it gave one, else
    the gaps it told one by one."""
    total = [int(m.group(1)) for m in ALL_LOSSES.finditer(log)]
    return sum(total) if total else sum(int(m.group(1)) for m in FIRST_LOSS.finditer(log))


def stop_now_and_then(pid, stops, seconds, total, done):
    """Stops the program `stops` times, spread over the run."""
    started = time.monotonic()
    for i in range(stops):
        if done.wait(max(0, started + total * (i + 1) / (stops + 1) - time.monotonic())):
            return
        os.kill(pid, signal.SIGSTOP)
        time.sleep(seconds)
        os.kill(pid, signal.SIGCONT)
        print("stopped the program for %.1f s" % seconds, flush=True)


def measure(s, stall):
    """`--measure 3 --tone 1000 --json` on the session's server; with `stall`,
    stopped for that long one second into its capture."""
    process = subprocess.Popen([s.program, "--measure", "3", "--tone", "1000", "--json"],
                               env=s.env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if stall:
        time.sleep(1.5)
        process.send_signal(signal.SIGSTOP)
        time.sleep(stall)
        process.send_signal(signal.SIGCONT)
    out, err = process.communicate(timeout=60)
    sys.stdout.write(err.decode(errors="replace"))
    return process.returncode, json.loads(out) if process.returncode == 0 else None


def main():
    options_parser = parser(__doc__.splitlines()[0])
    options_parser.add_argument("--busy", type=int, default=2, help="spinning processes per core")
    options_parser.add_argument("--seconds", type=float, default=600)
    options_parser.add_argument("--stops", type=int, default=3)
    options_parser.add_argument("--stop-seconds", type=float, default=1.0)
    options_parser.add_argument("--measure-stop", type=float, default=0.5)
    options_parser.add_argument("--interval", type=float, default=60, help="seconds between samples")
    options_parser.add_argument("--cycle", type=float, default=20,
                                help="seconds on each display (0: the spectrogram only)")
    options_parser.add_argument("--out", default="/tmp/veltrano-soak-busy")
    options = options_parser.parse_args()

    stop = multiprocessing.Event()
    busy = [multiprocessing.Process(target=spin, args=(stop,), daemon=True)
            for _ in range(options.busy * os.cpu_count())]
    for process in busy:
        process.start()
    print("%d busy processes on %d cores" % (len(busy), os.cpu_count()), flush=True)
    failures = []
    try:
        with program(options, {**soak.EVERY_VIEW, **F1}, options.out) as s:
            soak.click(s, "AutoG")
            soak.click(s, "Frq1")
            done = threading.Event()
            stopper = threading.Thread(target=stop_now_and_then, daemon=True,
                                       args=(s.app.pid, options.stops, options.stop_seconds,
                                             options.seconds, done))
            stopper.start()
            _, seconds = soak.soak(s, options)
            done.set()
            stopper.join()
            status = s.close_window(timeout=20)
            log = (Path(options.out) / "veltrano.log").read_bytes()
            lost = lost_frames(log)
            print("window: %.0f s, %d stops of %.1f s, %d frames lost, exit status %d"
                  % (seconds, options.stops, options.stop_seconds, lost, status), flush=True)
            if lost:
                failures.append("the window lost %d frames" % lost)
            if status != 0:
                failures.append("the program ended with status %d" % status)

            plain_status, plain = measure(s, 0)
            stalled_status, stalled = measure(s, options.measure_stop)
            if plain is None or stalled is None:
                failures.append("--measure ended with %d and %d" % (plain_status, stalled_status))
            else:
                for name, figures in (("as it is", plain), ("stopped", stalled)):
                    left = figures["left"]
                    print("--measure %s: %.4f Hz, THD+N %.2f dB, lost %d frames"
                          % (name, left["frequency_hz"], left["thdn_db"], figures["lost_frames"]))
                if abs(plain["left"]["frequency_hz"] - stalled["left"]["frequency_hz"]) > 0.01:
                    failures.append("the stopped measurement read another frequency")
                if abs(plain["left"]["thdn_db"] - stalled["left"]["thdn_db"]) > 1:
                    failures.append("the stopped measurement read another THD+N")
    finally:
        stop.set()
        for process in busy:
            process.join()
    print("FAIL: " + "; ".join(failures) if failures else "PASS")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
