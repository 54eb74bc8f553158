#!/usr/bin/env python3
"""An independent model of what the program derives from a typed solution: sympy
differentiates u, forms S = Re u u' - u'', integrates u over [0, 1] to 30 digits and
takes u'(1); the program's values (manufactured_values) must match to 1e-13 relative
(S relative to the size of its terms, Re u u' and u'', which may cancel).

    python3 tests/oracles/manufactured_reference.py PATH/TO/manufactured_values

Exit status 1 if any differs.
"""

import subprocess
import sys

import mpmath
import sympy

mpmath.mp.dps = 30

x, Re = sympy.symbols("x Re", real=True)
NAMES = {"x": x, "Re": Re, "pi": sympy.pi, "e": sympy.E, "abs": sympy.Abs, "atan": sympy.atan,
         "log": sympy.log, "erf": sympy.erf}

# (u, Re): the built-in solutions, the named ones of the manual page, every function.
SOLUTIONS = [
    ("(e^x-1)/(e-1)", 20.0),
    ("x^3", 5.0),
    ("(exp(Re*(x-1)) - exp(-Re))/(1 - exp(-Re))", 100.0),
    ("(exp(x)-1)/(e-1) + sin(pi*x)/4", 20.0),
    ("(1 + tanh(Re/10*(x - 0.5)))/2", 200.0),
    ("sin(pi*x)^2 + x*atan(10*(x-0.5))/atan(5)", 10.0),
    ("-(1+x)^-2.5e-1*sqrt(2+x)*cos(x)/log(2+cosh(x)) + tan(x/2) - sinh(x)*tanh(x)", 3.0),
    ("erf(4*(x-0.5))*abs(x-0.3)^3 + 2^x*(1+x)^x + e^(-x)", 7.5),
]
POINTS = 32
TOLERANCE = 1e-13


def symbolic(text):
    """The typed text in sympy, its decimals as exact fractions: 0.5 is 1/2."""
    return sympy.sympify(text.replace("^", "**"), locals=NAMES, rational=True)


def program(values_program, u, Re_value):
    out = subprocess.run([values_program, u, repr(Re_value), str(POINTS)], check=True,
                         capture_output=True, text=True).stdout.split("\n")
    rows = [[float(v) for v in line.split()] for line in out if line and line[0].isdigit()]
    named = dict(line.split() for line in out if line and not line[0].isdigit())
    return rows, float(named["mean"]), float(named["slope"])


def close(got, expected, scale):
    return abs(got - float(expected)) <= TOLERANCE * float(scale)


def main():
    values_program = sys.argv[1]
    failures = 0
    for text, Re_value in SOLUTIONS:
        u = symbolic(text).subs(Re, sympy.Rational(Re_value))
        du = sympy.diff(u, x)
        # abs'' is a delta at the kink, which no node meets.
        d2u = sympy.diff(du, x).replace(sympy.DiracDelta, lambda *_: 0)
        S = Re_value * u * du - d2u
        rows, mean, slope = program(values_program, text, Re_value)
        S_at = sympy.lambdify(x, S, "mpmath")
        scale_at = sympy.lambdify(x, abs(Re_value * u * du) + abs(d2u), "mpmath")
        for x_value, _, _, _, S_value in rows:
            expected = S_at(mpmath.mpf(x_value))
            scale = scale_at(mpmath.mpf(x_value))
            if not close(S_value, expected, scale):
                print(f"u = {text}: S({x_value!r}) is {S_value!r}, sympy {expected}")
                failures += 1
        # mpmath's quadrature split at the kinks of abs, 30 digits.
        kinks = sorted({float(k) for a in u.atoms(sympy.Abs) for k in sympy.solve(a.args[0], x)
                        if 0 < k < 1})
        exact_mean = mpmath.quad(sympy.lambdify(x, u, "mpmath"), [0, *kinks, 1])
        exact_slope = du.subs(x, 1).evalf(30)
        for name, got, expected in (("mean", mean, exact_mean), ("slope", slope, exact_slope)):
            if not close(got, expected, abs(expected)):
                print(f"u = {text}: the {name} is {got!r}, sympy {expected}")
                failures += 1
        print(f"u = {text}, Re = {Re_value}: S at {len(rows)} points, mean, slope checked")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
