#!/usr/bin/env python3
"""Writes the project-file fixtures of older versions, field by field.

Each fixture is a bare "Contents" stream (a file that is not a compound file
is read as the stream itself). The values are chosen by hand and listed here;
ProjectFileTest checks that loading gives them. Run from this directory:
    python3 make_fixtures.py
"""
import struct

UPPER = [(0.0, 0.0), (0.1, 0.05), (0.3, 0.07), (0.6, 0.05), (1.0, 0.0)]
LOWER = [(0.0, 0.0), (0.1, -0.03), (0.3, -0.04), (0.6, -0.02), (1.0, 0.0)]


class Stream:
    def __init__(self):
        self.b = bytearray()

    def u32(self, v):
        self.b += struct.pack("<I", v & 0xFFFFFFFF)
        return self

    def flag(self, v):
        return self.u32(1 if v else 0)

    def f64(self, v):
        self.b += struct.pack("<d", v)
        return self

    def u16(self, v):
        self.b += struct.pack("<H", v)
        return self

    def text(self, s):
        data = s.encode("cp1252")
        assert len(data) < 255
        self.b += bytes([len(data)]) + data
        return self

    def points(self, pts):
        self.u16(len(pts))
        for x, y in pts:
            self.f64(x).f64(y)
        return self

    def section(self, basic_height, chord, name):
        # basic height (when given), chord, margins, skin, washout, X leading edge, reserved
        if basic_height is not None:
            self.f64(basic_height)
        for v in (chord, 0.0, 0.0, 0.0, 0.0, 5.0, 5.0, 10.0, 45.0, 45.0, 0.0):
            self.f64(v)
        return self.points(UPPER).points(LOWER).text(name)

    def spar(self, version, active, label, old_type):
        self.flag(active).text(label).u32(0).f64(5.0).f64(5.0).f64(3.0).f64(40.0).u32(old_type)
        if version >= 1002:
            self.u32(0).f64(3.0)
        return self


def no_version():
    # First f64 25.0: the root's basic height; one panel, no spar records.
    s = Stream().u32(0).f64(25.0)
    s.section(None, 180.0, "Ancien profil")
    s.section(40.0, 120.0, "Ancien profil")
    s.f64(0.0).u32(1).u32(800).flag(False).flag(True).flag(False)
    s.f64(0).u32(0).f64(0).u32(0)
    s.flag(False).u32(0).u32(0).u32(0).u32(0)
    s.f64(50.0).u32(1).u32(1).u32(1).u32(1).u32(0)
    s.u32(25).u32(350).flag(True)                       # offset X0, root axis offset, centred
    s.text("Poly expansé").f64(3.25)
    s.u32(1).u32(0).u32(0)                              # teMode, ignored, leMode
    s.text("Projet sans version")
    return s.b


def v1003():
    # Two panels; block position from the trailer (offset X0 12, root axis 300, not centred).
    s = Stream().u32(0).f64(1003.0).u32(2)
    for k, span in enumerate((600, 400)):
        s.flag(False).f64(0.0).flag(False).u32(0).u32(0).u32(1).u32(span).f64(50.0).flag(False)
        s.section(30.0 + k, 200.0 - 50 * k, "Profil 1003")
        s.section(30.0 + k, 200.0 - 50 * k, "Profil 1003")
        for i in range(6):
            s.spar(1003, i == 0, "Clef" if i == 0 else "Inactive", 4)  # old 4 -> 5
    s.u32(1).flag(True).u32(0).u32(0).u32(1).u32(1).u32(1).u32(1)
    s.u32(12).u32(300).flag(False)
    s.text("Dépron").f64(1.5).text("")
    return s.b


def v1005():
    # A wing panel, then a panel that is not a wing panel (leMode 2, teMode 3 stored).
    s = Stream().u32(0).f64(1005.0).u32(2)
    for k, wing in enumerate((True, False)):
        s.flag(False).f64(0.0).flag(False).u32(0).u32(2).u32(3).f64(500.0).f64(45.0).flag(False)
        s.u32(20).flag(True).u32(500).flag(wing)
        s.section(20.0, 160.0, "Profil 1005")
        s.section(20.0, 160.0, "Profil 1005")
        for i in range(6):
            s.spar(1005, False, "Inactive", 0)
    s.u32(1).flag(True).u32(0).u32(0).u32(1).u32(1).u32(1).u32(1)
    s.text("Poly extrudé").f64(2.0).text("Deux panneaux")
    return s.b


if __name__ == "__main__":
    for name, data in (("no_version.cnc", no_version()), ("v1003.cnc", v1003()),
                       ("v1005.cnc", v1005())):
        with open(name, "wb") as f:
            f.write(data)
