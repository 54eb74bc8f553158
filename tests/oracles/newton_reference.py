#!/usr/bin/env python3
"""An independent model of Newton's method for talvenor's discrete equations, against
the C++ solve: the residual written from the equations, its Jacobian by the complex
step, a tridiagonal solve of its own.

    python3 tests/oracles/newton_reference.py PATH/TO/newton_values

For one case per scheme, solves the equations here and by newton_values, and checks
that the two agree at every node to 1e-12 relative. Exit status 1 if any differs.
"""

import math
import subprocess
import sys

# esquema, fonte, N, Re, beta: each at an Re where successive substitution does not converge.
CASES = [(0, 0, 40, 20.0, 0.5), (1, 2, 50, 20.0, 0.0), (2, 0, 64, 15.0, 0.0)]


def exact(fonte, x):
    """u and the source S = Re u u' - u'' that makes it solve the equation, as (u, u', u'')."""
    if fonte == 0:
        e = math.e - 1.0
        return (math.exp(x) - 1.0) / e, math.exp(x) / e, math.exp(x) / e
    if fonte == 2:
        return x * x, 2.0 * x, 2.0
    raise ValueError(f"fonte {fonte} is not modelled here")


def residual(esquema, Re, beta, h, S, west, middle, east):
    """The equation of one interior node multiplied by 2 h^2; complex arguments allowed."""
    r = Re * h * middle
    if esquema == 2:
        return (2 + r) * west + (2 - r) * east + 2 * h * h * S - 4 * middle
    F = 2 * (r + 1) * west + 2 * east + 2 * h * h * S - 2 * (r + 2) * middle
    if esquema == 0:
        F += beta * Re * h * middle * (2 * middle - east - west)
    return F


def thomas(lower, diagonal, upper, rhs):
    """Solves lower[k] d[k-1] + diagonal[k] d[k] + upper[k] d[k+1] = rhs[k]."""
    n = len(diagonal)
    c, d = [0.0] * n, [0.0] * n
    c[0], d[0] = upper[0] / diagonal[0], rhs[0] / diagonal[0]
    for k in range(1, n):
        m = diagonal[k] - lower[k] * c[k - 1]
        c[k] = upper[k] / m
        d[k] = (rhs[k] - lower[k] * d[k - 1]) / m
    for k in range(n - 2, -1, -1):
        d[k] -= c[k] * d[k + 1]
    return d


def solve(esquema, fonte, N, Re, beta):
    h = 1.0 / N
    x = [i / N for i in range(N + 1)]
    u = [exact(fonte, xi)[0] for xi in x]
    u[0], u[N] = 0.0, 1.0
    S = []
    for xi in x:
        value, slope, curvature = exact(fonte, xi)
        S.append(Re * value * slope - curvature)
    step = 1e-30
    last = math.inf
    for _ in range(50):
        lower, diagonal, upper, rhs = [], [], [], []
        for i in range(1, N):
            args = [u[i - 1], u[i], u[i + 1]]
            F = residual(esquema, Re, beta, h, S[i], *args)
            derivative = []
            for j in range(3):
                pushed = list(args)
                pushed[j] += step * 1j
                derivative.append(residual(esquema, Re, beta, h, S[i], *pushed).imag / step)
            lower.append(derivative[0])
            diagonal.append(derivative[1])
            upper.append(derivative[2])
            rhs.append(-F)
        d = thomas(lower, diagonal, upper, rhs)
        for i in range(1, N):
            u[i] += d[i - 1]
        size = max(abs(v) for v in d)
        if size == 0.0 or size >= last:
            break
        last = size
    return u


def main():
    program = sys.argv[1]
    failed = False
    for case in CASES:
        model = solve(*case)
        run = subprocess.run([program] + [str(v) for v in case], capture_output=True, text=True,
                             check=True)
        values = [float(line) for line in run.stdout.split()]
        if len(values) != len(model):
            print(f"{case}: {len(values)} nodes from the program, {len(model)} here")
            failed = True
            continue
        worst = max(abs(a - b) / abs(b) if b != 0.0 else abs(a) for a, b in zip(values, model))
        print(f"esquema {case[0]}, fonte {case[1]}, N {case[2]}, Re {case[3]}, beta {case[4]}: "
              f"largest relative difference {worst:.2e}")
        if worst > 1e-12:
            failed = True
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
