#!/usr/bin/python3
"""Builds a stand-in for the "Segoe MDL2 Assets" icon font, for running Norvik under Wine.

Windows ships Segoe MDL2 Assets and Norvik draws its icons from it; Wine has no such font, so
the icons would be empty boxes. This copies, from Debian's Material Design icon font
(fonts-material-design-icons-iconfont, Apache-2.0), the icon of the same meaning to each code
point the window draws, under the family name "Segoe MDL2 Assets". The Material font names its
icons through ligatures ("search", "folder", ...), so the glyphs are found by name, not by a
code point that could move between versions. A test and run fixture only: never shipped.

Usage: /usr/bin/python3 tools/make_icon_font.py OUTPUT.ttf [MaterialIcons-Regular.ttf]
"""
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

MATERIAL = "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf"
FAMILY = "Segoe MDL2 Assets"

# Code point the window draws -> Material icon names of the same meaning, first found wins.
ICONS = {
    0xE721: ["search"],                                  # search box
    0xE700: ["menu", "settings"],                        # settings button
    0xE70E: ["expand_less", "arrow_upward"],             # ascending sort mark
    0xE70D: ["expand_more", "arrow_downward"],           # descending sort mark
    0xE8B7: ["folder"],                                  # folder
    0xEB9F: ["image"],                                   # picture
    0xE714: ["movie"],                                   # video
    0xE8D6: ["music_note"],                              # music
    0xE8A5: ["description"],                             # document
    0xE7B8: ["archive", "folder_zip"],                   # archive
    0xECAA: ["apps", "terminal"],                        # program
    0xE81C: ["schedule", "hourglass_empty"],             # temporary file
    0xE7C3: ["insert_drive_file", "description"],        # any other file
}


def ligature_glyphs(font):
    """Maps each ligature's component glyph sequence to the glyph it forms."""
    found = {}
    for lookup in font["GSUB"].table.LookupList.Lookup:
        for table in lookup.SubTable:
            if lookup.LookupType == 7:  # extension: the real subtable is inside
                table = table.ExtSubTable
            for first, ligatures in getattr(table, "ligatures", {}).items():
                for ligature in ligatures:
                    found[tuple([first] + ligature.Component)] = ligature.LigGlyph
    return found


def glyph_for(name, font, ligatures):
    cmap = font.getBestCmap()
    try:
        sequence = tuple(cmap[ord(c)] for c in name)
    except KeyError:
        return None
    return ligatures.get(sequence)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    output = sys.argv[1]
    font = TTFont(sys.argv[2] if len(sys.argv) == 3 else MATERIAL)
    ligatures = ligature_glyphs(font)

    chosen = {}
    for code_point, names in ICONS.items():
        glyph = next((g for g in (glyph_for(n, font, ligatures) for n in names) if g), None)
        if glyph is None:
            sys.exit(f"no icon named {' or '.join(names)} in the Material font")
        chosen[code_point] = glyph

    # Keep only the chosen outlines; ligatures and kerning have no use here.
    options = subset.Options()
    options.layout_features = []
    options.name_IDs = ["*"]
    options.notdef_outline = True
    subsetter = subset.Subsetter(options)
    subsetter.populate(glyphs=sorted(set(chosen.values())))
    subsetter.subset(font)
    for table in ("GSUB", "GPOS", "GDEF"):
        if table in font:
            del font[table]

    for table in font["cmap"].tables:
        if table.isUnicode():
            table.cmap = dict(chosen)

    names = font["name"]
    names.names = []
    for name_id, text in ((1, FAMILY), (2, "Regular"), (3, FAMILY + " (Wine stand-in)"),
                          (4, FAMILY), (5, "Version 1.0"), (6, FAMILY.replace(" ", ""))):
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)
    font.save(output)


if __name__ == "__main__":
    main()
