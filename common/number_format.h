// The one number format of all three output files.
//
// "%f" here means: the value in fixed notation, never with an exponent; a minus
// sign whenever the sign bit is set (so -0.0 and negatives that round to zero
// keep it); all integer digits, a full stop whatever the locale, and exactly
// six decimals. The digits are formed in two steps: the exact value is first
// brought to 17 significant decimal digits, rounding half up, with every digit
// position past the 17th printed as 0; that result is then cut to six decimals,
// rounding half away from zero. So 1/128 prints as 0.007813, 100.1f as
// 100.099998. Non-finite values print as "nan", "inf" and "-inf".
//
// The C library's printf rounds the exact value once (1/128 gives 0.007812)
// and follows the locale, which is why the format has its own code.
#ifndef VELLUMARK_COMMON_NUMBER_FORMAT_H
#define VELLUMARK_COMMON_NUMBER_FORMAT_H

#include <cstddef>
#include <cstdint>

namespace vellumark {

// Enough for any double: a sign, 309 integer digits, the full stop and six
// decimals.
inline constexpr std::size_t max_fixed6_length = 320;

// A single-precision value widened to double. Writes at most
// max_fixed6_length characters (no terminating NUL) and returns their number.
std::size_t format_fixed6(float value, char* out);

// A value computed in double precision (1 - transparency, shininess / 128).
std::size_t format_fixed6(double value, char* out);

// "%d": a signed decimal integer, no leading zeros or blanks. At most 20
// characters.
inline constexpr std::size_t max_integer_length = 20;
std::size_t format_integer(long long value, char* out);

}  // namespace vellumark

#endif
