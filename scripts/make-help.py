#!/usr/bin/env python3
"""Pack the help source into the single-file web archive TanıtımMulti.mht.

    python3 scripts/make-help.py              pack resources/help/source/
    python3 scripts/make-help.py --pictures   first remake the pictures from
                                              docs/screenshot.png (ImageMagick)
    python3 scripts/make-help.py --check      only check an existing archive

The source is resources/help/source/index.html (UTF-8) and the pictures next
to it. In the source, pictures are named relatively (src="screenshot.png") so
that the page also opens in a browser. In the archive every picture gets the
Content-Location  file:///zendalite/<name>  and the packed HTML refers to it by
exactly that string; the HTML part itself is  file:///zendalite/index.html.

Archive layout (MIME, CRLF line endings throughout):
  - multipart/related, boundary "----=_ZendaliteHelp_0001", type="text/html"
  - the HTML root part: text/html; charset="utf-8", quoted-printable,
    lines of at most 76 characters (soft line breaks "=")
  - one part per picture, in order of first use: base64, 76-character lines

Packing is deterministic: the same source gives a byte-identical archive (no
dates, no random boundary, fixed part order). Python 3 standard library only;
--pictures additionally runs ImageMagick's `convert`.
"""

import argparse
import base64
import email
import email.header
import html.parser
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE_DIR = os.path.join(ROOT, "resources", "help", "source")
OUTPUT = os.path.join(ROOT, "resources", "help", "Tan\u0131t\u0131mMulti.mht")
SCREENSHOT = os.path.join(ROOT, "docs", "screenshot.png")

BOUNDARY = "----=_ZendaliteHelp_0001"
LOCATION_BASE = "file:///zendalite/"
ROOT_NAME = "index.html"
SUBJECT = "Zendalite - Tan\u0131t\u0131m ve Kullan\u0131m"
MAX_LINE = 76
CRLF = "\r\n"

IMAGE_TYPES = {
    ".png": "image/png",
    ".jpg": "image/jpeg",
    ".jpeg": "image/jpeg",
    ".gif": "image/gif",
}

# Pictures made from docs/screenshot.png: (file, ImageMagick arguments).
# The whole window is shown 640 px wide (the help window is ~660 px), the two
# panel crops 1:1. Palette PNGs keep the archive small; -strip drops the
# date chunks so the files do not change when they are remade.
PICTURES = [
    ("screenshot.png", ["-filter", "Lanczos", "-resize", "640x480"]),
    ("depo-isi.png", ["-crop", "294x204+30+106", "+repage"]),
    ("tablo.png", ["-crop", "440x196+336+106", "+repage"]),
]


def make_pictures():
    for name, args in PICTURES:
        target = os.path.join(SOURCE_DIR, name)
        cmd = (["convert", SCREENSHOT] + args
               + ["-strip", "+dither", "-colors", "256", "PNG8:" + target])
        subprocess.run(cmd, check=True)
        print("picture", os.path.relpath(target, ROOT), os.path.getsize(target), "bytes")


def qp_encode(text):
    """Quoted-printable with soft line breaks; returns the encoded lines.

    One character's UTF-8 bytes are never split over a soft line break, so a
    reader that decodes line by line still sees whole characters.
    """
    lines = []
    for line in text.split("\n"):
        tokens = []
        for i, ch in enumerate(line):
            data = ch.encode("utf-8")
            last = i == len(line) - 1
            if len(data) == 1 and 33 <= data[0] <= 126 and ch != "=":
                tokens.append(ch)
            elif ch in " \t" and not last:
                tokens.append(ch)
            else:
                tokens.append("".join("=%02X" % b for b in data))
        current = ""
        for tok in tokens:
            if len(current) + len(tok) > MAX_LINE - 1:  # leave room for "="
                lines.append(current + "=")
                current = ""
            current += tok
        lines.append(current)
    return lines


def b64_lines(data):
    text = base64.b64encode(data).decode("ascii")
    return [text[i:i + MAX_LINE] for i in range(0, len(text), MAX_LINE)]


def encoded_subject(subject):
    raw = base64.b64encode(subject.encode("utf-8")).decode("ascii")
    return "=?utf-8?B?" + raw + "?="


IMG_SRC = re.compile(r'(<img\b[^>]*?\bsrc\s*=\s*")([^"]*)(")', re.IGNORECASE)


def pack():
    with open(os.path.join(SOURCE_DIR, ROOT_NAME), "rb") as f:
        source = f.read().decode("utf-8")
    source = source.replace("\r\n", "\n").replace("\r", "\n")

    pictures = []  # file names in order of first use

    def relocate(m):
        src = m.group(2)
        if src.startswith(LOCATION_BASE):
            name = src[len(LOCATION_BASE):]
        elif "/" in src or ":" in src:
            sys.exit("make-help: picture %r is not a file next to %s" % (src, ROOT_NAME))
        else:
            name = src
        if not os.path.isfile(os.path.join(SOURCE_DIR, name)):
            sys.exit("make-help: picture %r not found in %s" % (name, SOURCE_DIR))
        if os.path.splitext(name)[1].lower() not in IMAGE_TYPES:
            sys.exit("make-help: picture %r has an unknown type" % name)
        if name not in pictures:
            pictures.append(name)
        return m.group(1) + LOCATION_BASE + name + m.group(3)

    packed_html = IMG_SRC.sub(relocate, source)

    out = [
        "MIME-Version: 1.0",
        "Subject: " + encoded_subject(SUBJECT),
        'Content-Type: multipart/related; boundary="%s"; type="text/html"' % BOUNDARY,
        "",
        "This is a multi-part message in MIME format.",
        "",
        "--" + BOUNDARY,
        'Content-Type: text/html; charset="utf-8"',
        "Content-Transfer-Encoding: quoted-printable",
        "Content-Location: " + LOCATION_BASE + ROOT_NAME,
        "",
    ]
    html_lines = qp_encode(packed_html)
    if html_lines and html_lines[-1] == "":
        html_lines.pop()  # the final line break comes from the blank line below
    out += html_lines
    for name in pictures:
        with open(os.path.join(SOURCE_DIR, name), "rb") as f:
            data = f.read()
        out += [
            "",
            "--" + BOUNDARY,
            "Content-Type: " + IMAGE_TYPES[os.path.splitext(name)[1].lower()],
            "Content-Transfer-Encoding: base64",
            "Content-Location: " + LOCATION_BASE + name,
            "",
        ]
        out += b64_lines(data)
    out += ["", "--" + BOUNDARY + "--", ""]
    archive = CRLF.join(out).encode("ascii")

    with open(OUTPUT + ".tmp", "wb") as f:
        f.write(archive)
    os.replace(OUTPUT + ".tmp", OUTPUT)
    print("wrote", os.path.relpath(OUTPUT, ROOT), len(archive), "bytes,",
          len(pictures), "pictures:", ", ".join(pictures))


class _ImgCollector(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.sources = []

    def handle_starttag(self, tag, attrs):
        if tag == "img":
            self.sources += [v for k, v in attrs if k == "src"]


def check(path=OUTPUT):
    """Parse the archive and check that every picture it uses is inside."""
    with open(path, "rb") as f:
        raw = f.read()
    problems = []
    if b"\n" in raw.replace(b"\r\n", b""):
        problems.append("a line ends without CR LF")
    for n, line in enumerate(raw.split(b"\r\n"), 1):
        if len(line) > MAX_LINE and not line.startswith(b"Content-Type: multipart"):
            problems.append("line %d is %d characters long" % (n, len(line)))
    msg = email.message_from_bytes(raw)
    if msg.get_content_type() != "multipart/related":
        problems.append("not multipart/related")
    parts = msg.get_payload() if msg.is_multipart() else []
    locations = {p["Content-Location"]: p for p in parts}
    html_parts = [p for p in parts if p.get_content_type() == "text/html"]
    if len(html_parts) != 1 or parts[0] is not html_parts[0]:
        problems.append("the first part must be the only text/html part")
    else:
        root = html_parts[0]
        text = root.get_payload(decode=True).decode(root.get_content_charset())
        collector = _ImgCollector()
        collector.feed(text)
        for src in collector.sources:
            part = locations.get(src)
            if part is None:
                problems.append("no part for img src %r" % src)
            elif not part.get_content_type().startswith("image/"):
                problems.append("part %r is not a picture" % src)
            elif not part.get_payload(decode=True):
                problems.append("part %r is empty" % src)
        print("subject:", str(email.header.make_header(email.header.decode_header(msg["Subject"]))))
        print("parts:", ", ".join("%s (%s)" % (p["Content-Location"], p.get_content_type())
                                  for p in parts))
        print("img src:", ", ".join(collector.sources))
    for p in problems:
        print("make-help: check:", p, file=sys.stderr)
    return not problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pictures", action="store_true",
                        help="remake the pictures from docs/screenshot.png first")
    parser.add_argument("--check", action="store_true",
                        help="only check the existing archive")
    args = parser.parse_args()
    if not args.check:
        if args.pictures:
            make_pictures()
        pack()
    ok = check()
    print("check:", "ok" if ok else "FAILED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
