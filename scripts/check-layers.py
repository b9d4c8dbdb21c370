#!/usr/bin/env python3
"""Checks the structure of src/: which folder may include which, that no
two components (a header with its source file) include each other, directly
or around a longer circle, and that the worker's notifications are read
only by the worker and the download session. Prints every breach and exits
1 when there is one."""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'src')

# The layers, lowest first. A folder may include its own files and those of
# the folders listed for it.
CORE = ['base', 'platform', 'mediatools', 'history', 'retrieval', 'update', 'browser', 'session']
ALLOWED = {
    'base': [],
    'platform': ['base'],
    'mediatools': ['platform', 'base'],
    'history': ['platform', 'base', 'mediatools'],
    'retrieval': ['platform', 'base', 'mediatools'],  # the yt-dlp item runs the tool
    'update': ['platform', 'base', 'retrieval'],
    'browser': ['platform', 'base', 'retrieval'],
    'session': ['platform', 'base', 'mediatools', 'history', 'retrieval'],
    'ui': CORE,
    'gui': CORE + ['ui', 'webgui'],  # a subsystem's windows (src/*/gui/); webgui: the module's interface
    'webgui': ['platform', 'base'],  # the browser dialogs module
    'cli': CORE,
    'app': CORE + ['ui', 'gui', 'app'],
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
# The worker's notification numbers: decoded in one place, the session.
NOTIFICATION = re.compile(r'\bUM_DOWNLOAD_[A-Z_]+')
NOTIFICATION_READERS = ('retrieval', 'session')


def layer(path):
    """The layer of a path relative to src/."""
    parts = path.split('/')
    if len(parts) > 2 and parts[1] in ('gui', 'webgui'):
        return parts[1]
    return parts[0]


def component(path):
    return os.path.splitext(path)[0]


def main():
    sources = []
    for folder, _, files in os.walk(ROOT):
        for name in files:
            if name.endswith(('.h', '.cpp')):
                sources.append(os.path.relpath(os.path.join(folder, name), ROOT).replace(os.sep, '/'))
    known = set(sources)
    breaches = []
    edges = {}
    for src in sorted(sources):
        with open(os.path.join(ROOT, src), encoding='utf-8') as f:
            text = f.read()
        if layer(src) not in NOTIFICATION_READERS:
            for name in sorted(set(NOTIFICATION.findall(text))):
                breaches.append(f'{src}: uses {name} (only the worker and the session read notifications)')
        for target in INCLUDE.findall(text):
            if target not in known:
                continue
            a, b = layer(src), layer(target)
            if a != b and b not in ALLOWED.get(a, []):
                breaches.append(f'{src}: includes {target} ({a} may not include {b})')
            ca, cb = component(src), component(target)
            if ca != cb:
                edges.setdefault(ca, set()).add(cb)

    # Circles: strongly connected components of more than one component.
    index, low, stack, on, circles = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                circles.append(sorted(group))

    sys.setrecursionlimit(10000)
    for v in sorted(edges):
        if v not in index:
            visit(v)
    for group in circles:
        breaches.append('include circle: ' + ' <-> '.join(group))
    for line in breaches:
        print(line)
    print(f'{len(sources)} files, {sum(len(e) for e in edges.values())} component includes, '
          f'{len(breaches)} breaches')
    return 1 if breaches else 0


if __name__ == '__main__':
    sys.exit(main())
