# SPDX-License-Identifier: GPL-3.0-or-later
"""veltrano --measure on a real server, stopped as a busy machine stops it:
a stop of half a second loses nothing and reads the same figures as a run
left alone; a stop longer than the server holds the input is found, counted
in "lost_frames", and the capture is made again. A sink turned down shows in
"path"."""

import json
import signal
import subprocess
import time

from session import check, log, main


def measure(session, args, stop_at=None, stop_for=0):
    """--measure with a tone, as JSON; stopped for stop_for seconds at stop_at."""
    process = subprocess.Popen([session.program, "--measure"] + args + ["--tone", "1000", "--json"],
                               env=session.env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               text=True)
    if stop_at is not None:
        time.sleep(stop_at)
        process.send_signal(signal.SIGSTOP)
        time.sleep(stop_for)
        process.send_signal(signal.SIGCONT)
    out, err = process.communicate(timeout=40)
    log("veltrano --measure %s, stopped %.1f s -> %d\n%s%s"
        % (" ".join(args), stop_for, process.returncode, out, err))
    check(process.returncode == 0, "status %d" % process.returncode)
    return json.loads(out), err


def test(session):
    session.start_sound_server()
    plain, _ = measure(session, ["3"])
    stalled, err = measure(session, ["3"], stop_at=1.5, stop_for=0.5)
    check(plain["lost_frames"] == 0 and stalled["lost_frames"] == 0,
          "lost %d and %d frames" % (plain["lost_frames"], stalled["lost_frames"]))
    check("lost" not in err, "a stop of 0.5 s was said to lose input: %s" % err)
    check(plain["path"] == [], "the path reads %s" % plain["path"])
    for side in ("left", "right"):
        check(abs(plain[side]["frequency_hz"] - stalled[side]["frequency_hz"]) < 0.01,
              "%s: %s Hz against %s Hz" % (side, plain[side]["frequency_hz"],
                                         stalled[side]["frequency_hz"]))
        check(abs(plain[side]["thdn_db"] - stalled[side]["thdn_db"]) < 1,
              "%s: THD+N %s dB against %s dB" % (side, plain[side]["thdn_db"],
                                                stalled[side]["thdn_db"]))

    # Longer than the server holds: the gap is counted (less than the stop:
    # the server, the socket and the client hold their part) and measured
    # around. Stopped well inside the measured span: PipeWire's streams take
    # longer to start, and a gap while the input settles needs no new capture.
    lost, err = measure(session, ["4"], stop_at=2.5, stop_for=5.5)
    check(0 < lost["lost_frames"] < 5.5 * 48000, "lost_frames reads %d" % lost["lost_frames"])
    check("measuring again" in err and "window" not in err, "the terminal read: %s" % err)
    check(abs(lost["left"]["frequency_hz"] - plain["left"]["frequency_hz"]) < 0.01,
          "after the gap %s Hz" % lost["left"]["frequency_hz"])

    subprocess.run(["pactl", "set-sink-volume", "veltrano_test", "50%"], env=session.env(),
                   check=True)
    halved, _ = measure(session, ["1"])
    check(any("50 %" in finding for finding in halved["path"]), "the path reads %s" % halved["path"])


if __name__ == "__main__":
    main(test)
