#!/usr/bin/python3
"""Writes the recogniser's character set: every character code page 932 carries
that a drawing may hold (ASCII, JIS X 0208 symbols, full-width forms, kana, Greek,
Cyrillic, level 1 and 2 kanji, the NEC row with ㎜ and circled numbers), one per
line, the blank first. Half-width katakana and the IBM extension rows are left out.

Usage: make_charset.py OUT
"""
import sys


def cp932_characters():
    chars = [' '] + [chr(c) for c in range(0x21, 0x7F)]
    lead_bytes = list(range(0x81, 0x85)) + [0x87] + list(range(0x88, 0xA0)) + list(range(0xE0, 0xEB))
    for lead in lead_bytes:
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
            try:
                ch = bytes([lead, trail]).decode('cp932')
            except UnicodeDecodeError:
                continue
            if len(ch) == 1 and ch.isprintable() and ch not in chars:
                chars.append(ch)
    return chars


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    chars = cp932_characters()
    with open(sys.argv[1], 'w', encoding='utf-8') as out:
        out.write(''.join(c + '\n' for c in chars))
    print(f'{len(chars)} characters')


if __name__ == '__main__':
    main()
