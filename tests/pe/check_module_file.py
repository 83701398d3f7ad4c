#!/usr/bin/env python3
"""Checks a built .8bf file the way a host sees it, straight from the PE file:
the machine type, the export directory (name "KITEWORK.8bf", ENTRYPOINT at ordinal 1,
DissolveProc at ordinal 2), the imports (no MinGW runtime DLLs), and every byte of the
PIPL resource 16000.

usage: check_module_file.py MODULE.8bf x64|x86
"""
import struct
import sys


def pipl_expected(arch):
    """The property list as hosts expect it, built from its layout."""
    def code(s):
        return struct.unpack('>I', s.encode('ascii'))[0]

    def prop(key, data):
        padded = data + b'\0' * (-len(data) % 4)
        return struct.pack('<IIii', code('8BIM'), code(key), 0, len(padded)) + padded

    entry_key = '8664' if arch == 'x64' else 'wx86'
    fici = bytes([1, 1, 0, 0]) * 3 + bytes(4) * 2 + bytes([1, 1, 0, 0]) * 2
    props = [
        prop('kind', struct.pack('<I', code('8BFM'))),
        # The name's length byte counts its terminating zero; the category's does not.
        prop('name', bytes([13]) + b'Radiantix...' + b'\0'),
        prop('catg', bytes([12]) + b'Tallow Forge'),
        prop('vers', struct.pack('<I', 0x00040000)),
        prop(entry_key, b'ENTRYPOINT\0\0'),
        prop('mode', bytes([0x50, 0x30, 0, 0])),  # grey, RGB; Gray16, RGB48
        prop('fici', fici),
    ]
    return struct.pack('<hii', 1, 0, len(props)) + b''.join(props)


class PE:
    def __init__(self, blob):
        self.b = blob
        if blob[:2] != b'MZ':
            raise ValueError('not an MZ file')
        pe = struct.unpack_from('<I', blob, 0x3C)[0]
        if blob[pe:pe + 4] != b'PE\0\0':
            raise ValueError('no PE signature')
        self.machine, nsect = struct.unpack_from('<HH', blob, pe + 4)
        opt_size = struct.unpack_from('<H', blob, pe + 20)[0]
        opt = pe + 24
        magic = struct.unpack_from('<H', blob, opt)[0]
        dirs = opt + (96 if magic == 0x10B else 112)
        ndirs = struct.unpack_from('<I', blob, dirs - 4)[0]
        self.dirs = [struct.unpack_from('<II', blob, dirs + 8 * i) for i in range(ndirs)]
        # Each section's virtual size, address, raw size and file offset.
        self.sections = [struct.unpack_from('<IIII', blob, opt + opt_size + 40 * i + 8)
                         for i in range(nsect)]

    def off(self, rva):
        for vsize, va, rawsize, rawptr in self.sections:
            if va <= rva < va + max(vsize, rawsize):
                if rva - va >= rawsize:
                    raise ValueError('RVA %#x lies in uninitialised data' % rva)
                return rawptr + rva - va
        raise ValueError('RVA %#x outside every section' % rva)

    def u16(self, rva):
        return struct.unpack_from('<H', self.b, self.off(rva))[0]

    def u32(self, rva):
        return struct.unpack_from('<I', self.b, self.off(rva))[0]

    def cstr(self, rva):
        o = self.off(rva)
        return self.b[o:self.b.index(b'\0', o)].decode('latin-1')

    def exports(self):
        rva, size = self.dirs[0]
        if not rva:
            raise ValueError('no export directory')
        name = self.cstr(self.u32(rva + 12))
        base, nfunc, nnames, _, names, ords = struct.unpack_from('<6I', self.b, self.off(rva + 16))
        # Each exported name with its ordinal.
        table = {self.cstr(self.u32(names + 4 * i)): base + self.u16(ords + 2 * i)
                 for i in range(nnames)}
        return name, nfunc, table

    def imports(self):
        rva, dlls = self.dirs[1][0], []
        while rva and self.u32(rva + 12):  # descriptors up to the one without a name
            dlls.append(self.cstr(self.u32(rva + 12)))
            rva += 20
        return dlls

    def resource(self, type_name, res_id):
        root, _ = self.dirs[2]
        if not root:
            raise ValueError('no resource directory')

        def entries(d):
            named, ids = self.u16(root + d + 12), self.u16(root + d + 14)
            for i in range(named + ids):
                e = root + d + 16 + 8 * i
                yield self.u32(e), self.u32(e + 4)

        def name_of(key):
            if not key & 0x80000000:
                return key
            o = self.off(root + (key & 0x7FFFFFFF))
            n = struct.unpack_from('<H', self.b, o)[0]
            return self.b[o + 2:o + 2 + 2 * n].decode('utf-16-le')

        def subdirs(d, name):
            for key, val in entries(d):
                if name_of(key) == name and val & 0x80000000:
                    yield val & 0x7FFFFFFF

        found = []
        for types in subdirs(0, type_name):
            for ids in subdirs(types, res_id):
                for _, leaf in entries(ids):
                    o = self.off(self.u32(root + leaf))
                    found.append(self.b[o:o + self.u32(root + leaf + 4)])
        return found


def check(path, arch):
    errors = []
    with open(path, 'rb') as f:
        pe = PE(f.read())

    want_machine = 0x8664 if arch == 'x64' else 0x14C
    if pe.machine != want_machine:
        errors.append('machine %#x, expected %#x' % (pe.machine, want_machine))

    name, nfunc, table = pe.exports()
    if name != 'KITEWORK.8bf':
        errors.append('export directory names %r, expected "KITEWORK.8bf"' % name)
    if table != {'ENTRYPOINT': 1, 'DissolveProc': 2} or nfunc != 2:
        errors.append('exports %d functions, by name and ordinal %s; expected exactly '
                      'ENTRYPOINT at 1 and DissolveProc at 2' % (nfunc, sorted(table.items())))

    runtime = [d for d in pe.imports()
               if d.lower().startswith(('libgcc', 'libstdc++', 'libwinpthread'))]
    if runtime:
        errors.append('needs MinGW runtime DLLs: %s' % ', '.join(runtime))

    pipls = pe.resource('PIPL', 16000)
    expected = pipl_expected(arch)
    if pipls != [expected]:
        errors.append('PIPL 16000 resources %s, expected exactly one:\n  %s'
                      % ([p.hex() for p in pipls], expected.hex()))
    return errors


def main(argv):
    if len(argv) != 3 or argv[2] not in ('x64', 'x86'):
        print(__doc__, file=sys.stderr)
        return 2
    try:
        errors = check(argv[1], argv[2])
    except (OSError, ValueError, struct.error) as e:
        errors = ['cannot read %s: %s' % (argv[1], e)]
    for e in errors:
        print('FAIL: ' + e)
    if not errors:
        print('%s: exports, imports and PIPL 16000 (%d bytes) check out'
              % (argv[1], len(pipl_expected(argv[2]))))
    return 1 if errors else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
