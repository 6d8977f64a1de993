#!/usr/bin/python3
"""Baseline for the benchmark: the same field-wise, case-insensitive search of every text and memo
field of every record, written as a plain Python loop over python3-dbfread."""
import os
import sys

import dbfread

term = sys.argv[1].casefold()
hits = 0
for root in sys.argv[2:]:
    paths = [root] if os.path.isfile(root) else [
        os.path.join(d, f) for d, _, files in os.walk(root) for f in files
        if f.lower().endswith('.dbf')]
    for path in paths:
        table = dbfread.DBF(path, encoding='cp850', char_decode_errors='replace')
        text_fields = [f.name for f in table.fields if f.type in 'CM']
        for record in table:
            for name in text_fields:
                value = record[name]
                if value and term in value.casefold():
                    hits += 1
                    break
print(hits)
