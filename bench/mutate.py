#!/usr/bin/env python3
# mutate.py OUT N SEED [LOG...]: N logs made from the real logs beside the
# project (and any LOG given) by edits loggers and operators make: fields
# moved, spaced, dropped or swapped, odd calls, bands, dates and times, cut
# lines, other line ends; ADIF tags with other cases, lengths and types.
# The same logs for the same SEED. bench/same.sh runs two binaries on them.
import glob
import os
import random
import re
import sys

out, n, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(seed)
here = os.path.dirname(os.path.abspath(__file__))
root = os.path.join(here, "..", "..", "shared", "realdata")
srcs = sorted(f for f in glob.glob(root + '/**/*', recursive=True)
              if os.path.isfile(f) and not f.endswith('.md') and 'cqwwdat' not in f)
srcs += sys.argv[4:]
os.makedirs(out, exist_ok=True)

SUFFIXES = [b'/P', b'/MM', b'/QRP', b'/VE3', b'/KH6', b'/4', b'/AM', b'/M', b'/9', b'/JA1']
CALLS = [b'W1AW', b'K3LR', b'9A1A', b'DL1ABC', b'VK2ABCD', b'2E0XYZ', b'JA1ZLO', b'4X1AB',
         b'R9ABCDEFGH', b'K', b'1A0KM', b'3DA0RU', b'ZS6/DL1ABC', b'w1aw', b'Dl1aBc', b'5B4',
         b'KH6/W1AW/P', b'AB1CD/VE3', b'E7', b'T88XX', b'VP2E', b'\xc4K1A', b'K1-A', b'A']

def mutate_token_line(line, rng):
    toks = re.split(rb'( +|\t)', line)
    words = [i for i, t in enumerate(toks) if t and not re.fullmatch(rb'( +|\t)', t)]
    if not words:
        return line
    k = rng.randrange(12)
    i = rng.choice(words)
    if k == 0:  # spacing
        seps = [j for j, t in enumerate(toks) if re.fullmatch(rb'( +|\t)', t or b'x')]
        if seps:
            j = rng.choice(seps)
            toks[j] = rng.choice([b' ', b'  ', b'   ', b'\t', b' \t ', b' ' * rng.randrange(1, 40)])
    elif k == 1:
        toks[i] = rng.choice(CALLS)
    elif k == 2:
        toks[i] = toks[i] + rng.choice(SUFFIXES)
    elif k == 3:
        toks[i] = toks[i].lower() if rng.random() < .5 else toks[i].upper()
    elif k == 4:
        del toks[i]
    elif k == 5:
        toks.insert(i, rng.choice([b'599', b'5NN', b'14', b'A', b'OH', b'123', b'-', b'X' * rng.randrange(1, 70)]) + b' ')
    elif k == 6:
        toks[i] = rng.choice([b'14025', b'14025.5', b'7', b'50', b'144', b'1.8', b'1800', b'3500',
                              b'21', b'28000', b'432', b'10G', b'LIGHT', b'0', b'99999999', b'3.5'])
    elif k == 7:
        toks[i] = rng.choice([b'2024-11-23', b'2024/11/23', b'24-11-23', b'2024-02-29', b'2023-02-29',
                              b'2024-12-31', b'2025-01-01', b'1999-12-31', b'20241123'])
    elif k == 8:
        toks[i] = rng.choice([b'0000', b'2359', b'2400', b'0060', b'12:34', b'1', b'123', b'9999'])
    elif k == 9:
        toks[i] = rng.choice([b'CW', b'PH', b'RY', b'DG', b'FM', b'SSB', b'ft8', b'FT4', b'USB', b'RTTY'])
    elif k == 10:  # a byte flip inside a token
        t = bytearray(toks[i])
        if t:
            t[rng.randrange(len(t))] = rng.randrange(256)
        toks[i] = bytes(t)
    else:  # swap two tokens
        j = rng.choice(words)
        toks[i], toks[j] = toks[j], toks[i]
    return b''.join(toks)

def mutate_adif(data, rng):
    # tag-level edits
    for _ in range(rng.randrange(1, 30)):
        k = rng.randrange(8)
        tags = [m for m in re.finditer(rb'<([A-Za-z_]+):(\d+)(:[A-Za-z])?>', data)]
        if not tags:
            break
        m = rng.choice(tags)
        if k == 0:  # case of the name
            name = m.group(1)
            name = name.lower() if rng.random() < .5 else name.upper()
            data = data[:m.start(1)] + name + data[m.end(1):]
        elif k == 1:  # length off by some
            ln = max(0, int(m.group(2)) + rng.choice([-2, -1, 1, 2, 50]))
            data = data[:m.start(2)] + str(ln).encode() + data[m.end(2):]
        elif k == 2:  # a value replaced
            ln = int(m.group(2))
            v = rng.choice(CALLS + [b'14.025', b'7.0', b'20M', b'40m', b'CW', b'SSB', b'20241123', b'1234', b'123456', b'0'])
            data = data[:m.start()] + b'<' + m.group(1) + b':' + str(len(v)).encode() + b'>' + v + data[m.end() + ln:]
        elif k == 3:  # type indicator
            data = data[:m.end(2)] + b':' + rng.choice([b'S', b'N', b'D', b'T', b'x']) + data[m.end(2) + (len(m.group(3)) if m.group(3) else 0):]
        elif k == 4:  # drop an <EOR>
            e = [x.start() for x in re.finditer(rb'<(?i:eor)>', data)]
            if e:
                p = rng.choice(e)
                data = data[:p] + data[p + 5:]
        elif k == 5:  # whitespace/newlines between tags
            data = data[:m.start()] + rng.choice([b'\r\n', b'\n\n', b'  ', b'\t', b'<', b'>', b'<x>']) + data[m.start():]
        elif k == 6:  # drop a tag
            ln = int(m.group(2))
            data = data[:m.start()] + data[m.end() + ln:]
        else:  # byte flip
            b = bytearray(data)
            b[rng.randrange(len(b))] = rng.randrange(256)
            data = bytes(b)
    return data

def mutate_lines(data, rng):
    lines = data.split(b'\n')
    qso = [i for i, l in enumerate(lines) if l.upper().startswith(b'QSO:') or re.match(rb'\d\d\d\d/\d\d/\d\d', l)]
    if not qso:
        qso = list(range(len(lines)))
    edits = rng.choice([1, 3, 10, 50, 300])
    for _ in range(edits):
        i = rng.choice(qso)
        k = rng.randrange(10)
        if k < 7:
            lines[i] = mutate_token_line(lines[i], rng)
        elif k == 7:
            lines.insert(i, lines[i])  # duplicate (time order breaks later)
        elif k == 8:
            j = rng.choice(qso)
            lines[i], lines[j] = lines[j], lines[i]
        else:
            lines[i] = lines[i][:rng.randrange(len(lines[i]) + 1)]
    if rng.random() < .2:
        eol = rng.choice([b'\r\n', b'\r', b'\n'])
        return eol.join(l.rstrip(b'\r') for l in lines)
    return b'\n'.join(lines)

for k in range(n):
    src = rng.choice(srcs)
    data = open(src, 'rb').read()
    if len(data) > 400000:
        # a long log cut to a slice, so the run stays short
        lines = data.split(b'\n')
        head = [l for l in lines[:60] if not l.upper().startswith(b'QSO:')]
        start = rng.randrange(len(lines))
        data = b'\n'.join(head + lines[start:start + 2000])
    ext = os.path.splitext(src)[1]
    if ext.lower() in ('.adi', '.adx'):
        data = mutate_adif(data, rng) if ext.lower() == '.adi' else data
    else:
        data = mutate_lines(data, rng)
    if rng.random() < .05:
        data = data + b'\x1a' + b'junk'
    with open(os.path.join(out, '%04d%s' % (k, ext)), 'wb') as f:
        f.write(data)
