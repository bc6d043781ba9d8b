"""`cmake --install` into a fresh prefix puts the program, its desktop entry
and its icon (PNG and SVG) where a desktop looks for them, and the installed
program runs. Arguments: cmake, the build tree, the prefix."""

import configparser
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path


def main(cmake, build, prefix):
    shutil.rmtree(prefix, ignore_errors=True)
    subprocess.run([cmake, "--install", build, "--prefix", str(prefix)], check=True)
    version = subprocess.run([str(prefix / "bin/veltrano"), "--version"], check=True,
                             capture_output=True, text=True).stdout
    assert version.startswith("veltrano "), "the installed program's --version: %r" % version

    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(prefix / "share/applications/veltrano.desktop")
    fields = dict(entry["Desktop Entry"])
    want = {"Type": "Application", "Name": "Veltrano", "Exec": "veltrano", "Icon": "veltrano"}
    assert want.items() <= fields.items(), "the desktop entry says %s" % fields

    icons = prefix / "share/icons/hicolor"
    png = (icons / "32x32/apps/veltrano.png").read_bytes()
    assert png[:8] == b"\x89PNG\r\n\x1a\n" and png[16:24] == bytes([0, 0, 0, 32] * 2), \
        "the PNG icon is not a 32 x 32 PNG"
    svg = ElementTree.parse(icons / "scalable/apps/veltrano.svg").getroot()
    assert svg.tag == "{http://www.w3.org/2000/svg}svg", "the SVG icon's root is %s" % svg.tag
    print("PASS", flush=True)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], Path(sys.argv[3]))
