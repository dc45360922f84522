#!/usr/bin/env python3
"""Checks that every library's includes point down: each #include "x" in src/ and common/src/
names a file of the including file's own library or of one it links, directly or through others.
Usage: scripts/check-includes.py BUILD_DIR (a configured tree; its compile_commands.json tells
which library each source file is built into, and CMake's graphviz dump what each one links).
Prints each include out of line and exits 1 when there is any."""
import collections
import json
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE_ROOTS = ('src', 'common/src')
# Header-only libraries, whose folder holds another library's sources too.
HEADER_LIBRARIES = {'src/gfx/canvas.h': {'norvik_canvas'}}


def link_graph(build):
    edges = collections.defaultdict(set)
    with tempfile.TemporaryDirectory() as folder:
        dot = os.path.join(folder, 'targets.dot')
        subprocess.run(['cmake', f'--graphviz={dot}', build], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(dot) as graph:
            for line in graph:
                edge = re.search(r'// (\S+) -> (\S+)', line)
                if edge:
                    edges[edge.group(1)].add(edge.group(2))
    return edges


def reachable(edges, target):
    seen, todo = {target}, [target]
    while todo:
        for linked in edges.get(todo.pop(), ()):
            if linked not in seen:
                seen.add(linked)
                todo.append(linked)
    return seen


def source_libraries(build):
    owners = collections.defaultdict(set)
    with open(os.path.join(build, 'compile_commands.json')) as commands:
        for entry in json.load(commands):
            path = os.path.relpath(entry['file'], ROOT)
            command = entry.get('command') or ' '.join(entry.get('arguments', []))
            library = re.search(r'CMakeFiles/([^/]+)\.dir/', command)
            if path.startswith(SOURCE_ROOTS) and library:
                owners[path].add(library.group(1))
    return owners


def main():
    build = os.path.abspath(sys.argv[1])
    edges = link_graph(build)
    owners = source_libraries(build)
    by_folder = collections.defaultdict(set)
    for path, libraries in owners.items():
        by_folder[os.path.dirname(path)] |= libraries

    def libraries_of(path):
        if path in HEADER_LIBRARIES:
            return HEADER_LIBRARIES[path]
        if path in owners:
            return owners[path]
        stem = os.path.splitext(path)[0]
        for twin in ('.cpp', '_win.cpp', '_posix.cpp', '_icu.cpp'):
            if stem + twin in owners:
                return owners[stem + twin]
        return by_folder.get(os.path.dirname(path), set())

    out_of_line = 0
    for source_root in SOURCE_ROOTS:
        for folder, _, names in os.walk(os.path.join(ROOT, source_root)):
            for name in sorted(names):
                if not name.endswith(('.cpp', '.h')):
                    continue
                path = os.path.relpath(os.path.join(folder, name), ROOT)
                mine = libraries_of(path)
                if not mine:
                    continue  # not built in this tree (the other platform's twin)
                with open(os.path.join(ROOT, path)) as text:
                    included = re.findall(r'#include "([^"]+)"', text.read())
                for include in included:
                    found = [f'{r}/{include}' for r in SOURCE_ROOTS
                             if os.path.exists(os.path.join(ROOT, r, include))]
                    theirs = libraries_of(found[0]) if found else set()
                    if theirs and not any(t in reachable(edges, m) for m in mine for t in theirs):
                        print(f'{path}: includes {include} of {", ".join(sorted(theirs))}, '
                              f'which {", ".join(sorted(mine))} does not link')
                        out_of_line += 1
    print(f'{out_of_line} includes out of line in {build}')
    return 1 if out_of_line else 0


if __name__ == '__main__':
    sys.exit(main())
