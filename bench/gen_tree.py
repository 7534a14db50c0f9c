#!/usr/bin/env python3
"""gen_tree.py DIR FILES TOTAL_MB: a deterministic tree of FILES files of about
TOTAL_MB megabytes in all, spread over nested folders (like a product's file
tree). Sizes vary from a few KiB to a few hundred KiB."""
import os
import random
import sys


def main():
    root, files, total_mb = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
    rng = random.Random(20261211)
    weights = [rng.paretovariate(1.5) for _ in range(files)]
    scale = total_mb * 1024 * 1024 / sum(weights)
    block = bytes(rng.getrandbits(8) for _ in range(1 << 16))
    folders = [""]
    for i in range(max(1, files // 40)):
        parent = rng.choice(folders)
        folders.append(os.path.join(parent, "dir%03d" % i))
    for f in folders:
        os.makedirs(os.path.join(root, f), exist_ok=True)
    for i, w in enumerate(weights):
        size = max(1, int(w * scale))
        path = os.path.join(root, rng.choice(folders), "file%05d.bin" % i)
        with open(path, "wb") as out:
            left = size
            while left > 0:
                chunk = block[: min(left, len(block))]
                out.write(chunk)
                left -= len(chunk)


if __name__ == "__main__":
    main()
