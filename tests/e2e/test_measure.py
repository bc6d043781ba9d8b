"""veltrano --measure without a display: the self-test through --loopback
reads the generator's tone as the measurement library promises, an
independent signal made by sox and played into a private server reads as the
library's known answers predict, and a missing server or a bad option give
the documented statuses; the settings file is never written."""

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
    1000.37 Hz at -40 dBFS; 16 bit with sox's own dither."""
    parts = {"fundamental": "sine 997 vol -6dB", "harmonic": "sine 1994 vol -46dB",
             "right": "sine 1000.37 vol -40dB"}
    for name, synth in parts.items():
        subprocess.run(["sox", "-n", "-r", "48000", "-c", "1", "-e", "float", "-b", "32",
                        str(session.tmp / (name + ".wav")), "synth", "8"] + synth.split(),
                       check=True)
    left = session.tmp / "left.wav"
    subprocess.run(["sox", "-m", "-v", "1", str(session.tmp / "fundamental.wav"), "-v", "1",
                    str(session.tmp / "harmonic.wav"), str(left)], check=True)
    raw = session.tmp / "signal.raw"
    subprocess.run(["sox", "-M", str(left), str(session.tmp / "right.wav"), "-t", "raw", "-e",
                    "signed", "-b", "16", str(raw)], check=True)
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
    near(figures["right"], "frequency_hz", 1000.37, 0.01)
    table = measure(session, ["1", "--to", "L"], env).stdout
    check("a full-scale sine reads -3.01 dBFS" in table and "THD+N" in table,
          "the table lacks its convention or rows:\n" + table)
    player.stop()
    time.sleep(0.5)
    # The tone played into the second sink reaches its monitor, not the default source.
    chosen = ["1", "--json", "--tone", "1000", "--output", "veltrano_drain"]
    near(measure(session, chosen + ["--input", "veltrano_drain.monitor"], env)["left"],
         "frequency_hz", 1000.00, 0.01)
    check(not measure(session, chosen, env)["left"]["valid"], "the tone reached the default source")

    missing = dict(env, PULSE_SERVER="unix:%s/none" % session.tmp)
    check("no input" in measure(session, ["1"], missing, status=1).stderr, "no reason given")
    for bad in (["0"], ["1", "--to", "X"], ["1", "--tone", "30000"], ["1", "--bogus"]):
        measure(session, bad, env, status=2)
    check(not session.settings_file().exists(), "a measurement wrote the settings file")


if __name__ == "__main__":
    main(test)
