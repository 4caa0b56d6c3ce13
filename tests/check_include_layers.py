#!/usr/bin/env python3
"""Checks the include layers of the sources: check_include_layers.py SOURCE_ROOT

The folders stand bottom-up in the order the data flows: base < data < studies <
model < search < robustness < builder < report < chart (the engine) < workbench < windows
(one subfolder per subsystem, windows/data, windows/model, ...) < app; the command
line (cli/) stands on the engine only. A file includes only files of its own
floor and the floors below it, so no folder imports one above it; no file reaches
itself through its includes, and no folder reaches itself through the folders it
includes (windows/model -> windows/robustness -> windows/model is a breach too).
A source in a folder of no floor is a breach as well, so that a new folder gets
its place.

Files the program owns (price histories, models, strategy and part files) change
only through one door, base/owned_file.h, which locks, checks and writes them:
no other file takes a file's lock (base/file_lock.h), and the folders that own
such files (data, model, robustness, report) do not write files themselves
(base/atomic_file.h). Prints each breach and exits 1 when there is one.
"""
import pathlib
import re
import sys

NOT_LAYERED = {"tests", "bench"}  # they may reach into every layer
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)

FLOORS = ["base", "data", "studies", "model", "search", "robustness", "builder", "report",
          "chart", "workbench", "windows", "app"]
ENGINE = set(FLOORS[:FLOORS.index("chart") + 1])

DOOR = "base/owned_file.cpp"
LOCK_HEADER = "base/file_lock.h"
WRITE_HEADER = "base/atomic_file.h"
OWNERS = {"data", "model", "robustness", "report"}  # their files change through the door only


def folder_of(path):
    """The folder a source belongs to: 'windows/data' for windows/data/x.cpp, 'data' for data/x.h."""
    parts = pathlib.PurePosixPath(path).parts
    if len(parts) >= 3 and parts[0] == "windows":
        return parts[0] + "/" + parts[1]
    return parts[0]


def layer_of(folder):
    return folder.split("/")[0]


def may_include(layer, included_layer):
    if layer == "cli":
        return included_layer in ENGINE or included_layer == "cli"
    if layer not in FLOORS or included_layer not in FLOORS:
        return False
    return FLOORS.index(included_layer) <= FLOORS.index(layer)


def sources(root):
    for folder in sorted(root.iterdir()):
        if not folder.is_dir() or folder.name in NOT_LAYERED or folder.name.startswith(("build", ".")):
            continue
        for path in sorted(folder.rglob("*")):
            if path.suffix in (".h", ".cpp"):
                yield path.relative_to(root).as_posix()


def includes_of(root, path):
    """The project files `path` includes; includes of other libraries are left out."""
    found = []
    for name in INCLUDE.findall((root / path).read_text(encoding="utf-8")):
        if (root / name).is_file():
            found.append(name)
    return found


def find_cycle(graph):
    """One cycle of `graph` (node -> successors) as a list of nodes, or None."""
    state = {}  # 1: on the current path, 2: done
    path = []

    def visit(node):
        state[node] = 1
        path.append(node)
        for successor in sorted(graph.get(node, ())):
            if state.get(successor) == 1:
                return path[path.index(successor):] + [successor]
            if successor not in state:
                cycle = visit(successor)
                if cycle:
                    return cycle
        path.pop()
        state[node] = 2
        return None

    for node in sorted(graph):
        if node not in state:
            cycle = visit(node)
            if cycle:
                return cycle
    return None


def door_breaches(path, layer, included):
    """A writer that would skip the door: it takes a lock or writes an owner's file itself."""
    if included == LOCK_HEADER and path not in (DOOR, "base/file_lock.cpp"):
        return [f"{path}: only the door {DOOR} takes a file's lock ({LOCK_HEADER})"]
    if included == WRITE_HEADER and layer in OWNERS:
        return [f"{path}: {layer} changes its files through the door base/owned_file.h, not {WRITE_HEADER}"]
    return []


def breaches(root):
    found = []
    file_graph = {}
    folder_graph = {}
    for path in sources(root):
        folder = folder_of(path)
        layer = layer_of(folder)
        if layer not in FLOORS and layer != "cli":
            found.append(f"{path}: folder {layer} stands on no floor")
            continue
        file_graph[path] = set()
        for included in includes_of(root, path):
            file_graph[path].add(included)
            included_folder = folder_of(included)
            if not may_include(layer, layer_of(included_folder)):
                found.append(f"{path}: {layer} may not include {included}")
            if included_folder != folder:
                folder_graph.setdefault(folder, set()).add(included_folder)
            found.extend(door_breaches(path, layer, included))
    cycle = find_cycle(file_graph)
    if cycle:
        found.append("include cycle: " + " -> ".join(cycle))
    cycle = find_cycle(folder_graph)
    if cycle:
        found.append("folder cycle: " + " -> ".join(cycle))
    return found


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.splitlines()[0])
    found = breaches(pathlib.Path(sys.argv[1]))
    for breach in found:
        print(breach)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
