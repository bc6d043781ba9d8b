# SPDX-License-Identifier: GPL-3.0-or-later
"""`cmake --install` into a fresh prefix puts the stripped program, its desktop
entry, its icon at every hicolor size, its AppStream metadata and its manual
page where a desktop looks for them, and the installed program runs.
Arguments: cmake, the build tree, the prefix."""

import configparser
import gzip
import re
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def section_names(path):
    """The section names of a 64-bit little-endian ELF file."""
    data = path.read_bytes()
    (table,) = struct.unpack_from("<Q", data, 0x28)
    entry, count, names_index = struct.unpack_from("<HHH", data, 0x3A)
    offset = [struct.unpack_from("<IIQQQ", data, table + i * entry) for i in range(count)]
    strings = offset[names_index][4]
    return {data[strings + name:data.index(b"\0", strings + name)].decode()
            for name, *_ in offset}


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def main(cmake, build, prefix):
    shutil.rmtree(prefix, ignore_errors=True)
    subprocess.run([cmake, "--install", build, "--prefix", str(prefix)], check=True)
    program = prefix / "bin/veltrano"
    assert run(program, "--version").startswith("veltrano "), "the installed --version"
    sections = section_names(program)
    assert ".text" in sections and not {".symtab", ".debug_info"} & sections, \
        "the installed program is not stripped: %s" % sorted(sections)

    entries = list((prefix / "share/applications").glob("*.desktop"))
    assert len(entries) == 1, "desktop entries: %s" % entries
    app_id = entries[0].stem
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(entries[0])
    fields = dict(entry["Desktop Entry"])
    # Docks match the window to its entry by the class Qt gives the window: the
    # application's name.
    want = {"Type": "Application", "Name": "Veltrano", "Exec": "veltrano", "Icon": app_id,
            "StartupWMClass": "Veltrano"}
    assert want.items() <= fields.items(), "the desktop entry says %s" % fields

    icons = prefix / "share/icons/hicolor"
    for size in SIZES:
        png = (icons / ("%dx%d/apps/%s.png" % (size, size, app_id))).read_bytes()
        assert png[:8] == b"\x89PNG\r\n\x1a\n" and png[16:24] == struct.pack(">II", size, size), \
            "the %d-pixel icon is not a %d x %d PNG" % (size, size, size)
    svg = ElementTree.parse(icons / ("scalable/apps/%s.svg" % app_id)).getroot()
    assert svg.tag == "{http://www.w3.org/2000/svg}svg", "the SVG icon's root is %s" % svg.tag

    metainfo = ElementTree.parse(prefix / ("share/metainfo/%s.metainfo.xml" % app_id)).getroot()
    assert (metainfo.findtext("id"), metainfo.findtext("launchable")) == \
        (app_id, app_id + ".desktop"), "the metainfo names another program"
    assert metainfo.findtext("project_license") == "GPL-3.0-or-later", "the metainfo's licence"
    assert "GPL-3.0-or-later" in (prefix / "share/doc/veltrano/copyright").read_text()

    # The manual page describes exactly the options --help lists.
    manual = gzip.decompress((prefix / "share/man/man1/veltrano.1.gz").read_bytes()).decode()
    section = manual.split(".SH OPTIONS\n")[1].split(".SH ")[0]
    described = {option.replace("\\-", "-") for line in re.findall(r"^\.TP\n(.*)", section, re.M)
                 for option in re.findall(r"(?:\\-)+[\w-]+", line)}
    listed = {option for names in re.findall(r"^  (-[\w-]+(?:, -[\w-]+)*)", run(program, "--help"),
                                              re.M) for option in names.split(", ")}
    assert described == listed, "the manual page describes %s, --help lists %s" % (described, listed)
    # And the same keys of the window.
    keys = manual.split(".SH KEYS\n")[1].split(".SH ")[0]
    help_keys = run(program, "--help").split("Keys in the window:\n")[1].split("\n\n")[0]
    for key in re.findall(r"\b(?:Shift\+|Ctrl\+)*(?:F\d+|[A-Z]\b)", help_keys):
        assert key in keys, "--help lists the key %s, the manual page does not" % key
    print("PASS", flush=True)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], Path(sys.argv[3]))
