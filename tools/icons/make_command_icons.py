#!/usr/bin/env python3
"""Writes the program's own command pictures (24x24 SVG, light-blue tiles with navy symbols) into
resources/icons/, and the Qt resource file that carries them. Run it after changing a picture:
  python3 tools/icons/make_command_icons.py"""
import os

NAVY = "#003399"
WHITE = "#ffffff"
ORANGE = "#ff9933"
RED = "#c03030"

TILE = """<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#e4f3ff"/><stop offset="1" stop-color="#8cc4f2"/></linearGradient></defs>
<rect x="0.5" y="0.5" width="23" height="23" rx="4" fill="url(#g)" stroke="#2a6fa8"/>"""


def line(d, colour=NAVY, width=2):
    return (f'<path d="{d}" fill="none" stroke="{colour}" stroke-width="{width}" '
            'stroke-linecap="round" stroke-linejoin="round"/>')


def fill(d, colour=NAVY, outline=None):
    stroke = f' stroke="{outline}" stroke-width="1" stroke-linejoin="round"' if outline else ""
    return f'<path d="{d}" fill="{colour}"{stroke}/>'


def circle(cx, cy, r, colour=NAVY, width=2, filled=False):
    if filled:
        return f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="{colour}"/>'
    return f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="none" stroke="{colour}" stroke-width="{width}"/>'


def folder(colour="#ffdb9d"):
    return fill("M4 7h6l2 2h8v10H4z", colour, NAVY)


def bars(heights, x0=5, width=3, gap=1, colour=NAVY):
    out = []
    for i, h in enumerate(heights):
        x = x0 + i * (width + gap)
        out.append(f'<rect x="{x}" y="{19 - h}" width="{width}" height="{h}" fill="{colour}"/>')
    return "".join(out)


def pie(cx=12, cy=12, r=7, rx=None):
    rx = rx or r
    return (f'<ellipse cx="{cx}" cy="{cy}" rx="{rx}" ry="{r}" fill="{WHITE}" stroke="{NAVY}" stroke-width="1.5"/>'
            + fill(f"M{cx} {cy}V{cy - r}A{rx} {r} 0 0 1 {cx + rx} {cy}z", NAVY))


def sheets():
    return fill("M6 4h8v11H6z", WHITE, NAVY) + fill("M9 7h8v11H9z", WHITE, NAVY)


def trash(full=False):
    body = fill("M7 8h10l-1 12H8z", WHITE, NAVY) + line("M5 7h14M10 5h4", NAVY, 1.6)
    if full:
        body += line("M10 11v6M12 11v6M14 11v6", NAVY, 1)
        body += fill("M8 8c1-3 7-3 8 0z", ORANGE, NAVY)
    else:
        body += line("M10 11v6M14 11v6", NAVY, 1)
    return body


def clock(cx=12, cy=12, r=7):
    return (f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="{WHITE}" stroke="{NAVY}" stroke-width="1.6"/>'
            + line(f"M{cx} {cy - 4}V{cy}l3 2", NAVY, 1.6))


def document(lines=True):
    out = fill("M6 3h9l4 4v14H6z", WHITE, NAVY) + fill("M15 3v4h4z", "#cfe6fa", NAVY)
    if lines:
        out += line("M9 10h7M9 13h7M9 16h5", NAVY, 1.2)
    return out


def pencil():
    return fill("M9 18l1-4 8-8 3 3-8 8z", ORANGE, NAVY) + line("M9 18l4-1", NAVY, 1)


def floppy():
    return (fill("M5 4h12l3 3v13H5z", NAVY) + fill("M8 4h7v5H8z", WHITE)
            + fill("M8 13h9v7H8z", WHITE))


def arrow_round(clockwise):
    if clockwise:
        return line("M17 9a6 6 0 1 0 1 6", NAVY) + fill("M19 4v6h-6z", NAVY)
    return line("M7 9a6 6 0 1 1 -1 6", NAVY) + fill("M5 4v6h6z", NAVY)


PICTURES = {
    # scanning and folders
    "media-playback-start": fill("M8 5l11 7-11 7z", NAVY),
    "folder-open": fill("M3 7h6l2 2h8v3H7l-4 8z", "#ffdb9d", NAVY) + fill("M7 12h14l-4 8H3z", "#ffe9c4", NAVY),
    "folder": folder(),
    "go-up": line("M12 19V6M6 11l6-6 6 6", NAVY, 2.4),
    "go-previous": line("M19 12H6M11 6l-6 6 6 6", NAVY, 2.4),
    "go-top": line("M6 5h12M12 20V9M7 13l5-5 5 5", NAVY, 2.2),
    "go-down": line("M12 5v12M7 12l5 5 5-5", NAVY, 2.2) + line("M6 20h12", NAVY, 2),
    "user-trash": trash(),
    "user-trash-full": trash(True),
    "edit-undo": line("M8 8h7a5 5 0 0 1 0 10h-6", NAVY, 2.2) + fill("M4 8l5-4v8z", NAVY),
    "document-open-recent": clock(),
    "document-print": (fill("M7 3h10v6H7z", WHITE, NAVY) + fill("M4 9h16v8H4z", NAVY)
                       + fill("M7 14h10v7H7z", WHITE, NAVY) + circle(17, 11.5, 1, "#8cf08c", filled=True)),
    "application-exit": line("M12 4v8", NAVY, 2.4) + line("M8 7a7 7 0 1 0 8 0", NAVY, 2.2),
    "help-contextual": line("M9 9a3 3 0 1 1 4 3c-1 .5-1 1.5-1 2.5", NAVY, 2.4) + circle(12, 18.5, 1.4, NAVY, filled=True),
    "help-about": circle(12, 12, 8, NAVY, 1.8) + line("M12 11v6", NAVY, 2.4) + circle(12, 7.5, 1.4, NAVY, filled=True),
    "help-contents": (fill("M4 5c3-1 6-1 8 1v14c-2-2-5-2-8-1z", WHITE, NAVY)
                      + fill("M20 5c-3-1-6-1-8 1v14c2-2 5-2 8-1z", "#cfe6fa", NAVY)),
    "nubrix-help-index": (fill("M4 5c3-1 6-1 8 1v14c-2-2-5-2-8-1z", WHITE, NAVY)
                          + fill("M20 5c-3-1-6-1-8 1v14c2-2 5-2 8-1z", "#cfe6fa", NAVY)
                          + line("M14.5 9h3.5M14.5 12h3.5M14.5 15h3.5", NAVY, 1.2)),
    "view-list-tree": line("M6 5v13M6 9h5M6 14h5M6 18h5", NAVY, 1.8) + fill("M12 7h7v4h-7zM12 12h7v4h-7zM12 16h7v4h-7z", WHITE, NAVY),
    "view-list-details": fill("M4 5h4v4H4zM4 10h4v4H4zM4 15h4v4H4z", NAVY) + line("M11 7h9M11 12h9M11 17h9", NAVY, 1.8),
    "insert-text": fill("M4 17h16v4H4z", "#ffdb9d", NAVY) + line("M6 15l4-11 4 11M7.5 11h5", NAVY, 2) + line("M16 9v6", ORANGE, 2),
    "object-rotate-left": arrow_round(False),
    "object-rotate-right": arrow_round(True),
    "view-refresh": line("M18 10a6 6 0 0 0-11-2", NAVY, 2) + fill("M5 4v6h6z", NAVY) + line("M6 14a6 6 0 0 0 11 2", NAVY, 2) + fill("M19 20v-6h-6z", NAVY),
    "drive-harddisk": fill("M3 9h18v8H3z", "#dfe8f0", NAVY) + fill("M5 5h14l2 4H3z", WHITE, NAVY) + circle(17, 13, 1.3, "#40c040", filled=True) + line("M6 13h6", NAVY, 1.4),
    "view-sort-ascending": bars([3, 6, 9, 12], 4) + line("M20 18V6M17.5 8.5L20 6l2.5 2.5", ORANGE, 1.6),
    "view-sort-descending": bars([12, 9, 6, 3], 4) + line("M20 6v12M17.5 15.5L20 18l2.5-2.5", ORANGE, 1.6),
    "nubrix-no-sort": bars([7, 12, 4, 9], 5),
    "document-save-as": floppy() + pencil(),
    "document-save": floppy(),
    "document-revert": document(False) + line("M15 16H10a2.5 2.5 0 0 1 0-5h5", NAVY, 1.8) + fill("M13 8.5l3 2.5-3 2.5z", NAVY),
    "document-edit": document() + pencil(),
    # A scan file opened: a page with the bars of a chart on it, an arrow going in.
    "document-open": document(lines=False) + bars([4, 7, 3], x0=9, width=2, gap=1) + line("M2 12h5M5 10l2 2-2 2"),
    "text-x-generic": document(),
    "edit-clear-history": clock(10, 11, 6) + line("M15 15l5 5M20 15l-5 5", RED, 2),
    "edit-find": circle(10, 10, 5.5, NAVY, 2.2) + line("M14 14l6 6", NAVY, 3),
    "edit-delete": line("M6 6l12 12M18 6L6 18", RED, 3),
    "edit-clear": line("M18 4l-8 8", "#8b5a2b", 2.2) + fill("M5 13l5-3 4 4-3 5c-3 0-6-3-6-6z", ORANGE, NAVY),
    "edit-clear-all": line("M18 4l-8 8", "#8b5a2b", 2.2) + fill("M5 13l5-3 4 4-3 5c-3 0-6-3-6-6z", ORANGE, NAVY) + line("M18 15v4M16 17h4", NAVY, 1.4),
    "media-playlist-repeat": line("M5 11V9h12", NAVY, 2) + fill("M16 6l4 3-4 3z", NAVY) + line("M19 13v2H7", NAVY, 2) + fill("M8 12l-4 3 4 3z", NAVY),
    "system-software-install": fill("M4 11h16v9H4z", "#ffdb9d", NAVY) + line("M4 11l3-4h10l3 4", NAVY, 1.4) + line("M12 3v10M8.5 9.5L12 13l3.5-3.5", NAVY, 2),
    "list-add": line("M12 6v12M6 12h12", NAVY, 3),
    "list-remove": line("M6 12h12", NAVY, 3),
    "checkbox": fill("M5 5h14v14H5z", WHITE, NAVY) + line("M8 12l3 3 5-6", NAVY, 2.2),
    "nubrix-checkbox-off": fill("M5 5h14v14H5z", WHITE, NAVY),
    # the window's own pictures
    "nubrix-folder-history": fill("M4 7h6l2 2h8v10H4z", "#ffdb9d", NAVY) + clock(15.5, 15, 4.5),
    "nubrix-growth": bars([4, 7, 10], 4) + line("M5 12l5-4 3 2 6-6", ORANGE, 2) + fill("M20 3v5l-5-5z", ORANGE),
    "nubrix-3d": (fill("M5 8l7-4 7 4-7 4z", WHITE, NAVY) + fill("M5 8v8l7 4v-8z", "#99ccff", NAVY)
                  + fill("M19 8v8l-7 4v-8z", "#3e9ade", NAVY)),
    "nubrix-explode": (f'<circle cx="11" cy="13" r="7" fill="{WHITE}" stroke="{NAVY}" stroke-width="1.5"/>'
                       + fill("M11 13V6A7 7 0 0 0 4.9 16.5z", "#99ccff", NAVY)
                       + fill("M14 10V3a7 7 0 0 1 7 7z", NAVY)),
    "nubrix-elliptic-pie": pie(12, 12, 5, 9),
    "nubrix-copy-bars": sheets() + bars([3, 6, 4], 10, 2, 1),
    "nubrix-copy-pie": sheets() + pie(13, 12.5, 3.5),
    "nubrix-bars-up": fill("M6 15l6-8 6 8z", NAVY),
    "nubrix-bars-down": fill("M6 9l6 8 6-8z", NAVY),
    "nubrix-bars-spread": line("M12 3v18M8.5 6.5L12 3l3.5 3.5M8.5 17.5L12 21l3.5-3.5", NAVY, 2) + line("M4 8h4M4 12h4M4 16h4M16 8h4M16 12h4M16 16h4", "#3e9ade", 1.6),
    "nubrix-bars-normal": line("M5 7h14M5 10h10M5 13h12M5 16h7", NAVY, 2),
    "nubrix-shortcuts": fill("M5 5h10v10H5z", WHITE, NAVY) + line("M10 17l8-8M13 9h5v5", ORANGE, 2),
    "nubrix-empty-folder": folder("#ffffff") + line("M9 14h6", NAVY, 1.4),
    "nubrix-delete-empty": folder("#ffffff") + line("M9 11l6 6M15 11l-6 6", RED, 2),
    "nubrix-delete-checked": fill("M4 4h10v10H4z", WHITE, NAVY) + line("M6 9l2 2 4-5", NAVY, 1.8) + line("M13 13l7 7M20 13l-7 7", RED, 2.2),
    "nubrix-command": circle(12, 12, 4, NAVY, filled=True),
}


def main():
    root = os.path.join(os.path.dirname(__file__), "..", "..", "resources", "icons")
    os.makedirs(root, exist_ok=True)
    names = sorted(PICTURES)
    for name in names:
        with open(os.path.join(root, name + ".svg"), "w", encoding="utf-8") as out:
            out.write('<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">\n')
            out.write(TILE + "\n" + PICTURES[name] + "\n</svg>\n")
    with open(os.path.join(root, "icons.qrc"), "w", encoding="utf-8") as out:
        out.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n<qresource prefix="/icons">\n')
        for name in names:
            out.write(f'  <file>{name}.svg</file>\n')
        out.write("</qresource>\n</RCC>\n")
    print(f"{len(names)} pictures in {os.path.normpath(root)}")


if __name__ == "__main__":
    main()
