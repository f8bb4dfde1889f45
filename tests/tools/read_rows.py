#!/usr/bin/env python3
"""Reads what kalvor wrote with Python's own parsers, knowing nothing of kalvor's code.

read_rows.py json|csv  < kalvor-scan output
    writes b"NUMBER SIZE PATH\\0" for each row, PATH the exact bytes of the file's name.
read_rows.py export FILE
    reads an export of the window (UTF-8 with a byte-order mark) and writes its records as one
    JSON list of lists of strings; an empty line gives an empty list.
read_rows.py export-paths FILE
    writes b"PATH\\0" for each row of an export, PATH the exact bytes of the file's name, taken
    back from the record's escaped form when its last field says it is escaped.
"""
import csv
import io
import json
import re
import sys

ESCAPES = {b"t": b"\t", b"n": b"\n", b"r": b"\r", b"\\": b"\\"}


def unescape(text):
    def one(match):
        escape = match.group(1)
        if escape[:1] == b"x":
            return bytes([int(escape[1:], 16)])
        if escape[:1] == b"u":
            return chr(int(escape[1:], 16)).encode()
        return ESCAPES[escape]

    return re.sub(rb"\\(x[0-9a-f]{2}|u[0-9a-f]{4}|.)", one, text)


def json_rows(data):
    for line in data.split(b"\n")[:-1]:
        row = json.loads(line)
        assert set(row) <= {"number", "path", "path_bytes", "size", "created", "modified"}, row
        if "path_bytes" in row:
            yield row, bytes.fromhex(row["path_bytes"])
        else:
            yield row, row["path"].encode()


def csv_rows(data):
    assert not data.startswith(b"\xef\xbb\xbf"), "kalvor-scan writes no byte-order mark"
    rows = csv.DictReader(io.StringIO(data.decode("utf-8"), newline=""), strict=True)
    assert rows.fieldnames == ["number", "path", "size", "created", "modified", "path_escaped"]
    for row in rows:
        assert None not in row and row["path_escaped"] in ("0", "1"), row
        path = row["path"].encode()
        yield row, unescape(path) if row["path_escaped"] == "1" else path


def export_records(name):
    with open(name, "rb") as file:
        data = file.read()
    assert data.startswith(b"\xef\xbb\xbf"), "an export starts with a byte-order mark"
    return list(csv.reader(io.StringIO(data[3:].decode("utf-8"), newline=""), strict=True))


def export_paths(records):
    for record in records[1:]:
        if not record:
            return
        assert record[-1] in ("0", "1"), record
        path = record[1].encode()
        yield unescape(path) if record[-1] == "1" else path


def main():
    kind = sys.argv[1]
    if kind == "export":
        json.dump(export_records(sys.argv[2]), sys.stdout, ensure_ascii=True)
        return
    if kind == "export-paths":
        for path in export_paths(export_records(sys.argv[2])):
            sys.stdout.buffer.write(path + b"\0")
        return
    data = sys.stdin.buffer.read()
    for row, path in (json_rows if kind == "json" else csv_rows)(data):
        sys.stdout.buffer.write(b"%d %d " % (int(row["number"]), int(row["size"])) + path + b"\0")


main()
