#!/usr/bin/env python3
"""The source that talvenor-study --source prints, compiled and run, against the
program's own S = Re u u' - u'' of the same solution.

    python3 tests/oracles/printed_source.py TALVENOR_STUDY MANUFACTURED_VALUES

For each solution of the table: the Python text run here, the C text built with cc and
the Fortran text with gfortran (each skipped when the compiler is missing), each
evaluated at 65 points of [0, 1] and matched to the program's u, u' and S to 1e-13 of
the size of the terms of S. Exit status 1 if any differs or does not build.
"""

import os
import shutil
import subprocess
import sys
import tempfile

# (u, Re): every function of the language, negative numbers, powers and quotients.
SOLUTIONS = [
    ("(exp(Re*(x-1)) - exp(-Re))/(1 - exp(-Re))", 100.0),
    ("sin(pi*x)^2 + x*atan(10*(x-0.5))/atan(5)", 10.0),
    ("-(1+x)^-2.5e-1*sqrt(2+x)*cos(x)/log(2+cosh(x)) + tan(x/2) - sinh(x)*tanh(x)", 3.0),
    ("erf(4*(x-0.5))*abs(x-0.3)^3 + 2^x*(1+x)^x + e^(-x)", 7.5),
    ("x^2", 20.0),
]
POINTS = 64


def program_values(values_program, u, Re):
    """[(x, u, du, S)] as the program evaluates them."""
    out = subprocess.run([values_program, u, repr(Re), str(POINTS)], check=True,
                         capture_output=True, text=True).stdout.split("\n")
    rows = [line.split() for line in out if line and line.split()[0] not in ("mean", "slope")]
    return [(float(r[0]), float(r[1]), float(r[2]), float(r[4]), abs(float(r[3])) +
             abs(Re * float(r[1]) * float(r[2]))) for r in rows]


def printed(study, u, language):
    return subprocess.run([study, "--source", u, "--language", language], check=True,
                          capture_output=True, text=True).stdout


def run_python(text, points, Re):
    scope = {}
    exec(text, scope)
    return [(scope["exact_u"](x, Re), scope["exact_du"](x, Re), scope["source"](x, Re))
            for x in points]


C_MAIN = """
#include <stdio.h>
#include <stdlib.h>
int main(int argc, char **argv) {
  double Re = atof(argv[1]);
  for (int k = 0; k <= %d; ++k) {
    double x = (double)k / %d;
    printf("%%.17g %%.17g %%.17g\\n", exact_u(x, Re), exact_du(x, Re), source(x, Re));
  }
  return 0;
}
"""

FORTRAN_MAIN = """
program values
  use manufactured
  implicit none
  character(len=64) :: text
  real(8) :: Re, x
  integer :: k
  call get_command_argument(1, text)
  read (text, *) Re
  do k = 0, %d
    x = dble(k) / %d
    write (*, '(3es26.17e3)') exact_u(x, Re), exact_du(x, Re), source(x, Re)
  end do
end program values
"""


def run_built(command, source_name, text, Re, folder):
    path = os.path.join(folder, source_name)
    with open(path, "w") as f:
        f.write(text)
    program = os.path.join(folder, "values")
    subprocess.run(command + [path, "-o", program, "-lm"], check=True)
    out = subprocess.run([program, repr(Re)], check=True, capture_output=True, text=True).stdout
    return [tuple(float(v) for v in line.split()) for line in out.splitlines()]


def main():
    study, values_program = sys.argv[1], sys.argv[2]
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        for u, Re in SOLUTIONS:
            expected = program_values(values_program, u, Re)
            points = [row[0] for row in expected]
            results = {"python": run_python(printed(study, u, "python"), points, Re)}
            if shutil.which("cc"):
                results["c"] = run_built(["cc", "-std=c99", "-ffp-contract=off"], "u.c",
                                         printed(study, u, "c") + C_MAIN % (POINTS, POINTS),
                                         Re, folder)
            if shutil.which("gfortran"):
                results["fortran"] = run_built(
                    ["gfortran", "-ffp-contract=off"], "u.f90",
                    printed(study, u, "fortran") + FORTRAN_MAIN % (POINTS, POINTS), Re, folder)
            for language, rows in results.items():
                for (x, eu, edu, eS, scale), (gu, gdu, gS) in zip(expected, rows):
                    worst = max(abs(gu - eu) / max(abs(eu), 1e-300),
                                abs(gdu - edu) / max(abs(edu), 1e-300), abs(gS - eS) / scale)
                    if worst > 1e-13 or len(rows) != len(expected):
                        print(f"{language}: u = {u}, x = {x!r}: u {gu!r} du {gdu!r} S {gS!r}, "
                              f"the program {eu!r} {edu!r} {eS!r}")
                        failures += 1
                        break
            print(f"{u}: {', '.join(sorted(results))} agree with the program")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
