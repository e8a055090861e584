"""A small reader for the parts of a PE image (Windows .exe) that the tests
check: the header fields, the import tables and the resource tree."""

import struct

MACHINE_I386 = 0x14C
MACHINE_AMD64 = 0x8664

RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, section_count, _, _, _, optional_size, _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        if magic not in (0x10B, 0x20B):
            raise ValueError("unknown optional header magic %#x" % magic)
        self.is_64 = magic == 0x20B
        self.os_version = struct.unpack_from("<HH", data, optional + 40)
        self.subsystem_version = struct.unpack_from("<HH", data, optional + 48)
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (112 if self.is_64 else 96)
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(count)]
        self.sections = []
        table = optional + optional_size
        for i in range(section_count):
            _, vsize, vaddr, raw_size, raw_pointer = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, raw_size), raw_pointer, raw_size))

    # ---- addresses -----------------------------------------------------------

    def offset(self, rva):
        for vaddr, size, raw_pointer, raw_size in self.sections:
            if vaddr <= rva < vaddr + size:
                if rva - vaddr >= raw_size:
                    raise ValueError("RVA %#x lies in uninitialised data" % rva)
                return raw_pointer + rva - vaddr
        raise ValueError("RVA %#x is in no section" % rva)

    def c_string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    # ---- imports ---------------------------------------------------------------

    def _thunk_names(self, rva):
        width, ordinal_flag = (8, 1 << 63) if self.is_64 else (4, 1 << 31)
        names = []
        position = self.offset(rva)
        while True:
            value = int.from_bytes(self.data[position:position + width], "little")
            if value == 0:
                return names
            names.append("#%d" % (value & 0xFFFF) if value & ordinal_flag else self.c_string(value + 2))
            position += width

    def imports(self):
        """{dll name: [function names]} of the load-time import table."""
        rva, _ = self.directory(1)
        result = {}
        if not rva:
            return result
        position = self.offset(rva)
        while True:
            lookup, _, _, name, first_thunk = struct.unpack_from("<IIIII", self.data, position)
            if (lookup, name, first_thunk) == (0, 0, 0):
                return result
            result.setdefault(self.c_string(name), []).extend(self._thunk_names(lookup or first_thunk))
            position += 20

    # ---- resources ---------------------------------------------------------------

    def resources(self):
        """[(type, name, language, bytes)] in the directory's own order (named
        entries before numbered ones, each in ascending order)."""
        rva, _ = self.directory(2)
        if not rva:
            return []
        base = self.offset(rva)
        found = []

        def entry_id(value):
            if value & 0x80000000:
                at = base + (value & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, at)[0]
                return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            return value

        def walk(at, path):
            named, numbered = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                here = path + [entry_id(ident)]
                if target & 0x80000000:
                    walk(base + (target & 0x7FFFFFFF), here)
                else:
                    data_rva, size, _, _ = struct.unpack_from("<IIII", self.data, base + target)
                    start = self.offset(data_rva)
                    found.append((*here, self.data[start:start + size]))

        walk(base, [])
        return found


# ---- VS_VERSIONINFO ------------------------------------------------------------

def _align4(value):
    return (value + 3) & ~3


def parse_version_node(data, at=0):
    """(key, value, children, end) of one node of a version resource. A text
    value is a str without its NUL; a binary value is bytes."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_start = at + 6
    key_end = key_start
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    position = _align4(key_end + 2)
    if value_type == 1:  # text: the length counts UTF-16 units
        raw = data[position:position + 2 * value_length]
        value = raw.decode("utf-16-le").split("\0", 1)[0]
        position += 2 * value_length
    else:
        value = data[position:position + value_length]
        position += value_length
    children = []
    position = _align4(position)
    while position < end:
        child = parse_version_node(data, position)
        children.append(child[:3])
        position = _align4(child[3])
    return key, value, children, end


def icon_file_images(data):
    """The images of an .ico file, in directory order."""
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1:
        raise ValueError("not an icon file")
    images = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        images.append(data[offset:offset + size])
    return images


def group_icon_ids(data):
    """The RT_ICON ids a GRPICONDIR names, in its order."""
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1:
        raise ValueError("not an icon group")
    return [struct.unpack_from("<H", data, 6 + 14 * i + 12)[0] for i in range(count)]
