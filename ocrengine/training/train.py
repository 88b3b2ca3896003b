#!/usr/bin/python3
"""Trains the line recogniser on lines rendered on the fly by ocr-render-lines
(one renderer process), with CTC loss. Checkpoints every few minutes (the run
can be stopped at any time and resumed with --resume) and logs the character
error rate on fixed validation lines of the training styles and of a held-out
TrueType face and a held-out stroke design.

Usage: train.py --renderer BUILD/bin/ocr-render-lines --out DIR [--minutes 70]
Run it niced on one thread (see README.md): the other core stays free.
"""
import argparse
import json
import math
import os
import signal
import struct
import subprocess
import sys
import time

import numpy as np
import torch
import torch.nn.functional as F

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import model as recogniser  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


def read_lines(stream):
    """Yields (style, size, text, pixels uint8 HxW dark on light) from a renderer stream."""
    while True:
        head = stream.read(8)
        if len(head) < 8:
            return
        if head[:2] != b'LN':
            raise ValueError('renderer stream out of step')
        width, height, length = struct.unpack('<HHH', head[2:])
        label = stream.read(length).decode('utf-8')
        pixels = np.frombuffer(stream.read(width * height), dtype=np.uint8).reshape(height, width)
        style, size, text = label.split('\t', 2)
        yield style, int(size), text, pixels


def renderer_lines(renderer, line_set, seed, count=None):
    args = [renderer, '--set', line_set, '--seed', str(seed)]
    if count is not None:
        args += ['--count', str(count)]
    proc = subprocess.Popen(args, stdout=subprocess.PIPE)
    try:
        yield from read_lines(proc.stdout)
    finally:
        proc.kill()
        proc.wait()


def to_tensor(images):
    """Pads views to one width (a multiple of the model's stride) as ink 0..1."""
    width = max(im.shape[1] for im in images)
    width = (width + recogniser.STRIDE - 1) // recogniser.STRIDE * recogniser.STRIDE
    batch = np.zeros((len(images), 1, recogniser.HEIGHT, width), dtype=np.float32)
    for i, im in enumerate(images):
        batch[i, 0, :, :im.shape[1]] = (255 - im.astype(np.float32)) / 255
    return torch.from_numpy(batch)


def encode(text, index):
    codes = [index.get(c) for c in text]
    return None if not codes or None in codes else codes


def decode(best, charset):
    """Greedy CTC decoding of one line's best classes."""
    out, last = [], 0
    for c in best:
        if c != last and c != 0:
            out.append(charset[c - 1])
        last = c
    return ''.join(out)


def edit_distance(a, b):
    prev = list(range(len(b) + 1))
    for i, ca in enumerate(a, 1):
        cur = [i]
        for j, cb in enumerate(b, 1):
            cur.append(min(prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (ca != cb)))
        prev = cur
    return prev[-1]


def comparable(text):
    return ''.join(text.split())


def evaluate(model, lines, charset):
    """CER (blanks ignored) overall and per style and size band."""
    model.eval()
    totals = {}
    with torch.no_grad():
        for start in range(0, len(lines), 32):
            chunk = lines[start:start + 32]
            best = model.logits(to_tensor([p for _, _, _, p in chunk]))[:, :, 0].argmax(1)
            for (style, size, text, pixels), row in zip(chunk, best):
                steps = pixels.shape[1] // recogniser.STRIDE
                got = comparable(decode(row[:steps].tolist(), charset))
                want = comparable(text)
                band = 'small' if size < 13 else 'medium' if size < 20 else 'large'
                for key in ('all', style, band):
                    e, n = totals.get(key, (0, 0))
                    totals[key] = (e + edit_distance(want, got), n + len(want))
    model.train()
    return {k: round(100.0 * e / max(1, n), 2) for k, (e, n) in sorted(totals.items())}


def batches(renderer, seed, index, batch_size, pool=8):
    """Batches of similar width from a pool of rendered lines (less padding)."""
    lines = renderer_lines(renderer, 'train', seed)
    while True:
        group = []
        for style, size, text, pixels in lines:
            codes = encode(text, index)
            if codes:
                group.append((pixels, codes))
            if len(group) == batch_size * pool:
                break
        if not group:
            return
        group.sort(key=lambda g: g[0].shape[1])
        chunks = [group[i:i + batch_size] for i in range(0, len(group), batch_size)]
        np.random.shuffle(chunks)
        yield from chunks


def save(path, state):
    tmp = path + '.tmp'
    torch.save(state, tmp)
    os.replace(tmp, path)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('--renderer', required=True, help='the ocr-render-lines program')
    ap.add_argument('--out', required=True, help='folder for checkpoint.pt and train.log')
    ap.add_argument('--charset', default=os.path.join(HERE, 'charset.txt'))
    ap.add_argument('--minutes', type=float, default=70, help='length of the learning-rate schedule')
    ap.add_argument('--steps', type=int, default=0, help='stop after this many steps (0: when the time is up)')
    ap.add_argument('--batch', type=int, default=32)
    ap.add_argument('--lr', type=float, default=1.5e-3)
    ap.add_argument('--warmup', type=int, default=300)
    ap.add_argument('--checkpoint-minutes', type=float, default=4)
    ap.add_argument('--eval-minutes', type=float, default=8)
    ap.add_argument('--eval-lines', type=int, default=300)
    ap.add_argument('--threads', type=int, default=1)
    ap.add_argument('--seed', type=int, default=1)
    ap.add_argument('--resume', action='store_true')
    args = ap.parse_args()

    torch.set_num_threads(args.threads)
    torch.manual_seed(args.seed)
    np.random.seed(args.seed)
    os.makedirs(args.out, exist_ok=True)
    charset = recogniser.read_charset(args.charset)
    index = {c: i + 1 for i, c in enumerate(charset)}
    model = recogniser.Recognizer(len(charset) + 1)
    optimiser = torch.optim.Adam(model.parameters(), lr=args.lr)
    checkpoint = os.path.join(args.out, 'checkpoint.pt')
    step, spent, seen = 0, 0.0, 0
    if args.resume and os.path.exists(checkpoint):
        state = torch.load(checkpoint)
        model.load_state_dict(state['model'])
        optimiser.load_state_dict(state['optimiser'])
        step, spent, seen = state['step'], state['seconds'], state['lines']
    log = open(os.path.join(args.out, 'train.log'), 'a', encoding='utf-8')

    def note(record):
        line = json.dumps(record, ensure_ascii=False)
        print(line, flush=True)
        log.write(line + '\n')
        log.flush()

    # Fixed lines to measure on: training styles, a held-out face, a held-out stroke design.
    n = args.eval_lines
    eval_sets = {name: list(renderer_lines(args.renderer, name, seed, count))
                 for name, seed, count in (('train', 999, n), ('held-out-face', 1001, n // 2),
                                           ('held-out-stroke', 1002, n // 2))}

    def state():
        return {'model': model.state_dict(), 'optimiser': optimiser.state_dict(), 'step': step, 'seconds': spent,
                'lines': seen, 'classes': len(charset) + 1, 'width': model.classifier.in_channels}

    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    signal.signal(signal.SIGINT, lambda *_: stop.append(1))
    started = time.time() - spent
    last_save = last_eval = time.time()
    losses = []
    for images, targets in ((([g[0] for g in b]), [g[1] for g in b]) for b in
                            batches(args.renderer, args.seed + step, index, args.batch)):
        spent = time.time() - started
        done = spent / 60 / args.minutes
        if stop or done >= 1 or (args.steps and step >= args.steps):
            break
        warm = min(1.0, (step + 1) / args.warmup)
        lr = args.lr * warm * (0.03 + 0.97 * 0.5 * (1 + math.cos(math.pi * min(1.0, done))))
        for group in optimiser.param_groups:
            group['lr'] = lr
        x = to_tensor(images)
        log_probs = model.logits(x)[:, :, 0].permute(2, 0, 1).log_softmax(2)
        input_lengths = torch.tensor([im.shape[1] // recogniser.STRIDE for im in images])
        target_lengths = torch.tensor([len(t) for t in targets])
        flat = torch.tensor([c for t in targets for c in t])
        loss = F.ctc_loss(log_probs, flat, input_lengths, target_lengths, blank=0, zero_infinity=True)
        optimiser.zero_grad()
        loss.backward()
        torch.nn.utils.clip_grad_norm_(model.parameters(), 5.0)
        optimiser.step()
        step += 1
        seen += len(images)
        losses.append(loss.item())
        if step % 50 == 0:
            note({'step': step, 'minutes': round(spent / 60, 1), 'lines': seen, 'loss': round(sum(losses) / len(losses), 3),
                  'lr': round(lr, 6), 'lines_per_s': round(seen / max(1.0, spent), 1)})
            losses = []
        if time.time() - last_save > args.checkpoint_minutes * 60:
            save(checkpoint, state())
            last_save = time.time()
        if time.time() - last_eval > args.eval_minutes * 60:
            note({'step': step, 'minutes': round(spent / 60, 1),
                  'cer': {k: evaluate(model, v, charset) for k, v in eval_sets.items()}})
            last_eval = time.time()
    save(checkpoint, state())
    note({'step': step, 'minutes': round(spent / 60, 1), 'lines': seen, 'final': True,
          'cer': {k: evaluate(model, v, charset) for k, v in eval_sets.items()}})


if __name__ == '__main__':
    main()
