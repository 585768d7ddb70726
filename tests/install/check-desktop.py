#!/usr/bin/env python3
"""Checks the installed desktop files against the program: the menu entry starts
a program that is installed and hands it the file, the icon it names is
installed in every size, and the file-type signatures match real project and
curve files (a wrong signature would make the file manager offer another
program). Usage: check-desktop.py PREFIX FIXTURES_DIR"""
import configparser
import re
import struct
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

prefix, fixtures = Path(sys.argv[1]), Path(sys.argv[2])
app_id = "com.tolvex.Brelvantor"
failures = []

desktop = configparser.RawConfigParser(strict=False)
desktop.optionxform = str
desktop.read(prefix / "share/applications" / f"{app_id}.desktop", encoding="utf-8")
entry = desktop["Desktop Entry"]
program = entry["Exec"].split()[0]
if not (prefix / "bin" / program).is_file():
    failures.append(f"Exec names {program}, which is not installed")
if "%f" not in entry["Exec"].split():
    failures.append("Exec does not pass the file (%f)")
for category in ("Science", "Engineering"):
    if category not in entry["Categories"].split(";"):
        failures.append(f"category {category} missing")
icon = entry["Icon"]
for png in (prefix / "share/icons/hicolor").glob("*x*/apps"):
    size = int(png.parent.name.split("x")[0])
    data = (png / f"{icon}.png").read_bytes()
    width, height = struct.unpack(">II", data[16:24])
    if data[:8] != b"\x89PNG\r\n\x1a\n" or (width, height) != (size, size):
        failures.append(f"{png}/{icon}.png is not a {size}x{size} PNG")

ns = {"m": "http://www.freedesktop.org/standards/shared-mime-info"}
mime = ET.parse(prefix / "share/mime/packages" / f"{app_id}.xml").getroot()
signatures = {}
for mime_type in mime.findall("m:mime-type", ns):
    match = mime_type.find("m:magic/m:match", ns)
    value = re.sub(r"\\x([0-9a-fA-F]{2})", lambda m: chr(int(m.group(1), 16)), match.get("value"))
    signatures[mime_type.get("type")] = (mime_type.find("m:glob", ns).get("pattern"), value.encode("latin-1"))
for mime_type in entry["MimeType"].strip(";").split(";"):
    if mime_type not in signatures:
        failures.append(f"the menu entry opens {mime_type}, which no file type defines")
for mime_type, (glob, signature) in signatures.items():
    files = sorted(fixtures.rglob(glob))
    if not files:
        failures.append(f"no {glob} fixture to check {mime_type} against")
    for f in files:
        if not f.read_bytes().startswith(signature):
            failures.append(f"{f.name} does not begin with the signature of {mime_type}")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
