#!/usr/bin/env python3
"""Writes number_format_cases.inc: doubles with their texts in E23.14, E27.14 (both after 1P)
and F14.3, worked out with exact decimal arithmetic, independently of number_format.cpp.

The digits of a field come from the double's exact value rounded half-even to 17
significant digits, then rounded half-up (5 to 9 up) on that decimal string to the digits
the field keeps (at most 16; F keeps e + d). Regenerate after changing the case list:

    python3 tests/oracles/number_format_cases.py > src/textio/number_format_cases.inc

With --check FILE it writes nothing and tells whether FILE is what it would write
(exit status 1 and the first differing line when it is not).
"""

import math
import random
import struct
import sys
from decimal import ROUND_HALF_EVEN, ROUND_HALF_UP, Context, Decimal

WIDE = Context(prec=1000, Emin=-999999, Emax=999999)


def seventeen_digits(magnitude):
    """The exact value of a non-negative double, rounded half-even to 17 digits."""
    if magnitude == 0.0:
        return Decimal(0)
    return Context(prec=17, rounding=ROUND_HALF_EVEN).plus(Decimal(magnitude))


def keep_digits(number, count):
    """`number` rounded half-up to `count` (at most 16) significant digits."""
    return Context(prec=min(count, 16), rounding=ROUND_HALF_UP).plus(number)


def justify(text, width):
    return "*" * width if len(text) > width else text.rjust(width)


def scientific(value, width, digits):
    number = seventeen_digits(abs(value))
    if number == 0:
        mantissa, exponent = "0" * (digits + 1), 0
    else:
        kept = keep_digits(number, digits + 1)
        mantissa = "".join(map(str, kept.as_tuple().digits)).ljust(digits + 1, "0")
        exponent = kept.adjusted()
    form = "E%+03d" % exponent if abs(exponent) <= 99 else "%+04d" % exponent
    sign = "-" if value < 0 else ""
    return justify(sign + mantissa[0] + "." + mantissa[1:] + form, width)


def fixed(value, width, digits):
    number = seventeen_digits(abs(value))
    if number != 0 and number.adjusted() + 1 + digits > 16:
        number = keep_digits(number, 16)
    kept = number.quantize(Decimal(1).scaleb(-digits), rounding=ROUND_HALF_UP, context=WIDE)
    text = format(kept, "f")
    if text.startswith("0."):
        text = text[1:]
    sign = "-" if value < 0 and kept != 0 else ""
    return justify(sign + text, width)


def from_bits(bits):
    return struct.unpack("<d", struct.pack("<Q", bits))[0]


def cases():
    rng = random.Random(20240611)
    values = [0.0, 1.0, -0.5, 2.0 / 3.0, 1.0 / 3.0, 0.125, 9.999999999999998, 5.224623370010705]

    # Any finite double: random bits.
    while len(values) < 100:
        value = from_bits(rng.getrandbits(64))
        if math.isfinite(value):
            values.append(value)
    # Magnitudes that a listing shows, where F14.3 has digits to keep.
    for _ in range(60):
        values.append(rng.choice([1, -1]) * 10 ** rng.uniform(-6, 11))
    # A 5 in the first digit dropped by E: "d.dddddddddddddd5" times a power of ten, and the
    # same just below, where 17 digits round ...4999 up to ...50 (double rounding).
    for _ in range(40):
        head = "%d.%014d" % (rng.randint(1, 9), rng.randrange(10**14))
        power = rng.randint(-30, 30)
        values.append(float(head + "5e%d" % power))
        values.append(float(head + "4999999%de%d" % (rng.randint(0, 9), power)))
    # A 5 in the first digit dropped by F14.3.
    for _ in range(30):
        values.append(rng.choice([1, -1]) * float("%d.%03d5" % (rng.randrange(10**rng.randint(0, 6)), rng.randrange(1000))))
    values += [0.0625, 0.0005, -0.0005, 0.0006, -0.0006, 0.0004, -0.0004, 0.00049999999999999, 1.0005]
    # Carries: just below powers of ten, and nines that round up.
    for power in range(-25, 26, 2):
        ten = float("1e%d" % power)
        values += [ten, math.nextafter(ten, 0.0), -math.nextafter(ten, 0.0)]
    for nines in ["0.9995", "9.9995", "99999.9995", "9.999999999999995", "9.99999999999999949",
                  "0.99999999999999994", "999999999.99951"]:
        values.append(float(nines))
    # Ties at the 17th digit: doubles whose exact value has 18 significant digits.
    found = 0
    for power in range(20, 80):
        for odd in range(1, 400, 2):
            value = odd * 2.0**-power
            if len(Decimal(value).as_tuple().digits) == 18 and found < 16:
                values.append(value)
                found += 1
    # The ends of the range and the changes of exponent form.
    values += [5e-324, -5e-324, 2.2250738585072014e-308, 2.225073858507201e-308,
               1.7976931348623157e308, -1.7976931348623157e308, 1e-99, 1e-100,
               9.999999999999999e-100, 9.9999999999999995e-100, 1e99, 9.999999999999999e99,
               9.99999999999999e99, 1e100, 1e-120, 1e308, 1.5e-323]
    # Large values around the width of F14.3.
    values += [2.5e9, 1e10, 9999999999.999, 9999999999.9996, -999999999.999, -999999999.9996,
               12345.6789, 0.9996, -0.0]
    return values


def c_literal(value):
    return "-0x0p+0" if value == 0 and math.copysign(1, value) < 0 else float.hex(value)


def lines():
    yield "// Generated by number_format_cases.py; regenerate with"
    yield "//   python3 tests/oracles/number_format_cases.py > src/textio/number_format_cases.inc"
    yield "// value, then its texts in 1P,E23.14, 1P,E27.14 and F14.3."
    seen = set()
    for value in cases():
        if c_literal(value) in seen:
            continue
        seen.add(c_literal(value))
        yield "    {%s,  // %r" % (c_literal(value), value)
        yield '     "%s", "%s", "%s"},' % (scientific(value, 23, 14), scientific(value, 27, 14),
                                          fixed(value, 14, 3))


def check(path):
    with open(path, encoding="ascii") as committed:
        have = committed.read().split("\n")
    want = list(lines()) + [""]
    for number, (line, expected) in enumerate(zip(have, want), start=1):
        if line != expected:
            print(f"{path}:{number}: differs from what this script writes:\n"
                  f"  has  {line!r}\n  want {expected!r}")
            return 1
    if len(have) != len(want):
        print(f"{path}: {len(have) - 1} lines, this script writes {len(want) - 1}")
        return 1
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--check":
        sys.exit(check(sys.argv[2]))
    for line in lines():
        print(line)
