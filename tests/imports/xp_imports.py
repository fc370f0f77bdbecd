#!/usr/bin/env python3
"""Does a Windows program start on Windows XP SP3? Reads its PE header and import tables.

    xp_imports.py PROGRAM LISTS [--expect TEXT ...]

LISTS is a folder with one file per system DLL (kernel32.txt, ...), one name that Windows XP
SP3 exports per line. A finding is: an imported function missing from its DLL's list, a
function imported by ordinal (the lists hold names only), a DLL that has no list (a new system
DLL is a decision to make on purpose), or a header that asks for a Windows newer than XP
(operating-system or subsystem version above 5.1). The delay-loaded imports count as well:
they fail when first called instead of at start. The manifest (RT_MANIFEST 1) is read too:
missing, not well-formed XML, or without asInvoker, the five supportedOS entries (Vista to
10/11) or the DPI awareness in both forms (dpiAware "true/pm", dpiAwareness per-monitor first)
is a finding. XP ignores a manifest; later systems shim, virtualise or stretch a program
without one.

Without --expect it exits 0 when there is no finding and 1 naming each one. With --expect
(the check of the check) it exits 0 only when there are findings and each TEXT is in one
(letter case aside).
A file that is not a readable PE image is a finding of its own, never a crash.
"""
import os
import struct
import sys
import xml.etree.ElementTree as ET

XP = (5, 1)


class Malformed(Exception):
    pass


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise Malformed("not a Windows program (no MZ header)")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise Malformed("no PE header")
        self.sections_count = self.u16(pe + 6)
        opt_size = self.u16(pe + 20)
        opt = pe + 24
        magic = self.u16(opt)
        if magic not in (0x10B, 0x20B):
            raise Malformed("unknown optional header 0x%x" % magic)
        self.wide = magic == 0x20B
        self.image_base = self.u64(opt + 24) if self.wide else self.u32(opt + 28)
        self.os_version = (self.u16(opt + 40), self.u16(opt + 42))
        self.subsystem_version = (self.u16(opt + 48), self.u16(opt + 50))
        dirs = opt + (112 if self.wide else 96)
        count = self.u32(dirs - 4)
        self.directories = [(self.u32(dirs + 8 * i), self.u32(dirs + 8 * i + 4)) for i in range(min(count, 16))]
        first = opt + opt_size
        self.sections = []
        for i in range(self.sections_count):
            s = first + 40 * i
            vsize, va, raw_size, raw = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((va, max(vsize, raw_size), raw, raw_size))

    def u16(self, at):
        return self.unpack("<H", at)

    def u32(self, at):
        return self.unpack("<I", at)

    def u64(self, at):
        return self.unpack("<Q", at)

    def unpack(self, fmt, at):
        if at < 0 or at + struct.calcsize(fmt) > len(self.data):
            raise Malformed("a table points outside the file")
        return struct.unpack_from(fmt, self.data, at)[0]

    def offset(self, rva):
        for va, size, raw, raw_size in self.sections:
            if va <= rva < va + size and rva - va < raw_size:
                return raw + rva - va
        raise Malformed("address 0x%x is in no section" % rva)

    def string(self, rva):
        at = self.offset(rva)
        end = self.data.find(b"\0", at, at + 512)
        if end < 0:
            raise Malformed("a name runs on past 512 bytes")
        return self.data[at:end].decode("ascii", "replace")

    def thunks(self, rva):
        """The names (or '#ordinal') a lookup table lists."""
        size, flag = (8, 1 << 63) if self.wide else (4, 1 << 31)
        names = []
        while True:
            at = self.offset(rva)
            v = self.u64(at) if self.wide else self.u32(at)
            if v == 0:
                return names
            names.append("#%d" % (v & 0xFFFF) if v & flag else self.string((v & 0x7FFFFFFF) + 2))
            rva += size
            if len(names) > 100000:
                raise Malformed("a lookup table does not end")

    def imports(self):
        """(dll, function) for every import, the delay-loaded ones too."""
        found = []
        if len(self.directories) > 1 and self.directories[1][0]:
            rva = self.directories[1][0]
            while True:
                lookup, _, _, name, iat = struct.unpack_from("<IIIII", self.data, self.offset(rva))
                if not (lookup or name or iat):
                    break
                dll = self.string(name)
                found += [(dll, f) for f in self.thunks(lookup or iat)]
                rva += 20
        if len(self.directories) > 13 and self.directories[13][0]:
            rva = self.directories[13][0]
            while True:
                attrs, name, _, _, lookup = struct.unpack_from("<IIIII", self.data, self.offset(rva))
                if not name:
                    break
                # Old-style descriptors hold addresses instead of offsets from the image base.
                base = 0 if attrs & 1 else self.image_base
                dll = self.string(name - base)
                found += [(dll, f) for f in self.thunks(lookup - base)]
                rva += 32
        return found


    def resource(self, type_id, name_id):
        """The bytes of resource type_id/name_id in its first language, or None when missing."""
        if len(self.directories) < 3 or not self.directories[2][0]:
            return None
        root = self.offset(self.directories[2][0])
        table = root
        for wanted in (type_id, name_id, None):  # type, name, then the first language
            count = self.u16(table + 12) + self.u16(table + 14)
            entries = [struct.unpack_from("<II", self.data, table + 16 + 8 * i) for i in range(count)]
            target = next((t for k, t in entries if wanted is None or k == wanted), None)
            if target is None:
                return None
            table = root + (target & 0x7FFFFFFF)
        rva, size = struct.unpack_from("<II", self.data, table)
        at = self.offset(rva)
        return self.data[at:at + size]


SUPPORTED_OS = {"Vista": "e2011457-1546-43c5-a5fe-008deee3d3f0", "7": "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                "8": "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "8.1": "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                "10/11": "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}


def manifest_findings(image):
    data = image.resource(24, 1)
    if data is None:
        return ["no manifest (RT_MANIFEST 1)"]
    try:
        root = ET.fromstring(data)
    except ET.ParseError as e:
        return ["the manifest is not well-formed XML: %s" % e]
    found = {}
    for e in root.iter():
        found.setdefault(e.tag.rsplit("}", 1)[-1], []).append(e)
    texts = lambda tag: [(e.text or "").replace(" ", "").lower() for e in found.get(tag, [])]
    out = []
    if [e.get("level") for e in found.get("requestedExecutionLevel", [])] != ["asInvoker"]:
        out.append("the manifest's requestedExecutionLevel is not asInvoker")
    ids = set((e.get("Id") or "").strip("{}").lower() for e in found.get("supportedOS", []))
    out += ["the manifest does not name Windows %s in supportedOS" % s for s, g in SUPPORTED_OS.items() if g not in ids]
    if texts("dpiAware") != ["true/pm"]:
        out.append("the manifest's dpiAware is %s, not true/pm" % texts("dpiAware"))
    if texts("dpiAwareness") not in (["permonitorv2,permonitor"], ["permonitor"]):
        out.append("the manifest's dpiAwareness does not ask for per-monitor awareness")
    return out


def findings(program, lists):
    try:
        with open(program, "rb") as f:
            image = Image(f.read())
        imports = image.imports()
        out = manifest_findings(image)
    except (OSError, Malformed, struct.error) as e:
        return ["%s: %s" % (program, e)], None
    for what, version in (("operating-system", image.os_version), ("subsystem", image.subsystem_version)):
        if version > XP:
            out.append("the header asks for %s version %d.%d; Windows XP is 5.1" % ((what,) + version))
    known = {}
    for dll, function in imports:
        key = dll.lower()
        if key not in known:
            path = os.path.join(lists, key[:-4] + ".txt" if key.endswith(".dll") else key + ".txt")
            try:
                with open(path) as f:
                    known[key] = set(line.strip() for line in f if line.strip())
            except OSError:
                known[key] = None
                out.append("%s: no list of what Windows XP SP3 exports from it" % dll)
        names = known[key]
        if names is None:
            continue
        if function.startswith("#"):
            out.append("%s!%s: imported by ordinal, which the XP lists cannot vouch for" % (dll, function))
        elif function not in names:
            out.append("%s!%s: not exported by Windows XP SP3" % (dll, function))
    dlls = sorted(set(d for d, _ in imports), key=str.lower)
    summary = "%d imports from %d DLLs (%s); operating-system version %d.%d, subsystem version %d.%d" % (
        (len(imports), len(dlls), ", ".join(dlls)) + image.os_version + image.subsystem_version)
    return out, summary


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip())
        return 2
    program, lists = argv[1], argv[2]
    expect = argv[argv.index("--expect") + 1:] if "--expect" in argv else None
    out, summary = findings(program, lists)
    name = os.path.basename(program)
    if summary:
        print("%s: %s" % (name, summary))
    for line in out:
        print("  " + line)
    if expect is None:
        if out:
            print("%s would not start on Windows XP SP3, or its manifest falls short: %d finding(s)" % (name, len(out)))
            return 1
        print("%s: every import is exported by Windows XP SP3, the header asks for no newer system, the manifest has its keys" % name)
        return 0
    missed = [t for t in expect if not any(t.lower() in line.lower() for line in out)]
    for t in missed:
        print("  the check did not report: %s" % t)
    return 1 if missed or not out else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
