#!/usr/bin/env python3
"""Builds the thread catalogs shipped with the program from the thread charts.

    make-thread-catalogs.py CHART_FOLDER OUT_FOLDER

Every CHART_FOLDER/<Manufacturer>-<Type>.csv (header number,name,red,green,blue) becomes
OUT_FOLDER/<Manufacturer>-<Type>.SC1, enabled, listed in file name order, with its three display
orders computed exactly as the program computes them. SOURCES.md is copied beside them. The build
runs this script; the catalogs are never edited by hand. Standard library only.
"""
import csv
import os
import re
import struct
import sys

MAGIC = 191376
HEADER = "NordeluneColorCatalogV1.00(06-03-2006)"


def fail(message):
    sys.exit("make-thread-catalogs: " + message)


def lightness(r, g, b):
    # round((max + min) / 2 / 255 * 240) = round((max + min) * 8 / 17); never a half, so the integer
    # form is exact (the program computes it the same way).
    mx, mn = max(r, g, b), min(r, g, b)
    return ((mx + mn) * 16 + 17) // 34


def first_word(text):
    i = 0
    while i < len(text) and text[i] in b" \t":
        i += 1
    j = i
    while j < len(text) and text[j] not in b" \t,":
        j += 1
    return text[i:j].upper()


def orders(entries):
    """The number, name and colour orders: display position i shows entry order[i]. Python's sort
    is stable, which is what the program's repeated neighbour swaps give."""
    n = len(entries)
    light = [lightness(*e["rgb"]) for e in entries]
    number = sorted(range(n), key=lambda i: entries[i]["number"])
    name = sorted(range(n), key=lambda i: entries[i]["name"])
    i = 0
    while i < n:
        word = first_word(entries[name[i]]["name"])
        j = i + 1
        while j < n and first_word(entries[name[j]]["name"]) == word:
            j += 1
        if j - i >= 2:
            name[i:j] = sorted(name[i:j], key=lambda k: -light[k])
        i = j
    colour = sorted(range(n), key=lambda k: -light[k])
    return number, name, colour


def string_record(data):
    return struct.pack("<i", len(data)) + data


def sources(chart_folder):
    """Chart name -> (repository, path, licence) from the table in SOURCES.md."""
    out = {}
    path = os.path.join(chart_folder, "SOURCES.md")
    if not os.path.exists(path):
        return out
    with open(path, encoding="utf-8") as f:
        for line in f:
            cells = [c.strip() for c in line.strip().strip("|").split("|")]
            if len(cells) == 7 and cells[0].endswith(".csv"):
                out[cells[0]] = (cells[4], cells[5].replace("`", ""), cells[6])
    return out


def read_chart(path):
    entries = []
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    if not rows or [c.strip() for c in rows[0]] != ["number", "name", "red", "green", "blue"]:
        fail(path + ": the first line must be number,name,red,green,blue")
    for line, row in enumerate(rows[1:], start=2):
        if not row:
            continue
        if len(row) != 5:
            fail("%s:%d: expected 5 fields, found %d" % (path, line, len(row)))
        try:
            rgb = tuple(int(v) for v in row[2:])
        except ValueError:
            fail("%s:%d: red, green and blue must be whole numbers" % (path, line))
        if any(v < 0 or v > 255 for v in rgb):
            fail("%s:%d: red, green and blue must lie in 0..255" % (path, line))
        entries.append({"number": row[0].encode("utf-8"), "name": row[1].encode("utf-8"), "rgb": rgb})
    if not entries:
        fail(path + ": no threads")
    return entries


def catalog_bytes(manufacturer, thread_type, info, position, entries):
    number, name, colour = orders(entries)
    out = bytearray(struct.pack("<i", MAGIC))
    for text in (HEADER, info, manufacturer, thread_type):
        out += string_record(text.encode("utf-8"))
    out += struct.pack("<iBi", position, 1, len(entries))
    for i, e in enumerate(entries):
        r, g, b = e["rgb"]
        out += struct.pack("<6i", r | g << 8 | b << 16, colour[i], name[i], number[i], i, 0)
        out += string_record(e["name"]) + string_record(e["number"])
    return bytes(out)


def write(path, data):
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main():
    if len(sys.argv) != 3:
        fail("usage: make-thread-catalogs.py CHART_FOLDER OUT_FOLDER")
    chart_folder, out_folder = sys.argv[1], sys.argv[2]
    os.makedirs(out_folder, exist_ok=True)
    charts = sorted(f for f in os.listdir(chart_folder) if f.endswith(".csv"))
    if not charts:
        fail(chart_folder + ": no thread charts")
    known = sources(chart_folder)
    for position, chart in enumerate(charts):
        stem = chart[:-4]
        # Split on the last hyphen: a manufacturer may carry one of its own ("Robison-Anton").
        if "-" not in stem or re.search(r'[/\\:*?"<>|]', stem):
            fail(chart + ": the name must be <Manufacturer>-<Type>.csv")
        manufacturer, thread_type = stem.rsplit("-", 1)
        entries = read_chart(os.path.join(chart_folder, chart))
        info = " %s %s: %d thread colours. The colours are on-screen approximations from a published " \
               "thread chart, not values certified by the manufacturer." % (manufacturer, thread_type, len(entries))
        if chart in known:
            repository, source, licence = known[chart]
            info += " Chart: %s, %s (%s)." % (repository, source, licence)
        write(os.path.join(out_folder, stem + ".SC1"),
              catalog_bytes(manufacturer, thread_type, info, position, entries))
    src = os.path.join(chart_folder, "SOURCES.md")
    if os.path.exists(src):
        with open(src, "rb") as f:
            write(os.path.join(out_folder, "SOURCES.md"), f.read())


if __name__ == "__main__":
    main()
