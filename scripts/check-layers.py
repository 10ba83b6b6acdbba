#!/usr/bin/env python3
"""Checks that the sources keep to their layers.

The layers and what each links to come from the build (the file the build writes, one line
per layer: "core/text: platform"); the includes come from the sources. It fails when
- a layer links to itself through others (a cycle),
- a file includes a file of a layer its own does not stand on, or of a folder of the core
  that reaches back to its own (a cycle between folders),
- a quoted include does not name its file by its path from an include root (src/core, src/app,
  tests), or names a file that is not there,
- a file of the window (src/app) reads a document itself: the window asks the core for every
  text it shows (DocumentText, DocumentFile, a QFile or a stream it opens). A file the window
  reads that is no library document says so on the line, or the line above, with
  "// not a library document".
"""
import argparse
import os
import re
import sys

# Quoted includes, and bracketed ones (which the include roots also answer).
INCLUDE = re.compile(r'^\s*#\s*include\s+(?:"([^"]+)"|<([^>]+)>)', re.M)
GENERATED = {'appversion_config.h'}  # written by the build, as the moc files are
READS_DOCUMENTS = re.compile(
    r'\bDocumentText\b|\bDocumentFile\b|\bReadOnlyFile\b|\bQFile\s+\w+\s*[({]|'
    r'\bstd::ifstream\b|\bfopen\s*\(')
NOT_A_DOCUMENT = '// not a library document'


def read_layers(path):
    below = {}
    with open(path, encoding='utf-8') as layers:
        for line in layers:
            line = line.strip()
            if not line:
                continue
            name, _, deps = line.partition(':')
            below[name.strip()] = set(deps.split())
    # "core/index: matching" names core/matching.
    for name, deps in below.items():
        prefix = name.rsplit('/', 1)[0] + '/' if '/' in name else ''
        below[name] = {d if d in below else prefix + d for d in deps}
    return below


def find_cycle(graph):
    state = {}
    path = []

    def visit(node):
        state[node] = 'open'
        path.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == 'open':
                return path[path.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        path.pop()
        state[node] = 'done'
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def closure(below, layer):
    seen = set()
    todo = [layer]
    while todo:
        for d in below.get(todo.pop(), ()):
            if d not in seen:
                seen.add(d)
                todo.append(d)
    return seen


def layer_of(rel):
    """The layer of a file by its path from the source root, or None outside the layers."""
    parts = rel.split('/')
    if parts[0] == 'src' and len(parts) > 2:
        if parts[1] == 'core':
            return 'core/' + parts[2]
        return parts[1]
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--source', required=True, help='the source tree')
    parser.add_argument('--layers', required=True, help="the build's layers file")
    args = parser.parse_args()
    root = os.path.abspath(args.source)
    below = read_layers(args.layers)
    faults = []

    cycle = find_cycle(below)
    if cycle:
        faults.append('the layers link in a cycle: ' + ' -> '.join(cycle))

    include_roots = ['src/core', 'src/app', 'tests']
    sources = []
    for top in ('src', 'tests', 'bench', 'packaging', 'demo'):
        for dirpath, _, files in os.walk(os.path.join(root, top)):
            for f in files:
                if f.endswith(('.cpp', '.h')):
                    sources.append(os.path.relpath(os.path.join(dirpath, f), root))

    folder_graph = {}
    for rel in sorted(sources):
        layer = layer_of(rel)
        with open(os.path.join(root, rel), encoding='utf-8') as source:
            text = source.read()
        for match in INCLUDE.finditer(text):
            quoted = match.group(1) is not None
            name = match.group(1) if quoted else match.group(2)
            line = text.count('\n', 0, match.start()) + 1
            if name in GENERATED or name.endswith('.moc'):
                continue
            found = [r for r in include_roots if os.path.isfile(os.path.join(root, r, name))]
            if not quoted and not found:
                continue  # a system or library header
            if '/' not in name or not found:
                faults.append(f'{rel}:{line}: "{name}" does not name its file by its layer')
                continue
            if len(found) > 1:
                faults.append(f'{rel}:{line}: "{name}" names a file under more than one '
                              f'include root ({", ".join(found)})')
                continue
            target = layer_of(found[0] + '/' + name)
            if layer is None or target is None or target == layer:
                continue
            if layer not in below:
                faults.append(f'{rel}:{line}: {layer} is no layer of the build')
            elif target not in closure(below, layer):
                faults.append(f'{rel}:{line}: {layer} includes "{name}" of {target}, '
                              f'a layer it does not stand on')
            if layer.startswith('core/') and target.startswith('core/'):
                folder_graph.setdefault(layer, set()).add(target)
        if layer == 'app':
            lines = text.split('\n')
            for number, code in enumerate(lines, 1):
                if READS_DOCUMENTS.search(code.split('//')[0]):
                    marked = NOT_A_DOCUMENT in code or (
                        number > 1 and NOT_A_DOCUMENT in lines[number - 2])
                    if not marked:
                        faults.append(f'{rel}:{number}: the window reads a file itself; a '
                                      f'document\'s text comes from the core (or mark the '
                                      f'line "{NOT_A_DOCUMENT}: why")')

    cycle = find_cycle(folder_graph)
    if cycle:
        faults.append('the core\'s folders include each other in a cycle: ' + ' -> '.join(cycle))

    for fault in faults:
        print('check-layers: ' + fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
