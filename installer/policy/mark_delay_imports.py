#!/usr/bin/env python3
"""Fills in (or checks) the delay-import entry of a PE image's data directory.

GNU ld lays out the delay-import descriptors that dlltool's delay libraries
carry (one 32-byte record per library, kept in sorted order and followed by the
zero record of installer/delay_load_table_end.cpp) but leaves data directory
entry 13 empty. This finds the descriptor run by the library names it refers to
and records its place and size, terminator included.

usage: mark_delay_imports.py [--check] IMAGE DLL...
"""
import struct
import sys

DELAY_IMPORT_ENTRY = 13
RECORD = 32


def load(path):
    with open(path, 'rb') as f:
        return bytearray(f.read())


def headers(img):
    pe = struct.unpack_from('<I', img, 0x3C)[0]
    if img[pe:pe + 4] != b'PE\0\0':
        raise SystemExit('not a PE image')
    nsect = struct.unpack_from('<H', img, pe + 6)[0]
    optsize = struct.unpack_from('<H', img, pe + 20)[0]
    opt = pe + 24
    magic = struct.unpack_from('<H', img, opt)[0]
    datadir = opt + (112 if magic == 0x20B else 96)
    sections = []
    for i in range(nsect):
        s = opt + optsize + 40 * i
        vsize, va, rawsize, rawptr = struct.unpack_from('<IIII', img, s + 8)
        sections.append((va, max(vsize, rawsize), rawptr, rawsize))
    return datadir, sections


def rva_to_off(sections, rva):
    for va, size, rawptr, rawsize in sections:
        if va <= rva < va + size and rva - va < rawsize:
            return rawptr + rva - va
    return None


def cstr(img, sections, rva):
    off = rva_to_off(sections, rva)
    if off is None:
        return None
    end = img.find(b'\0', off, off + 261)
    return None if end < 0 else img[off:end].decode('latin-1')


def descriptor_dll(img, sections, off):
    attrs, name_rva = struct.unpack_from('<II', img, off)
    if attrs != 1 or name_rva == 0:
        return None
    return cstr(img, sections, name_rva)


def find_run(img, sections, names):
    wanted = {n.lower() for n in names}
    for va, size, rawptr, rawsize in sections:
        off = rawptr
        while off + RECORD <= rawptr + rawsize:
            dll = descriptor_dll(img, sections, off)
            if dll is not None and dll.lower() in wanted:
                found = []
                while True:
                    dll = descriptor_dll(img, sections, off + RECORD * len(found))
                    if dll is None:
                        break
                    found.append(dll)
                end = off + RECORD * len(found)
                if img[end:end + RECORD] != bytes(RECORD):
                    raise SystemExit('delay-import descriptors are not followed by a zero record')
                return va + off - rawptr, found
            off += 4
    raise SystemExit('no delay-import descriptors found')


def main(argv):
    check = argv and argv[0] == '--check'
    if check:
        argv = argv[1:]
    if len(argv) < 2:
        raise SystemExit(__doc__)
    path, names = argv[0], argv[1:]
    img = load(path)
    datadir, sections = headers(img)
    entry = datadir + 8 * DELAY_IMPORT_ENTRY
    if check:
        rva, size = struct.unpack_from('<II', img, entry)
        if rva == 0 or size < RECORD:
            raise SystemExit('delay-import directory is empty')
        found = []
        off = rva_to_off(sections, rva)
        while True:
            dll = descriptor_dll(img, sections, off + RECORD * len(found))
            if dll is None:
                break
            found.append(dll)
    else:
        rva, found = find_run(img, sections, names)
        struct.pack_into('<II', img, entry, rva, RECORD * (len(found) + 1))
        with open(path, 'wb') as f:
            f.write(img)
    if sorted(n.lower() for n in found) != sorted(n.lower() for n in names):
        raise SystemExit('delay-imported libraries %s, expected %s' % (found, names))
    print('delay imports of %s: %s' % (path, ', '.join(found)))


if __name__ == '__main__':
    main(sys.argv[1:])
