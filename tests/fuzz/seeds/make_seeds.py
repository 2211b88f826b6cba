#!/usr/bin/env python3
"""Writes the seed sets of the fuzz targets (tests/fuzz/seeds/<set>/), by hand, not at build time.

    tests/fuzz/seeds/make_seeds.py SAMPLES [SCRIPTS]

SAMPLES is a folder with the real sample clouds (see seeds/README.md for where they come from):
table_mug_stereo_cc_space_lf.txt, table_mug_stereo_cc_ascii.ply, table_mug_stereo_rz30_crlf.ptx and
table_mug_stereo_rz30_ptx_cc_readback_space_lf.txt. The seeds are small cuts of them and the
malformed classes of input, plus settings files, Lay.dat files and script text. SCRIPTS is a folder
of script sets that the replay program wrote from conversion seeds (HARLOWE_FUZZ_KEEP_SCRIPTS, see
README.md): each of its files becomes a lisp seed, loaded as a file and typed as text.
Every file is rewritten; files of a set that this script does not write are left alone.
"""
import os
import random
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def write(seed_set, name, data):
    folder = os.path.join(HERE, seed_set)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def lines_of(path, first, count):
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    return lines[first:first + count]


def cp932(text):
    return text.encode("cp932")


def moved(line, offsets):
    """A point line with whole metres added to X, Y and Z, exactly in decimal."""
    from decimal import Decimal
    fields = line.split(b" ")
    for i, offset in enumerate(offsets):
        value = Decimal(fields[i].decode()) + offset
        fields[i] = str(value.quantize(Decimal(fields[i].decode()))).encode()
    return b" ".join(fields)


def text_cuts(samples):
    txt = os.path.join(samples, "table_mug_stereo_cc_space_lf.txt")
    readback = os.path.join(samples, "table_mug_stereo_rz30_ptx_cc_readback_space_lf.txt")
    head = lines_of(txt, 0, 40)
    cuts = {
        "mug_lf_head40.txt": b"\n".join(head) + b"\n",
        "mug_lf_mid40.txt": b"\n".join(lines_of(txt, 9700, 40)) + b"\n",
        "mug_lf_head40_no_last_lf.txt": b"\n".join(head),
        # The same points as CloudCompare writes them with TABs and CR LF.
        "mug_crlf_tab_head40.txt": b"".join(l.replace(b" ", b"\t") + b"\r\n" for l in head),
        "readback_lf_head40.txt": b"\n".join(lines_of(readback, 0, 40)) + b"\n",
        # 60 points: more than one batch line of 50.
        "mug_lf_head60.txt": b"\n".join(lines_of(txt, 0, 60)) + b"\n",
        # The same points at survey coordinates, as a georeferenced export holds them.
        "mug_lf_head40_site.txt": b"".join(moved(l, (-35000, 120000, 0)) + b"\n" for l in head),
    }
    for name, data in cuts.items():
        write("txt", name, data)
    return cuts


def ply_cuts(samples):
    ply = os.path.join(samples, "table_mug_stereo_cc_ascii.ply")
    with open(ply, "rb") as f:
        data = f.read()
    end = data.index(b"end_header\n") + len(b"end_header\n")
    header, body = data[:end], data[end:].split(b"\n")
    cut = header.replace(b"element vertex 19404", b"element vertex 30") + b"\n".join(body[:30]) + b"\n"
    truncated = header + b"\n".join(body[:30]) + b"\n" + body[30][:9]
    binary_header = header.replace(b"format ascii 1.0", b"format binary_little_endian 1.0")
    binary_header = binary_header.replace(b"element vertex 19404", b"element vertex 3")
    binary = binary_header + b"".join(
        struct.pack("<fffBBB", -0.38 + i * 0.01, -0.44, 2.02, 67, 67, 62) for i in range(3))
    # A mesh of another writer: a camera and faces declared before the vertices, TABs, CR LF.
    faces = b"element camera 1\nproperty float view_px\nelement face 2\n" \
            b"property list uchar int vertex_indices\nelement vertex 30"
    mesh = header.replace(b"element vertex 19404", faces) + b"0.5\n3 0 1 2\n3 2 1 0\n" + \
        b"\n".join(body[:30]) + b"\n"
    mesh = mesh[:end + len(faces) - len(b"element vertex 19404")] + \
        mesh[end + len(faces) - len(b"element vertex 19404"):].replace(b" ", b"\t")
    cuts = {
        "mug_ascii_30.ply": cut,
        "mug_ascii_truncated.ply": truncated,
        "mug_header_only.ply": header.replace(b"element vertex 19404", b"element vertex 0"),
        "mug_binary_le_3.ply": binary,
        "mug_faces_first_tabs_crlf.ply": mesh.replace(b"\n", b"\r\n"),
        "mug_ends_in_faces.ply": mesh[:end + len(faces) - len(b"element vertex 19404") + 10],
        "mug_ushort_colours.ply": cut.replace(b"property uchar", b"property ushort"),
    }
    for name, data in cuts.items():
        write("ply", name, data)
    return cuts


def ptx_cuts(samples):
    ptx = os.path.join(samples, "table_mug_stereo_rz30_crlf.ptx")
    with open(ptx, "rb") as f:
        lines = f.read().split(b"\r\n")
    header = lines[2:10]
    # Rows 60 to 64 of the scan hold real points; 8 columns of 5 rows is one small scan.
    points = lines[10 + 160 * 60:10 + 160 * 60 + 40]
    scan = b"\r\n".join([b"8", b"5"] + header + points) + b"\r\n"
    cuts = {
        "mug_rz30_8x5.ptx": scan,
        "mug_rz30_two_scans.ptx": scan + scan,
        "mug_rz30_truncated.ptx": b"\r\n".join([b"8", b"5"] + header + points[:17]) + b"\r\n" +
                                  points[17][:7],
        "mug_rz30_header_cut.ptx": b"\r\n".join([b"160", b"120"] + header[:5]) + b"\r\n",
        "mug_rz30_lf.ptx": scan.replace(b"\r\n", b"\n"),
        # Registered at survey coordinates: the translation of a georeferenced scan.
        "mug_rz30_8x5_site.ptx": b"\r\n".join([b"8", b"5"] + header[:7] + [b"35000.125 -120000.5 45.6 1"] +
                                               points) + b"\r\n",
    }
    for name, data in cuts.items():
        write("ptx", name, data)
    return cuts


def malformed():
    rng = random.Random(13)
    good = b"1.5 -2.25 0.125 255 128 0\n"
    cases = {
        "empty": b"",
        "binary": bytes(rng.randrange(256) for _ in range(600)),
        "utf16le_bom.txt": "\ufeff1.5 -2.25 0.125 255 128 0\r\n2 3 4 5 6 7\r\n".encode("utf-16-le"),
        "utf16be.txt": "1.5 -2.25 0.125 255 128 0\n".encode("utf-16-be"),
        "commas.txt": b"1.5,-2.25,0.125,255,128,0\n2,3,4,5,6,7\n",
        "semicolons.txt": b"1.5;-2.25;0.125;255;128;0\n",
        "three_columns.txt": b"1.5 -2.25 0.125\n2 3 4\n5 6 7\n",
        "seven_columns.txt": b"1.5 -2.25 0.125 255 128 0 0.5\n",
        "header_line.txt": b"//X Y Z R G B\n" + good * 3,
        "header_line_crlf_tab.txt": b"X\tY\tZ\tR\tG\tB\r\n" + good.replace(b" ", b"\t").replace(b"\n", b"\r\n") * 3,
        "nan_inf.txt": b"nan 1 2 3 4 5\ninf -inf 1 2 3 4\n1 2 3 NaN 0 0\n1 2 3 0 0 Infinity\n",
        "huge_numbers.txt": b"1e39 1e309 -1e400 255 0 0\n99999999999999999999 1 2 3 4 5\n"
                            b"1 2 3 1e300 0 0\n1 2 3 99999999999 0 0\n",
        "tiny_numbers.txt": b"1e-50 -1e-320 4.9e-324 0 0 0\n",
        "colours_out_of_range.txt": b"1 2 3 300 0 0\n1 2 3 -1 0 0\n1 2 3 12.7 0.5 255.9\n",
        "nul_bytes.txt": good + b"1.5 \x00-2 0 1 2 3\n" + b"\x00" * 20 + b"\n" + good,
        "very_long_line.txt": good + b"1" * 12000 + b" 2 3 4 5 6\n" + good,
        "very_long_blanks.txt": b" " * 11000 + b"\n" + good,
        "crlf_lf_mixed.txt": good + good.replace(b"\n", b"\r\n") + good + b"1\t2\t3\t4\t5\t6\r\n",
        "crlf_late.txt": good * 420 + good.replace(b"\n", b"\r\n") * 2,
        "lone_cr.txt": good.replace(b"\n", b"\r") * 3,
        "bom_joined_line_ends.txt": b"\xef\xbb\xbf" + good.replace(b"\n", b"\r\n") * 2 + good * 3 +
                                    good.replace(b"\n", b"\r") + good.replace(b"\n", b"\r\n"),
        "empty_lines.txt": b"\n\n" + good + b"\n\n" + good,
        "leading_blanks.txt": b"  1 2 3 4 5 6\n 1 2 3 4 5 6\n",
        "double_blanks.txt": b"1  2 3 4 5 6\n1 2 3 4 5  6\n",
        "trailing_blank.txt": b"1 2 3 4 5 6 \n1 2 3 4 5 6  \n",
        "tab_lf.txt": b"1\t2\t3\t4\t5\t6\n",
        "dots_and_signs.txt": b". 1 2 3 4 5\n+ - E 0 0 0\n1 2 3 . 0 0\n",
        "lisp_in_field.txt": b"1 2 3)(command \"erase\" 4 5 6\n\"1\" 2 3 4 5 6\n",
        "cp932_text.txt": cp932("点群 1 2 3 4 5\n") + good,
        "only_newlines.txt": b"\n" * 30,
        "only_crlf.txt": b"\r\n" * 30,
    }
    for name, data in cases.items():
        write("malformed", name, data)
    return cases


def conversion_header(step, interval, flags, layer, name):
    layer = layer.encode("utf-8") if isinstance(layer, str) else layer
    name = name.encode("utf-8") if isinstance(name, str) else name
    return bytes([step, interval, flags, len(layer)]) + layer + bytes([len(name)]) + name


def conversion(texts):
    # step byte: b < 224 gives 1 + b % 4; flags: bits 0-1 unit (m, mm, m, ""), bit 2 zoom.
    plain = conversion_header(0, 0, 0, "0", "scan")
    for name, data in texts.items():
        write("conversion", "m_step1_" + name, plain + data)
    options = [
        ("mm_step3_zoom", conversion_header(2, 0, 1 | 4, "点群 レイヤー", "スキャン 1")),
        ("m_step2_quote_layer", conversion_header(1, 0, 0, 'a"b\\c', 'it"s a scan')),
        ("m_step1_line_break_layer", conversion_header(0, 0, 0, "x\r\n(command \"erase\")", "a\rb\nc")),
        ("m_step1_trail_5c_layer", conversion_header(0, 0, 0, "表ソ\\", "表ソ")),
        ("m_step1_not_cp932_layer", conversion_header(0, 0, 0, "ü€😀¥", "é")),
        ("empty_unit_step4", conversion_header(3, 0, 3, "Wall", "w")),
        ("m_step1024", conversion_header(255, 0, 0, "0", "big step")),
        ("m_step1_invalid_utf8_layer", conversion_header(0, 0, 0, b"\xff\xfe\x81\x5c", b"\xe3\x81")),
    ]
    if "mug_lf_head40_site.txt" in texts:
        write("conversion", "mm_step1_site.txt",
              conversion_header(0, 10, 1, "0", "site") + texts["mug_lf_head40_site.txt"])
    mixed = texts["mug_lf_head60.txt"] if "mug_lf_head60.txt" in texts else b""
    for label, header in options:
        write("conversion", label + ".txt", header + mixed)


def laydat():
    cases = {
        "plain.dat": cp932("0\r\n壁\r\n床\r\n"),
        "commas.dat": cp932("Wall, Floor,,Roof\r\n"),
        "quotes.dat": cp932('"A,B" junk,"unterminated, to the end'),
        "line_ends_mixed.dat": cp932("a\nb\rc\r\n\r\nd"),
        "full_width.dat": cp932("ＴａｒｇｅｔＸ\r\nｐｉｐｅ\r\nＣＥＮＴＥＲＬＩＮＥ\r\nsagyou\r\n"),
        "katakana.dat": cp932("パイプ\r\nガッコウ・ヴー\r\nヲンヴ\r\n"),
        "trail_5c.dat": cp932("表\r\nソ\\\r\n能\r\n"),
        "blanks.dat": cp932("  a b  ,\tc\t\r\n\"  x  \"\r\n"),
        "empty.dat": b"",
        "only_separators.dat": b",,,\r\n\r\n,",
        "utf16.dat": "壁\r\n床\r\n".encode("utf-16"),
        "binary.dat": bytes(random.Random(4).randrange(256) for _ in range(300)),
        "invalid_cp932.dat": b"\x81\r\n\xa0\xff\r\n\x82",
        "long_item.dat": b"L" * 3000 + b"\r\nshort\r\n",
    }
    for name, data in cases.items():
        write("laydat", name, bytes([0]) + data)
        write("laydat", "pick_last_" + name, bytes([255]) + data)


def settings():
    def seed(values, exe, main, text, command, delay):
        out = b""
        for v in list(values) + [exe, main, text, command]:
            v = v if isinstance(v, bytes) else cp932(v)
            out += bytes([len(v)]) + v
        return out + delay

    standin = ["standin_cad", "StandIn Command Line", "StandInCAD", "SIC Text Window",
               "101", "201", "102", "202"]
    found = ("standin_cad.exe", "StandInCAD - [Drawing1.dwg]", "SIC Text Window",
             "StandIn Command Line")
    delays = {
        "5": b"5\r\n", "20": b"20", "negative": b"-3\r\n", "zero": b"0\r\n",
        "too_big": b"32768\r\n", "max": b"32767", "half_even": b"2.5\r\n",
        "exponent": b"1e3\r\n", "words": b"abc\r\n", "empty": b"", "blank_line": b"\r\n5\r\n",
        "blanks_around": b"  7  \r\n", "hex": b"&H10\r\n", "utf16": "5\r\n".encode("utf-16"),
        "nul": b"5\x00\r\n", "two_numbers": b"5 6\r\n", "lf_only": b"9\n8\n",
    }
    for name, delay in delays.items():
        write("settings", "found_delay_" + name, seed(standin, *found, delay))
    write("settings", "not_running", seed(standin, "other.exe", "Other", "x", "y", b"5\r\n"))
    write("settings", "japanese_names",
          seed(["作図", "コマンド ライン", "作図 CAD", "文字", "1", "2", "3", "4"],
               "作図.exe", "作図 CAD - [図面１.dwg]", "文字 ウィンドウ", "コマンド ライン", b"5"))
    write("settings", "empty_values", seed([""] * 8, ".exe", "x", "", "", b"5"))
    write("settings", "defaults", seed(["???"] * 4 + ["0"] * 4, "???.exe", "??? - [a]", "???",
                                       "???", b"5"))
    write("settings", "long_value", seed(["c" * 255, "C" * 255, "M" * 255, "T" * 255,
                                          "99999999999", "-1e10", "&HFFFF", "2.5"],
                                         "c" * 64, "M" * 64, "T" * 64, "C" * 64, b"5"))
    write("settings", "path_in_exe", seed(standin, "D:standin_cad.tool.exe", found[1], found[2],
                                          found[3], b"5"))
    write("settings", "caption_without_dash", seed(standin, found[0], "StandInCAD", "", found[3],
                                                   b"5"))


def lisp():
    pasted = '\x1b(setvar "cmdecho" 0)\r\n(prompt "実行中です。　お待ちください。")\r\n'
    cases = {
        "pasted_lines.lsp": pasted + "(princ)\r\n",
        "nested.lsp": "(setq a (list 1 2 (list 3 (list 4.5 \"x\")) '(5 . 6)))\r\n(car (cdr a))\r\n",
        "unterminated_string.lsp": "(princ \"never closed)\r\n",
        "extra_paren.lsp": "(princ))\r\n)\r\n",
        "dotted.lsp": "'(1 . 2 . 3)\r\n'( . 1)\r\n'(1 .)\r\n(setq x '(0 . \"POINT\"))\r\n",
        "escapes.lsp": "(princ \"\\101\\e\\t\\\\\\\"\\n\")\r\n",
        "deep.lsp": "(" * 3000 + ")" * 3000 + "\r\n",
        "block_comment.lsp": ";| a comment\r\n(still) |; (princ 1) ; line comment\r\n",
        "numbers.lsp": "(list 2147483648 -2147483649 1e400 .5 5. -.5e-3 +7 1e 1.2.3)\r\n",
        "entmake.lsp": "(entmake '((0 . \"POINT\")(10 1 2 3)(420 . 16744448)))\r\n"
                       "(entmake '((0 . \"POINT\")(10 1 2)(420 . 19660800)))\r\n"
                       "(entmake '((0 . \"POINT\")(10 1e308 -1e308 1e-308)(8 . \"L\")))\r\n",
        "layers.lsp": "(command \".layer\" \"m\" \"A\" \"t\" \"A\" \"f\" \"A\" \"\")\r\n"
                      "(tblsearch \"LAYER\" \"a\")\r\n(command \"-layer\" \"m\")\r\n",
        "ucs_zoom.lsp": "(command \".UCS\" \"3\" '(0 0 0) '(1 0 0) '(0 1 0))\r\n"
                        "(command \".UCS\" \"3\" '(0 0 0) '(0 0 0) '(0 0 0))\r\n"
                        "(command \".zoom\" \"e\")\r\n(command \"useri1\" \"1000\" )\r\n",
        "recursion.lsp": "(defun f () (f))\r\n(f)\r\n(defun g (x) (g x) (g x))\r\n(g 1)\r\n",
        "load_self.lsp": "(load \"ent_go1\")\r\n",
        "getpoint.lsp": "(getpoint \"\\n1-続けて\")\r\n",
        "mapcar.lsp": "(mapcar '(lambda (x) (trans x 1 0)) '((1.0 0 0) (0 1.0 0)))\r\n"
                      "(foreach n '(1 2 3) (princ n))\r\n(assoc 70 '((70 . 1)))\r\n",
    }
    for name, text in cases.items():
        write("lisp", "typed_" + name, b"\x00" + text.encode("utf-8"))
        write("lisp", "loaded_" + name, b"\x01" + cp932(text) if all(ord(c) < 0x10000 for c in text)
              else b"\x01" + text.encode("utf-8"))


def generated_scripts(folder):
    for run in sorted(os.listdir(folder)):
        for name in sorted(os.listdir(os.path.join(folder, run))):
            with open(os.path.join(folder, run, name), "rb") as f:
                data = f.read()
            seed = "generated_%s_%s" % (run, name)
            write("lisp", "loaded_" + seed, b"\x01" + data)
            write("lisp", "typed_" + seed, b"\x00" + data.decode("cp932").encode("utf-8"))


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    samples = sys.argv[1]
    texts = text_cuts(samples)
    plys = ply_cuts(samples)
    ptxs = ptx_cuts(samples)
    bad = malformed()
    everything = {}
    everything.update(texts)
    everything.update({"malformed_" + k: v for k, v in bad.items()})
    everything.update({"ply_" + k: v for k, v in plys.items()})
    everything.update({"ptx_" + k: v for k, v in ptxs.items()})
    conversion(everything)
    laydat()
    settings()
    lisp()
    if len(sys.argv) == 3:
        generated_scripts(sys.argv[2])


if __name__ == "__main__":
    main()
