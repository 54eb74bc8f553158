#!/usr/bin/env python3
"""An independent model of a talvenor run, in Python's IEEE doubles, for checking the
expected files of the end-to-end cases: the same operations in the same order, the
number forms from tests/oracles/number_format_cases.py.

    python3 tests/e2e/reference.py FOLDER

reads FOLDER/Talvenor.in (one value per line, as the cases here write it), and checks
the files a run left in FOLDER: the iteration log and the data file whole, and every
table row and report value of the listing. Prints what differs; exit status 1 if any.
"""

import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "oracles"))
from number_format_cases import scientific  # noqa: E402


def read_case(path):
    with open(path, "rb") as f:
        lines = [line.split("  ")[0].strip() for line in f.read().decode("cp1252").splitlines()]
    text = lambda s: s.strip("'")  # noqa: E731
    keys = ["caso", "esquema", "fonte", "N", "Re", "beta", "itmax", "graficos", "lista_coef",
            "lista_sol", "freq", "titulo"]
    case = dict(zip(keys, lines))
    for key in ["esquema", "fonte", "N", "itmax", "graficos", "lista_coef", "lista_sol", "freq"]:
        case[key] = int(case[key])
    case["Re"], case["beta"] = float(case["Re"]), float(case["beta"])
    case["caso"], case["titulo"] = text(case["caso"]), text(case["titulo"])
    return case


def E(value):
    return scientific(value, 23, 14)


def run(c):
    N = c["N"]
    h = 1.0 / N
    x = [i * h for i in range(N + 1)]
    x[0], x[N] = 0.0, 1.0
    ua = [0.0] * (N + 1)
    S = [0.0] * (N + 1)
    aw, ap, ae, bp = ([0.0] * (N + 1) for _ in range(4))
    fonte, Re, beta = c["fonte"], c["Re"], c["beta"]
    exact = (0.0, 0.0)
    e = math.exp(1.0)
    if fonte == 0:
        ua = [(math.exp(xi) - 1.0) / (e - 1.0) for xi in x]
        ua[0], ua[N] = 0.0, 1.0
        exact = ((e - 2.0) / (e - 1.0), e / (e - 1.0))
    elif fonte in (1, 2, 3, 4):
        power = [lambda v: v, lambda v: v * v, lambda v: (v * v) * v,
                 lambda v: (v * v) * (v * v)][fonte - 1]
        ua = [power(xi) for xi in x]
        exact = [(0.5, 1.0), (1.0 / 3.0, 2.0), (0.25, 3.0), (0.2, 4.0)][fonte - 1]
    u = list(ua)
    log = [" iteração  u(1/2)                 u_média                Inclinação"]
    esquema = c["esquema"]
    mean = slope = 0.0
    if esquema in (0, 1, 2):
        for i, xi in enumerate(x):
            if fonte == 0:
                D = (e - 1.0) * (e - 1.0)
                S[i] = (math.exp(xi) * (((math.exp(xi) - 1.0) * Re - e) + 1.0)) / D
            elif fonte == 1:
                S[i] = xi * Re
            elif fonte == 2:
                S[i] = (((xi * xi) * xi) * Re) * 2.0 - 2.0
            elif fonte == 3:
                p = xi * xi
                S[i] = ((p * (xi * p)) * Re - xi * 2.0) * 3.0
            elif fonte == 4:
                p = xi * xi
                S[i] = ((p * ((p * p) * xi)) * Re - (xi * xi) * 3.0) * 4.0
        hh = h * h
        if esquema != 0:
            for i in range(1, N):
                bp[i] = (S[i] * hh) * 2.0
        ap[0] = ap[N] = 1.0
        bp[N] = 1.0
        for it in range(1, c["itmax"] + 1):
            for i in range(1, N):
                r = (u[i] * h) * Re
                if esquema == 2:
                    aw[i], ap[i], ae[i] = 2.0 + r, 4.0, 2.0 - r
                else:
                    aw[i], ap[i], ae[i] = (r + 1.0) * 2.0, (r + 2.0) * 2.0, 2.0
                if esquema == 0:
                    t = ((((2.0 * u[i]) - u[i + 1]) - u[i - 1]) * u[i]) * beta * h * Re
                    bp[i] = t + (S[i] * hh) * 2.0
            P, Q = [0.0] * (N + 1), [0.0] * (N + 1)
            P[0], Q[0] = ae[0] / ap[0], bp[0] / ap[0]
            for i in range(1, N + 1):
                D = ap[i] - P[i - 1] * aw[i]
                P[i], Q[i] = ae[i] / D, (Q[i - 1] * aw[i] + bp[i]) / D
            u[N] = Q[N]
            for i in range(N - 1, -1, -1):
                u[i] = P[i] * u[i + 1] + Q[i]
            slope = (((u[N - 1] * -4.0) + u[N - 2]) + u[N] * 3.0) / (h * 2.0)
            total = 0.0
            for i in range(1, N + 1):
                total += u[i] + u[i - 1]
            mean = (total * h) * 0.5
            log.append("%8d" % it + E(u[N // 2]) + E(mean) + E(slope))
    nodes = list(range(0, N, c["freq"])) + [N]
    coefficient_rows = ["%8d" % i + E(x[i]) + E(aw[i]) + E(ap[i]) + E(ae[i]) + E(bp[i])
                        for i in nodes]
    solution_rows = ["%8d" % i + E(x[i]) + E(ua[i]) + E(u[i]) + E(ua[i] - u[i]) for i in nodes]
    m = N // 2
    report = [(ua[m], u[m]), (exact[0], mean), (exact[1], slope)]
    return log, coefficient_rows, solution_rows, report, h


def main():
    folder = sys.argv[1]
    c = read_case(os.path.join(folder, "Talvenor.in"))
    log, coefficient_rows, solution_rows, report, h = run(c)
    crlf = lambda rows: "".join(r.rstrip(" ") + "\r\n" for r in rows).encode("cp1252")  # noqa: E731
    read = lambda name: open(os.path.join(folder, name), "rb").read()  # noqa: E731
    faults = []
    if read(c["caso"] + ".itn") != crlf(log):
        faults.append("iteration log differs")
    if c["graficos"] == 1:
        header = ["# *** SOLUÇÕES DE u ***",
                  "#     nó   x                      analítico              numérico"
                  "               erro"]
        if read("Talvenor_u.dat") != crlf(header + solution_rows):
            faults.append("data file differs")
    listing = read(c["caso"]).decode("cp1252").split("\r\n")
    expected = []
    if c["lista_coef"] == 1:
        expected += coefficient_rows
    if c["lista_sol"] == 1:
        expected += solution_rows
    for exact, numerical in report:
        expected += [" " * 23 + E(exact), E(h) + E(numerical), " " * 23 + E(exact - numerical)]
    at = 0
    for row in expected:
        found = next((k for k in range(at, len(listing)) if listing[k].startswith(row)), None)
        if found is None:
            faults.append("listing lacks, in order: " + row)
            break
        at = found + 1
    for fault in faults:
        print(folder + ": " + fault)
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
