#!/usr/bin/env python3
"""Renders the user guide: docs/guide/*.md into HTML pages beside the program.

    make-guide.py SOURCE_FOLDER OUTPUT_FOLDER VERSION

Each page gets the guide's style sheet and a line of links to the other pages; links between
pages are written to the Markdown files ("modes.md#layout") and become links to the HTML pages.
The pictures in SOURCE_FOLDER/images are copied along. A link to a page, a part of a page or a
picture that does not exist stops the build with the page and the link named, so the Help menu
and the guide's own links always lead somewhere.
"""
import html
import re
import shutil
import sys
from pathlib import Path

import markdown

# The order of the pages in the line of links at the top of each page; a page not named here
# comes after them in name order.
ORDER = ["index", "getting-started", "modes", "keys-and-mouse", "threads", "file-formats",
         "folders", "troubleshooting"]

LINK = re.compile(r'(href|src)="([^"]*)"')
HEADING_ID = re.compile(r'<h[1-6][^>]*\sid="([^"]+)"')
TITLE = re.compile(r"^#\s+(.*)$", re.M)


def page_order(pages):
    known = [p for p in ORDER if p in pages]
    return known + sorted(p for p in pages if p not in ORDER)


def render(source: Path, out: Path, version: str) -> None:
    pages = {p.stem: p for p in source.glob("*.md")}
    if "index" not in pages:
        sys.exit(f"{source}: the guide has no index.md")
    order = page_order(pages)
    titles = {}
    for stem in order:
        m = TITLE.search(pages[stem].read_text(encoding="utf-8"))
        titles[stem] = m.group(1).strip() if m else stem
    out.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(source / "style.css", out / "style.css")
    images = source / "images"
    if images.is_dir():
        shutil.copytree(images, out / "images", dirs_exist_ok=True)

    rendered = {}
    for stem in order:
        text = pages[stem].read_text(encoding="utf-8")
        # Links between pages name the Markdown files, so they also work when the sources are
        # read on their own.
        text = re.sub(r"\]\(([\w-]+)\.md(#[\w-]+)?\)", r"](\1.html\2)", text)
        body = markdown.markdown(
            text, extensions=["tables", "toc", "fenced_code", "attr_list", "sane_lists"],
            extension_configs={"toc": {"permalink": False}}, output_format="html5")
        nav = " · ".join(
            f'<b>{html.escape(titles[s])}</b>' if s == stem
            else f'<a href="{s}.html">{html.escape(titles[s])}</a>' for s in order)
        rendered[stem] = f"""<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{html.escape(titles[stem])} - Nordelune User Guide</title>
<link rel="stylesheet" href="style.css">
</head>
<body>
<nav>{nav}</nav>
<main>
{body}
</main>
<footer>Nordelune {html.escape(version)} User Guide</footer>
</body>
</html>
"""

    # Every link and picture must lead somewhere.
    problems = []
    ids = {stem: set(HEADING_ID.findall(page)) for stem, page in rendered.items()}
    for stem, page in rendered.items():
        for attr, target in LINK.findall(page):
            if re.match(r"^[a-z]+:", target) or target.startswith("//"):
                continue  # outside the guide
            file, _, part = target.partition("#")
            if file and not (source / file).exists() and not (out / file).exists() \
                    and not (file.endswith(".html") and file[:-5] in pages):
                problems.append(f"{stem}.md: {target} does not exist")
                continue
            linked = file[:-5] if file.endswith(".html") else (stem if not file else None)
            if part and linked is not None and part not in ids.get(linked, set()):
                problems.append(f"{stem}.md: {target}: no heading with the id '{part}'")
    if problems:
        sys.exit("The user guide has broken links:\n  " + "\n  ".join(problems))
    for stem, page in rendered.items():
        (out / f"{stem}.html").write_text(page, encoding="utf-8")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    render(Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3])
