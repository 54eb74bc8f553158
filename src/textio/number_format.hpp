#pragma once

#include <cstdint>
#include <string>

namespace talvenor {

// The text forms of numbers in fixed-width fields. Each function writes exactly
// `width` characters at `out`, right-justified; a text longer than the field is
// written as `width` asterisks.

/// Integer field Iw.  format_integer(-12, 8) -> "     -12"
void format_integer(char* out, std::int64_t value, int width);

/// Scientific field Ew.d with scale factor 1 ("1P,E23.14"): one digit before the
/// point, d after, exponent E+dd, or +ddd beyond two digits.
///   format_scientific(2.0 / 3.0, 23, 14)  -> "   6.66666666666667E-01"
///   format_scientific(1.0e-120, 23, 14)   -> "   1.00000000000000-120"
/// Zero, of either sign, is "0.00000000000000E+00"; infinities and NaNs, which the run
/// traps before they reach a field, fill any field with asterisks.
/// Digits: the value's 17 correctly rounded significant digits, then rounded to the
/// field's d + 1 digits by the next decimal digit (ties away from zero on the decimal
/// string): 5.224623370010705 in E27.14 -> "5.22462337001071E+00".
void format_scientific(char* out, double value, int width, int digits);

/// Fixed field Fw.d: no leading zero, sign dropped when every kept digit is zero.
///   format_fixed(0.0625, 14, 3)  -> "          .063"
///   format_fixed(-0.0004, 14, 3) -> "          .000"
///   format_fixed(1.0e10, 14, 3)  -> "**************"
void format_fixed(char* out, double value, int width, int digits);

// Unpadded forms, for the study's table, CSV and plot script: the texts that C's "%.*e"
// and "%.*f" write, but from the standard library's conversion, so that the bytes do not
// depend on the C library: the exact binary value correctly rounded to `digits` places, a
// tie to the even digit, an exponent of at least two digits. `digits` is at most 80.

/// scientific_text(1.0 / 81920.0, 4) -> "1.2207e-05";  scientific_text(1e-120, 2) -> "1.00e-120"
std::string scientific_text(double value, int digits);

/// The study's files' form of a number: 17 significant digits, which read back as the same
/// double: full_digits(0.1) -> "1.0000000000000001e-01".
inline constexpr int kFullDigitsAfterThePoint = 16;
inline std::string full_digits(double value) {
  return scientific_text(value, kFullDigitsAfterThePoint);
}

/// full_digits(value) appended to `text`, without a string of its own.
void append_full_digits(std::string& text, double value);

/// fixed_text(0.0625, 3) -> "0.062" (the tie goes to the even digit);  fixed_text(99.5, 0) -> "100"
std::string fixed_text(double value, int digits);

}  // namespace talvenor
