"""`cmake --install` into a fresh prefix puts the program, its desktop entry
and its icon (PNG and SVG) where a desktop looks for them, and the installed
program runs."""

import argparse
import configparser
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path


def fail(message):
    print("FAIL: %s" % message, flush=True)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)


def png_size(path):
    data = path.read_bytes()
    check(data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR", "%s is not a PNG" % path)
    return struct.unpack(">II", data[16:24])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--build", required=True, help="the build tree to install from")
    parser.add_argument("--out", required=True, help="the prefix to install into")
    args = parser.parse_args()
    prefix = Path(args.out)
    shutil.rmtree(prefix, ignore_errors=True)

    result = subprocess.run([args.cmake, "--install", args.build, "--prefix", str(prefix)],
                            capture_output=True, text=True)
    check(result.returncode == 0, "cmake --install failed: %s" % result.stderr)

    program = prefix / "bin" / "veltrano"
    result = subprocess.run([str(program), "--version"], capture_output=True, text=True)
    check(result.returncode == 0 and result.stdout.startswith("veltrano "),
          "the installed program's --version gave %r" % result.stdout)

    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(prefix / "share/applications/veltrano.desktop")
    check(entry.has_section("Desktop Entry"), "no desktop entry in share/applications")
    fields = entry["Desktop Entry"]
    for key, value in {"Type": "Application", "Name": "Veltrano", "Exec": "veltrano",
                       "Icon": "veltrano"}.items():
        check(fields.get(key) == value, "the desktop entry's %s is %r" % (key, fields.get(key)))

    icons = prefix / "share/icons/hicolor"
    size = png_size(icons / "32x32/apps/veltrano.png")
    check(size == (32, 32), "the PNG icon is %dx%d" % size)
    svg = ElementTree.parse(icons / "scalable/apps/veltrano.svg").getroot()
    check(svg.tag == "{http://www.w3.org/2000/svg}svg", "the SVG icon's root is %s" % svg.tag)
    print("PASS: installed %s" % sorted(str(p.relative_to(prefix)) for p in prefix.rglob("*")
                                        if p.is_file()), flush=True)


if __name__ == "__main__":
    main()
