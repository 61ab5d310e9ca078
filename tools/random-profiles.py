#!/usr/bin/env python3
"""Writes random settings files made of the pieces that trip profile readers
(blanks, quotes, bases, NULs, odd headers, every line ending, UTF-8 and UTF-16
marks), for comparing the portable reader with the system's under Wine:

    python3 tools/random-profiles.py DIR [COUNT] [SEED]
    build/tests/nyamo-profile-check read DIR/*.ini            > portable.txt
    wine build-win/tests/wine/profile_check.exe read Z:\\DIR\\r0000.ini ...  > system.txt
      (in batches of a few hundred files: a Windows command line holds 32767 characters)
    diff portable.txt system.txt
"""
import os
import random
import sys

BLANKS = [b'', b' ', b'\t', b'\x1a', b'\x0b', b'\x0c', b'  ']
SECTIONS = [b'[Nyamo Saver]', b'[nyamo saver]', b'[ Nyamo Saver ]', b'[Nyamo Saver', b'[Other]', b'[]',
            b'[Nyamo Saver]]', b'[Nyamo Saver] x', b'[Nyamo\x00 Saver]', b'[Nyamo Saver\x00]']
KEYS = [b'CatNum', b'SaverType', b'SaverSpeed', b'catnum', b'SAVERSPEED', b'Cat Num', b'CatNum\x00x', b';CatNum',
        b'\xa0CatNum', b'CatNum\xa0']
VALUES = [b'"', b"'", b'0x', b'0o', b'0b', b'0X', b'-', b'+', b'1', b'7', b'42', b'4294967298', b'9' * 12, b'0' * 20,
          b'a', b'f', b'Z', b'\xa0', b'\xe3\x80\x80', b'\xff', b';', b' ', b'\t', b'\x00', b'\x01', b'.', b'=']
ENDINGS = [b'\r\n', b'\n', b'\r', b'\r\r\n', b'\n\n', b'']


def one_file(rng):
    lines = []
    for _ in range(rng.randint(1, 8)):
        if rng.random() < 0.25:
            line = rng.choice(BLANKS) + rng.choice(SECTIONS) + rng.choice(BLANKS)
        else:
            line = (rng.choice(BLANKS) + rng.choice(KEYS) + rng.choice(BLANKS) + (b'=' if rng.random() < 0.9 else b'')
                    + rng.choice(BLANKS) + b''.join(rng.choice(VALUES) for _ in range(rng.randint(0, 6))))
        lines.append(line + rng.choice(ENDINGS))
    body = b''.join(lines)
    pick = rng.random()
    if pick < 0.15:
        return b'\xff\xfe' + body.decode('latin-1').encode('utf-16-le')
    if pick < 0.2:
        return b'\xfe\xff' + body.decode('latin-1').encode('utf-16-be')
    if pick < 0.3:
        return b'\xef\xbb\xbf' + body
    return body


def main():
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 1500
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 11)
    os.makedirs(folder, exist_ok=True)
    for i in range(count):
        with open(os.path.join(folder, 'r%04d.ini' % i), 'wb') as f:
            f.write(one_file(rng))


if __name__ == '__main__':
    main()
