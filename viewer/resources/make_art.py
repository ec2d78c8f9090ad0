#!/usr/bin/env python3
"""Draws the viewer's icons, bitmaps and cursor into the folder given as the argument."""
import os
import sys


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)


if __name__ == "__main__":
    main()
