#!/usr/bin/env python3
"""Fails on an include that points up the layers or round a loop.

Run from anywhere: check-layers.py CHECKOUT. Every #include "dir/File.h" of a source file
under a layer folder must name a file of the same layer or of a layer below it (the table
LAYERS, closed over its arrows). Headers that include each other round a loop fail too.
tests/, bench/ and fuzz/ may include anything.
"""
import os
import re
import sys

# Each layer and the layers it may include directly; what those include comes with them.
LAYERS = {
    "base": [],
    "base/widgets": ["base"],
    "emulator": [],
    "link": ["base"],
    "settings": ["base"],
    "ports": ["link", "settings"],
    "ports/widgets": ["ports"],
    "settings/widgets": ["settings", "ports/widgets"],
    "media": ["base"],
    "media/smaf": ["media"],
    "pim": ["base"],
    "pim/phone": ["pim", "link"],
    "phonefs": ["link"],
    "session": ["phonefs", "ports"],
    "commands": ["phonefs", "media", "pim/phone"],
    "preview": ["media/smaf"],
    "preview/widgets": ["preview", "commands", "session", "base/widgets"],
    "localpane": ["base"],
    "window": ["localpane", "preview/widgets", "commands", "session", "pim/phone",
               "settings/widgets", "base/widgets"],
    "app/cli": ["commands", "session", "pim/phone", "media/smaf", "ports", "settings"],
    "app/gui": ["window"],
}
SOURCE = re.compile(r"\.(cpp|h|mm)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def closure(layers):
    below = {}

    def walk(name, path):
        if name in path:
            sys.exit("the layer table runs round a loop: " + " -> ".join(path + [name]))
        if name not in below:
            seen = set()
            for dep in layers[name]:
                seen |= {dep} | walk(dep, path + [name])
            below[name] = seen
        return below[name]

    for name in layers:
        walk(name, [])
    return below


def layer_of(path):
    best = None
    for name in LAYERS:
        if path.startswith(name + "/") and (best is None or len(name) > len(best)):
            best = name
    return best


def main(root):
    below = closure(LAYERS)
    faults = []
    headers = {}
    for top in sorted({n.split("/")[0] for n in LAYERS}):
        for folder, _, files in os.walk(os.path.join(root, top)):
            for f in files:
                if not SOURCE.search(f):
                    continue
                path = os.path.relpath(os.path.join(folder, f), root)
                with open(os.path.join(root, path), encoding="utf-8", errors="replace") as s:
                    includes = INCLUDE.findall(s.read())
                here = layer_of(path)
                if path.endswith(".h"):
                    headers[path] = [i for i in includes if i.endswith(".h")]
                for inc in includes:
                    there = layer_of(inc)
                    if here and there and there != here and there not in below[here]:
                        faults.append(f"{path}: includes {inc} ({here} may not reach {there})")
    # Header loops: a header that, through others, includes itself.
    state = {}

    def visit(h, stack):
        state[h] = 1
        for inc in headers.get(h, []):
            if state.get(inc) == 1:
                faults.append("headers include each other: " +
                              " -> ".join(stack[stack.index(inc):] + [inc]))
            elif inc in headers and inc not in state:
                visit(inc, stack + [inc])
        state[h] = 2

    for h in sorted(headers):
        if h not in state:
            visit(h, [h])
    for f in faults:
        print(f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
