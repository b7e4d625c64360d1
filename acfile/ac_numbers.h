// The number rule of .ac files: a plain decimal (optional sign, digits, an
// optional fraction and exponent) read without locale, and whole counts.
#ifndef VELLUMARK_ACFILE_AC_NUMBERS_H
#define VELLUMARK_ACFILE_AC_NUMBERS_H

#include <cstdint>
#include <string_view>

namespace vellumark::acfile {

enum class number_status {
    ok,
    // Not a plain decimal ("abc", "1e", "0x10", "inf", "nan", "1.5.2").
    not_a_number,
    // A plain decimal too large for a finite single-precision float.
    not_finite,
};

// Reads the whole token as a single-precision float, correctly rounded. A
// value too small for a float reads as zero of its sign.
number_status parse_float(std::string_view token, float& value);

enum class count_status {
    ok,
    not_a_count,
    negative,
    too_large,
};

// Reads the whole token as a non-negative whole number no larger than
// `limit` (an optional plus sign, then digits).
count_status parse_count(std::string_view token, std::uint64_t limit, std::uint64_t& value);

// Rounds a value computed in double precision to single precision; false
// when it would round to an infinity.
bool narrow_to_float(double value, float& narrowed);

// Reads SURF flags: hexadecimal with a 0x or 0X prefix, else decimal; false
// when the token is neither or does not fit 32 bits.
bool parse_surface_flags(std::string_view token, std::uint32_t& flags);

}  // namespace vellumark::acfile

#endif
