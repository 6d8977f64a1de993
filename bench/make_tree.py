#!/usr/bin/env python3
"""Makes a folder tree for the file-search benchmark: FOLDERS folders (nested three deep) holding
FILES files in all, one in ten of them .dbf/.DBF (empty files; only names and sizes matter)."""
import os, sys
root, folders, files = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
per = files // folders
exts = ['.txt', '.doc', '.dbf', '.xls', '.DBF', '.pdf', '.csv', '.jpg', '.mdb', '.log']
for f in range(folders):
    d = os.path.join(root, 'a%02d' % (f % 50), 'b%03d' % (f // 50 % 100), 'c%05d' % f)
    os.makedirs(d, exist_ok=True)
    for i in range(per):
        with open(os.path.join(d, 'datei%04d%s' % (i, exts[i % 10])), 'wb') as fh:
            if i % 7 == 0:
                fh.write(b'x' * (i % 100))
