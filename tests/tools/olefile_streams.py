#!/usr/bin/python3
"""Lists every stream of every compound file in a folder, read by python3-olefile, as one line
per stream: file name, stream path (each element its UTF-16LE name bytes in hex, joined by "/"),
recorded size and CRC-32 of the bytes, zero-filled up to that size where the sector chain ends
early. A file olefile cannot open gives one line "<name>\tnot-compound-file"; a stream it cannot
read gives "unreadable" instead of size and CRC-32. The differential test of the compound-file
reader makes the same lines with our reader and compares."""
import os
import sys
import zlib

import olefile


def walk(ole, storage, path, out):
    for kid in storage.kids:
        element = path + [kid.name_utf16.hex()]
        if kid.entry_type == olefile.STGTY_STORAGE:
            walk(ole, kid, element, out)
        elif kid.entry_type == olefile.STGTY_STREAM:
            try:
                data = ole._open(kid.isectStart, kid.size).read()[:kid.size]
                data += bytes(kid.size - len(data))
                out.append("%s\t%d\t%08x" % ("/".join(element), kid.size, zlib.crc32(data)))
            except Exception:
                out.append("%s\tunreadable" % "/".join(element))


def main(folder):
    for name in sorted(os.listdir(folder)):
        try:
            ole = olefile.OleFileIO(os.path.join(folder, name))
        except Exception:
            print("%s\tnot-compound-file" % name)
            continue
        streams = []
        walk(ole, ole.root, [], streams)
        for line in sorted(streams):
            print("%s\t%s" % (name, line))
        ole.close()


if __name__ == "__main__":
    main(sys.argv[1])
