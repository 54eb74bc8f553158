#!/usr/bin/env python3
"""An independent model of talvenor-study's audit of its uncertainty estimators.

Reads a campaign's row file PREFIX.csv, regroups every value as the audit should
(by its own mesh's cell Reynolds number Re*h, by P = p_apparent / formal_order in
the bands of Xing and Stern, the finest mesh of each study, each scheme), and checks
every record of PREFIX-estimators.csv against it: counts exactly, coverage, its
95 % Wilson interval (the roots of the score test, found by bisection) and the
effectivities to 1e-12. Exit status 0 when all agree; else each disagreement on
a line of its own and status 1.

    audit_groups.py PREFIX.csv PREFIX-estimators.csv
"""

import csv
import statistics
import sys
from statistics import NormalDist

ESTIMATORS = ["u_gci", "u_fs", "u_lsq"]
BANDS = [("P < 0", float("-inf"), 0.0), ("0 <= P < 0.9", 0.0, 0.9),
         ("0.9 <= P < 1.1", 0.9, 1.1), ("1.1 <= P < 2", 1.1, 2.0),
         ("P >= 2", 2.0, float("inf"))]
Z = NormalDist().inv_cdf(0.975)


def wilson(covered, valued):
    """The bounds q of (covered/valued - q)^2 <= Z^2 q (1 - q) / valued."""
    share = covered / valued

    def outside(q):
        return (share - q) ** 2 - Z * Z * q * (1.0 - q) / valued > 0.0

    def bisect(inside, out):
        for _ in range(200):
            middle = 0.5 * (inside + out)
            if outside(middle):
                out = middle
            else:
                inside = middle
        return inside

    low = 0.0 if covered == 0 else bisect(share, 0.0)
    high = 1.0 if covered == valued else bisect(share, 1.0)
    return 100.0 * low, 100.0 * high


def graded_values(path):
    """Each value with an exact error: its estimates and the groups it belongs to."""
    with open(path, newline="") as handle:
        rows = list(csv.DictReader(handle))
    last = {}
    for index, row in enumerate(rows):
        last[(row["esquema"], row["fonte"], row["Re"], row["beta"], row["variable"])] = index
    finest = set(last.values())
    values = []
    for index, row in enumerate(rows):
        if not row["numerical"] or not row["error"]:
            continue  # a norm, or a diverged mesh
        groups = ["all"] + (["finest mesh"] if index in finest else [])
        groups.append("esquema " + row["esquema"])
        groups.append("Re*h < 2" if float(row["Re"]) * float(row["h"]) < 2.0 else "Re*h >= 2")
        if row["p_apparent"]:
            P = float(row["p_apparent"]) / float(row["formal_order"])
            groups += [name for name, low, high in BANDS if low <= P < high]
        else:
            groups.append("no P")
        estimates = [float(row[name]) if row[name] else None for name in ESTIMATORS]
        values.append((abs(float(row["error"])), estimates, groups, row["esquema"]))
    return values


def expected_records(values):
    schemes = []
    for _, _, _, scheme in values:
        if "esquema " + scheme not in schemes:
            schemes.append("esquema " + scheme)
    order = (["all", "finest mesh"] + schemes + ["Re*h < 2", "Re*h >= 2"] +
             [name for name, _, _ in BANDS] + ["no P"])
    records = []
    for e, name in enumerate(ESTIMATORS):
        for group in order:
            members = [(error, est[e]) for error, est, groups, _ in values if group in groups]
            if not members:
                continue
            given = [(error, u) for error, u in members if u is not None]
            covered = sum(1 for error, u in given if u >= error)
            ratios = [u / error for error, u in given if error != 0.0]
            record = [name, group, len(given), covered]
            record += [100.0 * covered / len(given), *wilson(covered, len(given))] if given else [None] * 3
            record.append(len(members) - len(given))
            record += [min(ratios), statistics.median(ratios), max(ratios)] if ratios else [None] * 3
            records.append(record)
    return records


def agree(field, want):
    if want is None:
        return field == ""
    if not isinstance(want, float):
        return field == str(want)
    return field != "" and abs(float(field) - want) <= 1e-12 * max(abs(want), 1.0)


def main(rows_path, audit_path):
    expected = expected_records(graded_values(rows_path))
    with open(audit_path, newline="") as handle:
        found = list(csv.reader(handle))
    header = ["estimator", "group", "values", "covered", "coverage_percent",
              "coverage_low_percent", "coverage_high_percent", "abstained",
              "effectivity_min", "effectivity_median", "effectivity_max"]
    faults = [] if found[0] == header else ["header: %s" % found[0]]
    if len(found) - 1 != len(expected):
        faults.append("%d records, expected %d" % (len(found) - 1, len(expected)))
    for record, want in zip(found[1:], expected):
        if len(record) != len(want) or not all(agree(f, w) for f, w in zip(record, want)):
            faults.append("record %s, expected %s" % (record, want))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
