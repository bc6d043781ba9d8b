"""Limits the program meets. Under a file-size limit of 0 (prlimit --fsize=0)
it opens its window, plays and captures, and at the close says that the
settings could not be saved, leaving the earlier file as it was. f1 and f2
both at 100 % on the left overload the sum: the recording stays at the rails
-32768..32767 instead of wrapping around, so no step between neighbouring
samples is larger than the two tones' own slope allows. A sound server that
stands still for 2 s costs input, and the terminal puts that down to the
server, not to the window."""

import math
import os
import re
import signal
import subprocess
import time

import layout
import screen
import sound
from session import check, log, main

F1, F2 = 1000, 1500
SETTINGS = {"SE66": F1, "SE67": 100, "SE69": F2, "SE70": 100, "CB74": 1, "CB73": 0,
            "CB76": 1, "CB75": 0, "CB31": 1, "CB32": 1, "CB27": 1}
# The steepest the sum of the two full-scale tones gets between two frames.
SLOPE = 2 * math.pi * 32767 * (F1 + F2) / sound.RATE


def test(session):
    session.write_settings(SETTINGS)
    earlier = session.settings_file().read_bytes()
    session.start_display()
    session.start_sound_server()
    # Through a pipe: under the limit no regular file can take the terminal's output.
    session.app = subprocess.Popen(["prlimit", "--fsize=0", session.program], env=session.env(),
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    session.attach_main_window()
    recorder = session.keep(sound.Recorder(session.env()))
    recorder.wait_frames(sound.RATE // 10, timeout=3)
    session.click(layout.indicator_centre("Frq1"))
    session.click(layout.indicator_centre("Frq2"))
    start = recorder.frames()
    recorder.wait_frames(start + 2 * sound.RATE, timeout=5)
    image = session.screenshot("overloaded")

    left, right = recorder.channels(start + sound.RATE // 2, start + 2 * sound.RATE)
    jump = max(abs(b - a) for a, b in zip(left, left[1:]))
    log("left: %d..%d, largest step %d (the sum's slope allows %.0f); right peak %d"
        % (min(left), max(left), jump, SLOPE, sound.peak(right)))
    check(max(left) == 32767 and min(left) == -32768,
          "the overloaded sum peaks at %d..%d, not at the rails" % (min(left), max(left)))
    check(jump <= SLOPE + 2, "a step of %d between neighbouring samples" % jump)
    check(sound.peak(right) == 0, "the right channel is not silent")

    meter = screen.Meter(image, layout.METER_LEFT)
    check(meter.is_bar() and meter.lit == screen.LED_BLOCKS,
          "the left meter shows %s while the input is at full scale" % meter.describe())

    server = int((session.tmp / "srv" / "pid").read_text())
    os.kill(server, signal.SIGSTOP)
    time.sleep(2)
    os.kill(server, signal.SIGCONT)
    time.sleep(1)

    status = session.close_window()
    output = session.app.stdout.read().decode(errors="replace")
    log("status %d; the program said: %r" % (status, output))
    check(status == 0, "the program ended with status %d" % status)
    check("could not save the settings" in output, "no word that the settings were not saved")
    check(re.search(r"frames of sound input were lost: the sound server did not answer for 2\.\d s",
                    output) and "did not hand its buffers back" not in output,
          "the lost input is not put down to the server")
    check(session.settings_file().read_bytes() == earlier, "the settings file changed")


if __name__ == "__main__":
    main(test)
