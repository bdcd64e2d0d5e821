#!/usr/bin/env python3
"""Writes examples/runs/: eight runs of examples/sample.pad as a noisy machine
gives them (before/) and eight of the program after a change that makes
Connect 50 % faster (after/). Every call's own time varies by a few percent
from run to run, the whole run a little more; the calls keep their order and
nesting, and the traces their header. Deterministic: the same files each time.

    tools/make_example_runs.py
"""
import os
import random

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def read_calls(path):
    with open(path, newline='') as f:
        lines = f.read().split('\r\n')
    header, records = lines[:7], [line for line in lines[7:] if line]
    calls = []
    for line in records:
        name, order, depth, start, stop, *data = line.split('|')
        calls.append({'name': name, 'order': int(order), 'depth': int(depth), 'start': float(start),
                      'stop': float(stop), 'data': data})
    calls.sort(key=lambda c: c['order'])
    # Own time: the span less the children's spans; the gap before each call.
    for i, call in enumerate(calls):
        call['children'] = []
        for parent in reversed(calls[:i]):
            if parent['depth'] == call['depth'] - 1:
                parent['children'].append(call)
                break
    return header, calls


def lay_out(call, start, scale):
    """Places the call at `start` with its times scaled; returns its stop."""
    at = start
    gaps = []
    cursor = call['start']
    for child in call['children']:
        gaps.append(child['start'] - cursor)
        cursor = child['stop']
    tail = call['stop'] - cursor
    for gap, child in zip(gaps, call['children']):
        at = lay_out(child, at + gap * scale(call['name']), scale)
    call['new'] = (start, at + tail * scale(call['name']))
    return call['new'][1]


def write_run(path, header, calls, rng, faster):
    whole = rng.gauss(1.0, 0.02)
    factors = {}

    def scale(name):
        if name not in factors:
            factors[name] = whole * rng.gauss(1.0, 0.04) * (0.5 if faster and name == 'Connect' else 1.0)
        return factors[name]

    at = calls[0]['start']
    for call in calls:
        if call['depth'] == 1:
            at = lay_out(call, at, scale) + 1.0
    lines = list(header)
    # As the timing object writes them: a call when it ends.
    for call in sorted(calls, key=lambda c: (c['new'][1], -c['depth'])):
        start, stop = call['new']
        lines.append('|'.join([call['name'], str(call['order']), str(call['depth']), f'{start:.2f}', f'{stop:.2f}']
                              + call['data']))
    with open(path, 'w', newline='') as f:
        f.write('\r\n'.join(lines) + '\r\n')


def main():
    header, calls = read_calls(os.path.join(ROOT, 'examples', 'sample.pad'))
    rng = random.Random(20261209)
    for side, faster in (('before', False), ('after', True)):
        folder = os.path.join(ROOT, 'examples', 'runs', side)
        os.makedirs(folder, exist_ok=True)
        for run in range(1, 9):
            write_run(os.path.join(folder, f'run{run}.pad'), header, calls, rng, faster)


if __name__ == '__main__':
    main()
