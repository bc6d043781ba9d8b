# SPDX-License-Identifier: GPL-3.0-or-later
"""Sound in and out of the private server, and measuring it.

Samples are 48 kHz stereo signed 16-bit, as the program plays and records them.
"""

import array
import math
import os
import subprocess
import threading
import time

RATE = 48000
SINK = "veltrano_test"
MONITOR = SINK + ".monitor"
_RAW = ["--raw", "--format=s16le", "--rate=%d" % RATE, "--channels=2"]



def _end(process):
    """Ends a helper process politely, then firmly."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()

def dbfs_amplitude(dbfs):
    """The peak sample value of a sine at `dbfs` below full scale (32767)."""
    return round(32767 * 10 ** (dbfs / 20))


def write_tone(path, frequency, left_amplitude, right_amplitude, seconds):
    """A raw stereo sine file whose peaks reach exactly the given amplitudes
    (the frequency divides the rate, so a sample falls on every crest)."""
    frames = int(seconds * RATE)
    period = RATE / frequency
    cycle_l = [round(left_amplitude * math.sin(2 * math.pi * n / period)) for n in range(RATE)]
    cycle_r = [round(right_amplitude * math.sin(2 * math.pi * n / period)) for n in range(RATE)]
    one_second = array.array("h", [0] * (2 * RATE))
    one_second[0::2] = array.array("h", cycle_l)
    one_second[1::2] = array.array("h", cycle_r)
    with open(path, "wb") as f:
        for _ in range(frames // RATE):
            one_second.tofile(f)


class Player:
    """Plays a raw file into the default sink with pacat, until stopped."""

    def __init__(self, path, env):
        self._file = open(path, "rb")
        self.process = subprocess.Popen(
            ["pacat", "--playback", "--device=" + SINK, "--latency-msec=50"] + _RAW,
            stdin=self._file,
            env=env,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.PIPE,
        )

    def playing(self):
        return self.process.poll() is None

    def stop(self):
        _end(self.process)
        self._file.close()


class Recorder:
    """Records the sink's monitor with parecord and notes when each piece of
    the recording arrived, so that a sample can be placed in time: a sample
    was played at the latest when the piece holding it arrived."""

    def __init__(self, env):
        self.process = subprocess.Popen(
            ["parecord", "--device=" + MONITOR, "--latency-msec=20"] + _RAW,
            env=env,
            stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL,
        )
        self._data = bytearray()
        self._arrivals = []  # (monotonic time, frames recorded so far)
        self._lock = threading.Lock()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        fd = self.process.stdout.fileno()
        while True:
            chunk = os.read(fd, 4096)
            if not chunk:
                return
            now = time.monotonic()
            with self._lock:
                self._data += chunk
                self._arrivals.append((now, len(self._data) // 4))

    def frames(self):
        with self._lock:
            return len(self._data) // 4

    def wait_frames(self, count, timeout):
        deadline = time.monotonic() + timeout
        while self.frames() < count:
            if time.monotonic() > deadline:
                raise TimeoutError("the recorder got %d of %d frames" % (self.frames(), count))
            time.sleep(0.02)

    def channels(self, start=0, end=None):
        """(left, right) sample arrays of frames start..end."""
        with self._lock:
            usable = len(self._data) // 4 * 4
            samples = array.array("h", bytes(self._data[:usable]))
        left = samples[0::2][start:end]
        right = samples[1::2][start:end]
        return left, right

    def arrival(self, frame):
        """The time by which frame `frame` had been recorded."""
        with self._lock:
            for when, count in self._arrivals:
                if count > frame:
                    return when
        raise IndexError("frame %d was not recorded" % frame)

    def frame_at(self, when):
        """The number of frames recorded by the time `when`."""
        with self._lock:
            count = 0
            for arrived, total in self._arrivals:
                if arrived > when:
                    break
                count = total
            return count

    def stop(self):
        _end(self.process)
        self._reader.join(timeout=5)
        self.process.stdout.close()


def peak(samples):
    return max((abs(s) for s in samples), default=0)


def sine_fit(samples, frequency):
    """Amplitude of the component at `frequency` (least squares over whole
    periods) and the RMS of what is left when it is taken away."""
    period = RATE / frequency
    n = int(len(samples) // period * period)
    if n == 0:
        raise ValueError("fewer samples than one period")
    w = 2 * math.pi * frequency / RATE
    s = sum(samples[i] * math.sin(w * i) for i in range(n)) * 2 / n
    c = sum(samples[i] * math.cos(w * i) for i in range(n)) * 2 / n
    residual = sum((samples[i] - s * math.sin(w * i) - c * math.cos(w * i)) ** 2 for i in range(n))
    return math.hypot(s, c), math.sqrt(residual / n)


def zero_crossing_frequency(samples):
    """Frequency from the rising zero crossings, interpolated between samples."""
    crossings = []
    for i in range(1, len(samples)):
        a, b = samples[i - 1], samples[i]
        if a < 0 <= b:
            crossings.append(i - 1 + (-a) / (b - a))
    if len(crossings) < 2:
        return 0.0
    return (len(crossings) - 1) * RATE / (crossings[-1] - crossings[0])


def silent_from(samples, threshold=1):
    """The index after the last sample louder than `threshold` (0 if none)."""
    for i in range(len(samples) - 1, -1, -1):
        if abs(samples[i]) > threshold:
            return i + 1
    return 0
