#!/usr/bin/env python3
"""Makes the IT8.7/2-style reference files under tests/data/it8: a synthetic target batch
with plausible D50 XYZ values for the 264 colour patches A1-L22 and the grey wedge GS0-GS23,
in CGATS keyword layout, plus variants (line ends, column order, headers, blocks, faults).

Run from the repository root: python3 scripts/make_it8_testdata.py
The output is deterministic, so rerunning it changes nothing."""

import math
import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "it8")
WHITE_D50 = (96.422, 100.0, 82.521)


def lab_to_xyz(l, a, b):
    fy = (l + 16.0) / 116.0
    fx = fy + a / 500.0
    fz = fy - b / 200.0

    def inv(t):
        return t ** 3 if t > 6.0 / 29.0 else 3 * (6.0 / 29.0) ** 2 * (t - 4.0 / 29.0)

    return tuple(max(0.05, w * inv(f)) for w, f in zip(WHITE_D50, (fx, fy, fz)))


def colour_patches():
    """Rows A-L are twelve hues; columns 1-12 step lightness and chroma, 13-22 the darker
    and paler variations, as on an IT8.7/2 chart."""
    patches = []
    for row in range(12):
        hue = math.radians(row * 30.0 + 10.0)
        for column in range(22):
            if column < 12:
                lightness = (30.0, 50.0, 70.0)[column // 4]
                chroma = (15.0, 30.0, 45.0, 60.0)[column % 4]
            elif column < 16:
                lightness, chroma = 20.0 + 4.0 * (column - 12), 10.0 + 3.0 * (column - 12)
            elif column < 19:
                lightness, chroma = 80.0 + 4.0 * (column - 16), 8.0 + 6.0 * (column - 16)
            else:
                lightness, chroma = 40.0 + 10.0 * (column - 19), 35.0 - 8.0 * (column - 19)
            a, b = chroma * math.cos(hue), chroma * math.sin(hue)
            patches.append(("%s%d" % ("ABCDEFGHIJKL"[row], column + 1), (lightness, a, b)))
    return patches


def grey_patches():
    """A wedge from Y about 82 (GS0) to Y about 0.9 (GS23), evenly spaced in L*, with a
    slight deterministic tint so the greys are near-neutral rather than exactly neutral."""
    top, bottom = 92.6, 8.1
    greys = []
    for i in range(24):
        lightness = top - (top - bottom) * i / 23.0
        tint_a = 0.4 * math.sin(i * 0.9)
        tint_b = 0.5 * math.cos(i * 0.7) - 0.2
        greys.append(("GS%d" % i, (lightness, tint_a, tint_b)))
    return greys


ALL_PATCHES = colour_patches() + grey_patches()
HEADER = [
    "IT8.7/2",
    'ORIGINATOR\t"Calvix test data generator"',
    'DESCRIPTOR\t"Synthetic IT8.7/2 reference, batch %s"',
    'CREATED\t"December 7, 2026"',
    'MANUFACTURER\t"Calvix test"',
    'PROD_DATE\t"2026:12"',
    'SERIAL\t"%s"',
    'MATERIAL\t"Photographic paper"',
]
STANDARD_FORMAT = ["SAMPLE_ID", "XYZ_X", "XYZ_Y", "XYZ_Z", "LAB_L", "LAB_A", "LAB_B"]


def data_line(sample_id, lab, columns):
    xyz = lab_to_xyz(*lab)
    values = {"SAMPLE_ID": sample_id,
              "XYZ_X": "%.2f" % xyz[0], "XYZ_Y": "%.2f" % xyz[1], "XYZ_Z": "%.2f" % xyz[2],
              "LAB_L": "%.2f" % lab[0], "LAB_A": "%.2f" % lab[1], "LAB_B": "%.2f" % lab[2]}
    return "\t".join(values[c] for c in columns)


def header(batch, extra=()):
    return [line % batch if "%s" in line else line for line in HEADER] + list(extra)


def block(columns, patches, field_count=None):
    lines = ["NUMBER_OF_FIELDS\t%d" % (field_count or len(columns)), "BEGIN_DATA_FORMAT",
             "\t".join(columns), "END_DATA_FORMAT", "NUMBER_OF_SETS\t%d" % len(patches),
             "BEGIN_DATA"]
    lines += [data_line(sid, lab, columns) for sid, lab in patches]
    lines.append("END_DATA")
    return lines


def write(name, lines, line_end="\r\n", final_end=True):
    text = line_end.join(lines) + (line_end if final_end else "")
    with open(os.path.join(OUT, name), "w", newline="") as f:
        f.write(text)


def main():
    os.makedirs(OUT, exist_ok=True)
    standard = header("R1") + block(STANDARD_FORMAT, ALL_PATCHES)
    write("R1.txt", standard)
    write("R1_lf.txt", standard, line_end="\n")

    reordered = ["SAMPLE_ID", "LAB_L", "XYZ_Z", "LAB_A", "XYZ_Y", "LAB_B", "XYZ_X"]
    write("R2_reordered.txt", header("R1") + block(reordered, ALL_PATCHES))

    extra = ['KEYWORD\t"INSTRUMENTATION"', 'INSTRUMENTATION\t"Spectrophotometer, D50, 2 degree"',
             'COMMENT\t"Measured under  D50  with\tspaces and tabs in quotes"',
             'KEYWORD\t"ILLUMINANT"', 'ILLUMINANT\tD50', 'LGOROWLENGTH\t22']
    extra_lines = header("R1", extra) + block(STANDARD_FORMAT, ALL_PATCHES)
    # The field count may follow the format block.
    extra_lines.remove("NUMBER_OF_FIELDS\t7")
    extra_lines.insert(extra_lines.index("END_DATA_FORMAT") + 1, "NUMBER_OF_FIELDS  7")
    write("R3_extra_header.txt", extra_lines)

    colours, greys = colour_patches(), grey_patches()
    two_blocks = (header("R1") + block(STANDARD_FORMAT, colours)
                  + block(["SAMPLE_ID", "XYZ_Y", "XYZ_X", "XYZ_Z"], greys))
    write("R4_two_blocks.txt", two_blocks, line_end="\n")

    missing_x = ["SAMPLE_ID", "XYZ_Y", "XYZ_Z", "LAB_L"]
    write("bad_missing_xyz_x.txt", header("R5") + block(missing_x, ALL_PATCHES))

    # Cut in the middle of the data block, the last line without its end.
    truncated = standard[: standard.index("BEGIN_DATA") + 101]
    truncated[-1] = truncated[-1][: truncated[-1].rfind("\t")]
    write("bad_truncated.txt", truncated, final_end=False)

    bad_count = list(standard)
    bad_count[bad_count.index("NUMBER_OF_FIELDS\t7")] = "NUMBER_OF_FIELDS\t0"
    write("bad_field_count.txt", bad_count)
    bad_word = list(standard)
    bad_word[bad_word.index("NUMBER_OF_FIELDS\t7")] = "NUMBER_OF_FIELDS\tseven"
    write("bad_field_count_word.txt", bad_word, line_end="\n")
    for name, count in (("bad_field_count_negative.txt", "-7"), ("bad_field_count_huge.txt", "99999999999")):
        lines = list(standard)
        lines[lines.index("NUMBER_OF_FIELDS\t7")] = "NUMBER_OF_FIELDS\t" + count
        write(name, lines)

    write_grey_faults(greys)


def grey_file(batch, columns, patches, replace=None):
    """A reference holding only the grey wedge; replace maps a grey id to a new data line."""
    lines = header(batch) + block(columns, patches)
    for sample_id, line in (replace or {}).items():
        index = next(i for i, l in enumerate(lines) if l.split("\t")[0] == sample_id)
        lines[index] = line
    return lines


def write_grey_faults(greys):
    """Files a calibration must refuse although the reader gets to their end: grey patches
    missing, not finite or unreadable, and the layouts that make every grey line unreadable."""
    std = STANDARD_FORMAT
    write("bad_grey_gs5_missing.txt", grey_file("R6", std, [g for g in greys if g[0] != "GS5"]))
    write("bad_grey_gs12_gs23_missing.txt", grey_file("R6", std, greys[:12]), line_end="\n")
    write("bad_grey_nan.txt", grey_file("R6", std, greys, {"GS5": "GS5\tnan\t19.80\t16.30\t50.00\t0.00\t0.00"}))
    write("bad_grey_inf.txt", grey_file("R6", std, greys, {
        "GS7": "GS7\t15.00\tinf\t13.00\t45.00\t0.00\t0.00",
        "GS8": "GS8\t14.00\t14.50\t1e39\t44.00\t0.00\t0.00"}))
    write("bad_grey_short_line.txt", grey_file("R6", std, greys, {"GS3": "GS3\t60.10\t62.30"}))
    write("bad_cr_only.txt", grey_file("R6", std, greys), line_end="\r")
    comma = [line.replace(".", ",") if line.startswith("GS") else line for line in grey_file("R6", std, greys)]
    write("bad_decimal_comma.txt", comma)
    # A location number before the id, as some instruments write it.
    located = grey_file("R6", std, greys)
    located[located.index("\t".join(std))] = "SAMPLE_LOC\t" + "\t".join(std)
    located[located.index("NUMBER_OF_FIELDS\t7")] = "NUMBER_OF_FIELDS\t8"
    located = ["%d\t%s" % (i, l) if l.startswith("GS") else l for i, l in enumerate(located)]
    write("bad_sample_id_second.txt", located)
    no_count = [l for l in grey_file("R6", std, greys) if not l.startswith("NUMBER_OF_FIELDS")]
    write("bad_no_field_count.txt", no_count)
    no_format = grey_file("R6", std, greys)
    start = no_format.index("BEGIN_DATA_FORMAT")
    del no_format[start:start + 3]
    write("bad_no_data_format.txt", no_format)
    write("bad_no_data_block.txt", header("R6") + ["NUMBER_OF_FIELDS\t7", "BEGIN_DATA_FORMAT",
                                                  "\t".join(std), "END_DATA_FORMAT"])
    # Complete and finite, but GS5 and GS15 trade places: the reader takes it, the tables of a
    # calibration against it fall between those steps.
    swapped = list(greys)
    swapped[5], swapped[15] = ("GS5", greys[15][1]), ("GS15", greys[5][1])
    write("odd_grey_order.txt", grey_file("R7", std, swapped))


if __name__ == "__main__":
    main()
