#!/usr/bin/env python3
"""How the house stands: the figures docs/architecture.md keeps.

Prints, for the product code of a checkout (not tests/, tools/, build folders):
- includes that run from a lower layer up to a higher one, the layers in the
  order the map draws them (LAYERS below; a folder not named is reported);
- include cycles between folders;
- the biggest folder, by lines;
- functions over 80 lines (Universal Ctags' ends) and files over 600 lines;
- the seam's operations: pure virtual ones in platform/platform.h and the
  overrides each backend folder writes.
Usage: tools/house-measures.py [CHECKOUT]   (default: the current folder)
"""
import collections
import json
import pathlib
import re
import subprocess
import sys

# From the ground up. A folder may include itself and any folder before it.
LAYERS = ["base", "platform/platform.h", "assets", "core", "profile", "settings", "saver", "preview", "app",
          "platform/common", "platform/linux", "platform/headless", "platform/win32", "platform/x11",
          "platform/wayland", "platform/linux_entry"]
PRODUCT = ["base", "assets", "core", "profile", "settings", "saver", "preview", "app", "platform"]


def folder_of(path: str) -> str:
    if path == "platform/platform.h":
        return path
    parts = path.split("/")
    return "/".join(parts[:2]) if parts[0] == "platform" and len(parts) > 2 else parts[0]


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    sources = sorted(p for top in PRODUCT if (root / top).is_dir() for p in (root / top).rglob("*")
                     if p.suffix in (".h", ".cpp") and "protocols" not in p.parts)
    rel = {p: str(p.relative_to(root)) for p in sources}

    edges = collections.Counter()
    upward = []
    unknown = set()
    for path, name in rel.items():
        src = folder_of(name)
        for target in re.findall(r'^\s*#\s*include\s+"([^"]+/[^"]+)"', path.read_text(errors="replace"), re.M):
            dst = folder_of(target)
            if dst == src or not (root / target).exists():
                continue
            edges[(src, dst)] += 1
            for folder in (src, dst):
                if folder not in LAYERS:
                    unknown.add(folder)
            if src in LAYERS and dst in LAYERS and LAYERS.index(dst) > LAYERS.index(src):
                upward.append(f"{name} -> {target}")
    print(f"folder include relations: {len(edges)} ({sum(edges.values())} includes)")
    print(f"includes from a lower layer up to a higher one: {len(upward)}")
    for line in upward:
        print(f"  {line}")
    for folder in sorted(unknown):
        print(f"  (a folder the layer list does not name: {folder})")

    graph = collections.defaultdict(set)
    for src, dst in edges:
        graph[src].add(dst)
    cycles = [c for c in strongly_connected(graph) if len(c) > 1]
    print(f"include cycles between folders: {len(cycles)}")
    for cycle in cycles:
        print(f"  {' <-> '.join(sorted(cycle))}")

    lines = {p: len(p.read_text(errors="replace").splitlines()) for p in sources}
    by_folder = collections.Counter()
    for path, count in lines.items():
        by_folder[folder_of(rel[path])] += count
    folder, count = by_folder.most_common(1)[0]
    print(f"biggest folder: {folder} ({count} lines of {sum(by_folder.values())})")

    long_files = sorted((n, rel[p]) for p, n in lines.items() if n > 600)
    print(f"files over 600 lines: {len(long_files)}" + "".join(f"\n  {f} ({n})" for n, f in long_files))
    tags = subprocess.run(["ctags", "--output-format=json", "--fields=+ne", "--c++-kinds=f", "-o", "-",
                           *map(str, sources)], capture_output=True, text=True, check=True).stdout
    long_functions = []
    for line in tags.splitlines():
        tag = json.loads(line)
        if "end" in tag and tag["end"] - tag["line"] + 1 > 80:
            long_functions.append((tag["end"] - tag["line"] + 1, f"{pathlib.Path(tag['path']).relative_to(root)}:"
                                   f"{tag['line']} {tag['name']}"))
    print(f"functions over 80 lines: {len(long_functions)}" +
          "".join(f"\n  {f} ({n})" for n, f in sorted(long_functions, reverse=True)))

    seam = (root / "platform/platform.h").read_text()
    pure = len(re.findall(r"\bvirtual\b[^;{}]*=\s*0\s*;", seam))
    print(f"seam: {pure} pure virtual operations in platform/platform.h ({len(seam.splitlines())} lines)")
    for backend in ("headless", "win32", "x11", "wayland"):
        text = "".join(p.read_text(errors="replace") for p in sources if rel[p].startswith(f"platform/{backend}/"))
        overrides = len(re.findall(r"\boverride\b", text))
        print(f"  {backend}: {overrides} overrides")
    return 0


def strongly_connected(graph):
    """Tarjan's components, iteratively enough for a graph of folders."""
    index, low, on_stack, stack, result = {}, {}, set(), [], []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in graph.get(node, ()):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            component = set()
            while True:
                top = stack.pop()
                on_stack.discard(top)
                component.add(top)
                if top == node:
                    break
            result.append(component)

    for node in list(graph):
        if node not in index:
            visit(node)
    return result


if __name__ == "__main__":
    sys.exit(main())
