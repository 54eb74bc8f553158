#!/usr/bin/env python3
"""Writes verdict_cases.inc: sequences of values on meshes with the verdict, notes and
oscillation uncertainty that an independent model of the study's rules gives them.

The model, written from the rules as documented (man talvenor-study, docs/study.md):
  - effective orders p_k from the errors E = exact - value of successive meshes;
  - verified when the least-squares order of the finest three is within 0.1 of the formal
    order P; oscillatory when their values go up and down;
  - else the orders approach P when |p_n - P| <= |p_(n-1) - P| - 0.01 and the limit they
    head for is within 0.1 of P: Aitken's delta-squared on the last three orders when
    their ratio of steps rho has |rho| < m = r^-0.5, or the span from the last order to
    that limit (the orders may pass P on their way); refine while the steps grow
    (rho >= 1) and both approach by 0.01; else the range of limits
    p_n + d rho / (1 - rho) for -m <= rho <= m, d the last step: refine; else FAILED;
  - a row's apparent order below 0.1 (either side of zero) is "not converging" with no
    extrapolation; three values that go up and down have U = 2 * half their range.
The values are computed here in binary floating point and written with 17 digits, so
that the C++ test reads the very numbers the model judged. Regenerate after changing
the cases:

    python3 tests/oracles/verdict_cases.py > src/analysis/verdict_cases.inc

With --check FILE it writes nothing and tells whether FILE is what it would write
(exit status 1 and the first differing line when it is not).
"""

import math
import sys

TOLERANCE = 0.1      # |order - formal| for verified, |limit - formal| for refine
SHRINK = 0.01        # the least shrink of |p - formal| from one pair to the next
NEXT_TERM_GAP = 0.5  # the next term of the error at least this above the leading one
LEAST_ORDER = 0.1    # apparent orders below this give no extrapolation
OSCILLATION_SAFETY = 2.0


def effective_orders(h, errors):
    return [math.log(abs(errors[k - 1]) / abs(errors[k])) / math.log(h[k - 1] / h[k])
            for k in range(1, len(h))]


def least_squares_order(h, errors):
    x = [math.log(v) for v in h]
    y = [math.log(abs(e)) for e in errors]
    mx, my = sum(x) / len(x), sum(y) / len(y)
    return (sum((a - mx) * (b - my) for a, b in zip(x, y))
            / sum((a - mx) ** 2 for a in x))


def trend(orders, ratio, formal):
    """(approaches, low, high): the rule's decision and where the orders head."""
    last, step = orders[-1], orders[-1] - orders[-2]
    def closer(before, after):
        return abs(after - formal) <= abs(before - formal) - SHRINK
    if not closer(orders[-2], last):
        return False, last, last
    most = ratio ** -NEXT_TERM_GAP
    before = orders[-2] - orders[-3] if len(orders) >= 3 else 0.0
    rho = step / before if before != 0.0 else 1.0
    if len(orders) >= 3 and rho >= 1.0 and closer(orders[-3], orders[-2]):
        return True, last, last  # still gathering speed
    if abs(rho) < most:
        low = high = last + step * rho / (1.0 - rho)
    else:
        ends = (last - step * most / (1.0 + most), last + step * most / (1.0 - most))
        low, high = min(ends), max(ends)
    # From the last order to the limit: the orders may pass the formal one on their way.
    return min(low, last) - TOLERANCE <= formal <= max(high, last) + TOLERANCE, low, high


def verdict(h, values, exact, formal):
    """The verdict on meshes whose errors are all clean (none at round-off)."""
    errors = [exact - v for v in values]
    c, m, f = values[-3:]
    if (c - m) * (m - f) < 0.0:
        return "oscillatory", "values go up and down"
    order = least_squares_order(h[-3:], errors[-3:])
    if abs(order - formal) <= TOLERANCE:
        return "verified", "least-squares order %.3f" % order
    orders = effective_orders(h[-4:], errors[-4:])
    approaches, low, high = trend(orders, h[-2] / h[-1], formal)
    words = "orders %s, limit %.3f to %.3f" % (", ".join("%.3f" % p for p in orders), low, high)
    return ("refine" if approaches else "failed"), words


def finest_row(h, values):
    """(notes, u_gci) of the finest of three values on a constant ratio."""
    c, m, f = values[-3:]
    if (c - m) * (m - f) < 0.0:
        return "oscillatory", OSCILLATION_SAFETY * 0.5 * (max(c, m, f) - min(c, m, f))
    p = math.log((c - m) / (m - f)) / math.log(h[-2] / h[-1])
    if p < LEAST_ORDER:
        return "not converging", None
    r = h[-2] / h[-1]
    return "", 1.25 * abs((f - m) / f) / (r ** p - 1.0) * abs(f)


def halvings(first, count):
    return [first / 2.0 ** k for k in range(count)]


def with_orders(first, orders):
    """f = 1 + E(h), E(first) = 0.1, with effective orders `orders` on halvings of `first`."""
    def f(h):
        k = round(math.log2(first / h))
        return 1 + 0.1 * 2.0 ** -sum(orders[:k])
    return f


# (name, formal, h, f(h)); the exact value is 1 throughout.
VERDICT_CASES = [
    ("f = 1 + 0.3 h, six meshes, declared 2", 2.0, halvings(0.1, 6), lambda h: 1 + 0.3 * h),
    ("f = 1 + 0.3 h, three meshes, declared 2", 2.0, halvings(0.1, 3), lambda h: 1 + 0.3 * h),
    ("f = 1 + 0.3 h, declared 1", 1.0, halvings(0.1, 6), lambda h: 1 + 0.3 * h),
    ("creeping to 1, three meshes, declared 2", 2.0, halvings(0.1, 3),
     lambda h: 1 + 0.3 * h - 0.5 * h * h),
    ("creeping to 1, four meshes, declared 2", 2.0, halvings(0.1, 4),
     lambda h: 1 + 0.3 * h - 0.5 * h * h),
    ("creeping to 1, six meshes, declared 2", 2.0, halvings(0.1, 6),
     lambda h: 1 + 0.3 * h - 0.5 * h * h),
    ("creeping to 1, ten meshes, declared 2", 2.0, halvings(0.1, 10),
     lambda h: 1 + 0.3 * h - 0.5 * h * h),
    ("from below, three meshes", 2.0, halvings(0.1, 3), lambda h: 1 + h * h - 5 * h ** 3),
    ("from below, four meshes", 2.0, halvings(0.1, 4), lambda h: 1 + h * h - 5 * h ** 3),
    ("from below, five meshes", 2.0, halvings(0.1, 5), lambda h: 1 + h * h - 5 * h ** 3),
    ("from above, three meshes", 2.0, halvings(0.1, 3), lambda h: 1 + h * h + 10 * h ** 3),
    ("from above, five meshes", 2.0, halvings(0.1, 5), lambda h: 1 + h * h + 10 * h ** 3),
    ("from above, six meshes", 2.0, halvings(0.1, 6), lambda h: 1 + h * h + 10 * h ** 3),
    ("from above, ratio 1.5, three meshes", 2.0, [0.1, 0.1 / 1.5, 0.1 / 2.25],
     lambda h: 1 + h * h + 10 * h ** 3),
    ("logarithmic approach, h^2 log h", 2.0, halvings(0.1, 6),
     lambda h: 1 + h * h + h * h * math.log(h)),
    ("second order, declared 2", 2.0, halvings(0.1, 4), lambda h: 1 + h * h),
    ("order 2.3 steady, declared 2", 2.0, halvings(0.1, 5), lambda h: 1 + h ** 2.3),
    ("order 1.0 steady, declared 2, round-off steps", 2.0, halvings(0.4, 6),
     lambda h: 1 + 7e-3 * h),
    ("gathering speed toward 1", 1.0, halvings(0.1, 4), with_orders(0.1, [0.1, 0.25, 0.5])),
    ("gathering speed away from 1", 1.0, halvings(0.1, 4), with_orders(0.1, [0.9, 0.8, 0.6])),
    ("moving away from 1", 1.0, halvings(0.1, 3), lambda h: 1 + h ** 0.7 * (1 + 2 * h)),
    ("passing 2 toward 2.09", 2.0, halvings(0.1, 4), with_orders(0.1, [1.63, 1.81, 1.92])),
    ("past 1 and moving away toward 1.5", 1.0, halvings(0.1, 4), with_orders(0.1, [0.5, 1.0, 1.25])),
]

# (name, h, values) of a variable without exact values: the finest row's notes and u_gci.
ROW_CASES = [
    ("apparent order 1.4e-7", [4.0, 2.0, 1.0], [3.0, 2.0, 1.0000001]),
    ("apparent order -1.4e-7", [4.0, 2.0, 1.0], [3.0, 2.0, 0.9999999]),
    ("equal differences", [4.0, 2.0, 1.0], [3.0, 2.0, 1.0]),
    ("apparent order 0.09", [4.0, 2.0, 1.0], [3.0, 2.0, 1.0 + 1.0 - 2.0 ** -0.09]),
    ("apparent order 0.11", [4.0, 2.0, 1.0], [3.0, 2.0, 1.0 + 1.0 - 2.0 ** -0.11]),
    ("growing differences", [4.0, 2.0, 1.0], [3.0, 2.0, 0.5]),
    ("up and down", [0.4, 0.2, 0.1], [1.0, 0.9, 0.95]),
    ("down and up", [0.4, 0.2, 0.1], [1.0, 1.1, 1.05]),
]


def number(value):
    return repr(float(value))


def lines():
    yield "// Written by tests/oracles/verdict_cases.py from its model of the study's rules;"
    yield "//   python3 tests/oracles/verdict_cases.py > src/analysis/verdict_cases.inc"
    yield "// Verdict cases: name, formal order, h, values (exact value 1), verdict."
    yield "const VerdictCase kVerdictCases[] = {"
    for name, formal, h, f in VERDICT_CASES:
        values = [f(x) for x in h]
        kind, words = verdict(h, values, 1.0, formal)
        yield "    // %s" % words
        yield "    {\"%s\", %s, {%s}, {%s}, VerdictKind::%s}," % (
            name, number(formal), ", ".join(number(x) for x in h),
            ", ".join(number(v) for v in values), kind)
    yield "};"
    yield "// Row cases: name, h, values (no exact value), notes and u_gci of the finest row."
    yield "const RowCase kRowCases[] = {"
    for name, h, values in ROW_CASES:
        notes, u_gci = finest_row(h, values)
        yield "    {\"%s\", {%s}, {%s}, \"%s\", %s}," % (
            name, ", ".join(number(x) for x in h), ", ".join(number(v) for v in values), notes,
            "kNone" if u_gci is None else number(u_gci))
    yield "};"


def check(path):
    with open(path, encoding="ascii") as committed:
        have = committed.read().split("\n")
    want = list(lines()) + [""]
    for number_, (a, b) in enumerate(zip(have, want), 1):
        if a != b:
            print("%s line %d differs:\n  file:  %s\n  model: %s" % (path, number_, a, b))
            return 1
    if len(have) != len(want):
        print("%s has %d lines, the model writes %d" % (path, len(have), len(want)))
        return 1
    return 0


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--check":
        sys.exit(check(sys.argv[2]))
    for line in lines():
        print(line)


if __name__ == "__main__":
    main()
