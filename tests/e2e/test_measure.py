# SPDX-License-Identifier: GPL-3.0-or-later
"""veltrano --measure without a display: the self-test through --loopback
reads the generator's tone as the measurement library promises, an
independent signal made by sox and played into a private server reads as the
library's known answers predict (a tone that is no harmonic neither erases nor
adds to the harmonics, different tones on the channels give no figures
between them, a channel without a tone carries no figures), and a missing
server or a bad option give the documented statuses; the settings file is
never written."""

import json
import subprocess
import time

from session import check, log, main
from sound import Player


def measure(session, args, env, status=0):
    result = subprocess.run([session.program, "--measure"] + args, env=env, capture_output=True,
                            text=True, timeout=30)
    log("veltrano --measure %s -> %d\n%s%s" % (" ".join(args), result.returncode, result.stdout,
                                                result.stderr))
    check(result.returncode == status, "status %d, expected %d" % (result.returncode, status))
    return json.loads(result.stdout) if status == 0 and "--json" in args else result


def near(figures, key, expected, tolerance):
    check(figures["valid"] and abs(figures[key] - expected) <= tolerance,
          "%s reads %s, expected %s +- %s" % (key, figures[key], expected, tolerance))


def sox_signal(session):
    """Left: 997 Hz at -6 dBFS with its second harmonic at -46 dBFS; right:
    3000.37 Hz at -6 dBFS, its second harmonic at -66 dBFS and a tone of
    5123 Hz at -26 dBFS; 16 bit with sox's own dither."""
    parts = {"fundamental": "sine 997 vol -6dB", "harmonic": "sine 1994 vol -46dB",
             "tone": "sine 3000.37 vol -6dB", "second": "sine 6000.74 vol -66dB",
             "other": "sine 5123 vol -26dB"}
    wav = {name: str(session.tmp / (name + ".wav")) for name in list(parts) + ["left", "right"]}
    for name, synth in parts.items():
        subprocess.run(["sox", "-n", "-r", "48000", "-c", "1", "-e", "float", "-b", "32",
                        wav[name], "synth", "8"] + synth.split(), check=True)
    for side, names in (("left", list(parts)[:2]), ("right", list(parts)[2:])):
        subprocess.run(["sox", "-m"] + [arg for n in names for arg in ("-v", "1", wav[n])] +
                       [wav[side]], check=True)
    raw = session.tmp / "signal.raw"
    subprocess.run(["sox", "-M", wav["left"], wav["right"], "-t", "raw", "-e", "signed", "-b",
                    "16", str(raw)], check=True)
    return raw


def test(session):
    env = session.env()  # no display at all

    figures = measure(session, ["2", "--loopback", "--tone", "1000", "--json"], env)
    for side in ("left", "right"):
        near(figures[side], "frequency_hz", 1000.00, 0.01)
        near(figures[side], "rms_dbfs", -9.03, 0.05)
        thd = figures[side]["thd_db"]
        thd = thd if thd is not None else figures[side]["thd_below_noise_db"]
        check(thd < -90, "THD reads %s" % thd)
    near(figures["between"], "level_difference_db", 0, 0.01)

    session.start_sound_server()
    player = Player(sox_signal(session), env)
    session.keep(player)
    time.sleep(1)
    figures = measure(session, ["1", "--json"], env)
    near(figures["left"], "frequency_hz", 997.00, 0.01)
    near(figures["left"], "thd_percent", 1.00, 0.02)
    near(figures["left"], "thd_db", -40.0, 0.2)
    near(figures["left"], "rms_dbfs", -9.01, 0.05)
    near(figures["right"], "frequency_hz", 3000.37, 0.01)
    near(figures["right"], "thd_db", -60.0, 0.2)
    near(figures["right"], "spur_hz", 5123.0, 0.05)
    near(figures["right"], "sfdr_db", 20.0, 0.2)
    check(figures["right"]["second_tone"] and not figures["left"]["second_tone"] and
          figures["between"]["phase_degrees"] is None, "a second tone, or two tones: %s" % figures)
    table = measure(session, ["1"], env).stdout
    check("a full-scale sine reads -3.01 dBFS" in table and "THD+N" in table and
          "tones differ" in table and "right: a second tone at 5123.0" in table,
          "the table lacks its convention, rows or notes:\n" + table)
    player.stop()
    time.sleep(0.5)
    # The tone played into the second sink reaches its monitor, not the default source.
    chosen = ["1", "--json", "--tone", "1000", "--output", "veltrano_drain"]
    near(measure(session, chosen + ["--input", "veltrano_drain.monitor"], env)["left"],
         "frequency_hz", 1000.00, 0.01)
    silent = measure(session, chosen, env)["left"]
    check(not silent["valid"] and silent["frequency_hz"] is None and silent["thd_db"] is None,
          "the tone reached the default source, or figures without a tone: %s" % silent)

    missing = dict(env, PULSE_SERVER="unix:%s/none" % session.tmp)
    check("no input" in measure(session, ["1"], missing, status=1).stderr, "no reason given")
    for bad in (["0"], [""], ["1", "--tone", "1000", "--to", "X"], ["1", "--tone", "1000", "--to",
                ""], ["1", "--tone", "5"], ["1", "--tone", "23995"], ["1", "--level", "-6"],
                ["1", "--bogus"]):
        lines = measure(session, bad, env, status=2).stderr.splitlines()
        check(len(lines) == 1, "not one line: %s" % lines)
    check(not session.settings_file().exists(), "a measurement wrote the settings file")


if __name__ == "__main__":
    main(test)
