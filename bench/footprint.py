"""The executable's footprint, read from the file itself: its size, its sections and the DLLs
and functions it imports."""

import os
import struct

# Libraries that would mean a runtime came along; the program should need none.
RUNTIMES = ("msvcr", "msvcp", "ucrtbase", "api-ms-win-crt", "vcruntime", "libgcc", "libstdc++",
            "libwinpthread")


def read(path, system32):
    with open(path, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{path} is not a PE file")
    count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    import_rva = struct.unpack_from("<I", data, optional + 104)[0]  # data directory 1

    sections = []
    table = optional + optional_size
    for i in range(count):
        name, virtual_size, rva, raw_size, raw_offset = struct.unpack_from(
            "<8sIIII", data, table + 40 * i)
        sections.append({"name": name.rstrip(b"\0").decode(), "size": virtual_size,
                         "file_bytes": raw_size, "rva": rva, "offset": raw_offset})

    def at(rva):
        for s in sections:
            if s["rva"] <= rva < s["rva"] + max(s["size"], s["file_bytes"]):
                return rva - s["rva"] + s["offset"]
        raise ValueError(f"RVA {rva:#x} is in no section")

    def text(rva):
        start = at(rva)
        return data[start:data.index(b"\0", start)].decode()

    imports = {}
    descriptor = at(import_rva)
    while True:
        lookup, _, _, name_rva, thunks = struct.unpack_from("<5I", data, descriptor)
        if name_rva == 0:
            break
        functions = []
        entry = at(lookup or thunks)
        while (thunk := struct.unpack_from("<I", data, entry)[0]) != 0:
            functions.append(f"#{thunk & 0xFFFF}" if thunk & 0x80000000 else text(thunk + 2))
            entry += 4
        imports[text(name_rva)] = functions
        descriptor += 20

    system = {name.lower() for name in os.listdir(system32)}
    return {
        "bytes": len(data),
        "sections": [{k: s[k] for k in ("name", "size", "file_bytes")} for s in sections],
        "imports": imports,
        "system_dlls_only": all(dll.lower() in system and not dll.lower().startswith(RUNTIMES)
                                for dll in imports),
    }
