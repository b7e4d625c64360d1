#include "acfile/ac_numbers.h"

#include <bit>
#include <cfloat>
#include <charconv>
#include <cstddef>
#include <cstring>

namespace vellumark::acfile {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Checks the grammar digits [. digits] [e|E [+|-] digits] with at least one
// mantissa digit, so that from_chars never sees "inf", "nan" or hex; gives
// the decimal exponent of the first nonzero mantissa digit (used only to tell
// overflow from underflow), or false when the grammar does not match.
bool plain_decimal(std::string_view text, long long& magnitude)
{
    std::size_t i = 0;
    std::size_t mantissa_digits = 0;
    long long integer_digits_after_zeros = 0;  // significant digits before the point
    long long zeros_after_point = 0;           // zeros after the point before the first nonzero digit
    bool nonzero_seen = false;
    while (i < text.size() && is_digit(text[i])) {
        if (text[i] != '0') {
            nonzero_seen = true;
        }
        if (nonzero_seen) {
            ++integer_digits_after_zeros;
        }
        ++mantissa_digits;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && is_digit(text[i])) {
            if (!nonzero_seen) {
                if (text[i] == '0') {
                    ++zeros_after_point;
                } else {
                    nonzero_seen = true;
                }
            }
            ++mantissa_digits;
            ++i;
        }
    }
    if (mantissa_digits == 0) {
        return false;
    }
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            negative = text[i] == '-';
            ++i;
        }
        const std::size_t first = i;
        while (i < text.size() && is_digit(text[i])) {
            // Saturate: only the sign of the total matters beyond this.
            if (exponent < 1000000000) {
                exponent = exponent * 10 + (text[i] - '0');
            }
            ++i;
        }
        if (i == first) {
            return false;
        }
        if (negative) {
            exponent = -exponent;
        }
    }
    if (i != text.size()) {
        return false;
    }
    magnitude = (integer_digits_after_zeros > 0 ? integer_digits_after_zeros - 1 : -zeros_after_point - 1) + exponent;
    return true;
}

// Eight digits at once: when the eight bytes at `text` are all decimal
// digits, sets value to their number. Long fractions ("0.016601562") are the
// bulk of a large model's bytes.
bool eight_digits(const char* text, std::uint64_t& value)
{
    if constexpr (std::endian::native != std::endian::little) {
        return false;
    }
    std::uint64_t chunk = 0;
    std::memcpy(&chunk, text, sizeof chunk);
    // A byte below '0' turns the high bit of chunk - '0' on, a byte above '9'
    // that of chunk + ('0' + 128 - 10 - '0'); neither does for a digit.
    constexpr std::uint64_t zeros = 0x3030303030303030;
    if ((((chunk + 0x4646464646464646) | (chunk - zeros)) & 0x8080808080808080) != 0) {
        return false;
    }
    chunk -= zeros;
    // Pairs, then fours, then all eight, the first byte the leading digit.
    chunk = (chunk * 10) + (chunk >> 8);
    chunk = (((chunk & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
             (((chunk >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
            32;
    value = static_cast<std::uint32_t>(chunk);
    return true;
}

// The powers of ten that a double holds exactly.
constexpr double exact_powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                          1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common decimal, digits with an optional point and no exponent, read
// without the general parser: with at most 15 digits, at most 22 of them
// after the point, its digits as one whole number and the power of ten are
// exact doubles, and one division gives the double nearest the value.
// Rounding that double to single precision gives the float nearest the
// value, unless the double lies exactly halfway between two floats (the
// value itself may then lie on either side of the half). False for that
// case, for results outside the normal floats and for anything else, all of
// which the general reading decides; also where the division would be
// carried out in a wider format, which rounds twice.
bool short_decimal(std::string_view text, float& value)
{
    if constexpr (FLT_EVAL_METHOD != 0) {
        return false;
    }
    constexpr std::size_t most_digits = 15;
    constexpr std::size_t most_fraction_digits = 22;
    const char* cursor = text.data();
    const char* const end = cursor + text.size();
    // Digits beyond the 15th may wrap around; such a text is refused below.
    std::uint64_t digits = 0;
    const char* const integer_start = cursor;
    while (cursor < end && is_digit(*cursor)) {
        digits = digits * 10 + static_cast<std::uint64_t>(*cursor - '0');
        ++cursor;
    }
    const auto integer_digits = static_cast<std::size_t>(cursor - integer_start);
    std::size_t fraction_digits = 0;
    if (cursor < end && *cursor == '.') {
        ++cursor;
        const char* const fraction_start = cursor;
        std::uint64_t eight = 0;
        while (end - cursor >= 8 && eight_digits(cursor, eight)) {
            digits = digits * 100000000 + eight;
            cursor += 8;
        }
        while (cursor < end && is_digit(*cursor)) {
            digits = digits * 10 + static_cast<std::uint64_t>(*cursor - '0');
            ++cursor;
        }
        fraction_digits = static_cast<std::size_t>(cursor - fraction_start);
    }
    const std::size_t digit_count = integer_digits + fraction_digits;
    if (cursor != end || digit_count == 0 || digit_count > most_digits || fraction_digits > most_fraction_digits) {
        return false;
    }
    const double quotient = static_cast<double>(digits) / exact_powers_of_ten[fraction_digits];
    if (quotient != 0 && !(quotient >= FLT_MIN && quotient <= FLT_MAX)) {
        return false;
    }
    // The 29 low bits of a double's fraction are those a float drops; a
    // double halfway between two floats has exactly the highest of them set.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &quotient, sizeof bits);
    constexpr std::uint64_t dropped = (std::uint64_t{1} << 29) - 1;
    if ((bits & dropped) == std::uint64_t{1} << 28) {
        return false;
    }
    value = static_cast<float>(quotient);
    return true;
}

}  // namespace

number_status parse_float(std::string_view token, float& value)
{
    bool negative = false;
    if (!token.empty() && (token.front() == '+' || token.front() == '-')) {
        negative = token.front() == '-';
        token.remove_prefix(1);
    }
    float short_value = 0;
    if (short_decimal(token, short_value)) {
        value = negative ? -short_value : short_value;
        return number_status::ok;
    }
    long long magnitude = 0;
    if (!plain_decimal(token, magnitude)) {
        return number_status::not_a_number;
    }
    float parsed = 0;
    const auto result = std::from_chars(token.data(), token.data() + token.size(), parsed, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        if (magnitude >= 0) {
            return number_status::not_finite;
        }
        parsed = 0;  // below the smallest float: reads as zero
    } else if (result.ec != std::errc() || result.ptr != token.data() + token.size()) {
        return number_status::not_a_number;
    }
    value = negative ? -parsed : parsed;
    return number_status::ok;
}

count_status parse_count(std::string_view token, std::uint64_t limit, std::uint64_t& value)
{
    bool negative = false;
    if (!token.empty() && (token.front() == '+' || token.front() == '-')) {
        negative = token.front() == '-';
        token.remove_prefix(1);
    }
    if (token.empty()) {
        return count_status::not_a_count;
    }
    for (char c : token) {
        if (!is_digit(c)) {
            return count_status::not_a_count;
        }
    }
    if (negative) {
        // "-0" is a count of zero; anything else below zero is refused.
        if (token.find_first_not_of('0') != std::string_view::npos) {
            return count_status::negative;
        }
        value = 0;
        return count_status::ok;
    }
    std::uint64_t parsed = 0;
    const auto result = std::from_chars(token.data(), token.data() + token.size(), parsed);
    if (result.ec == std::errc::result_out_of_range || (result.ec == std::errc() && parsed > limit)) {
        return count_status::too_large;
    }
    if (result.ec != std::errc() || result.ptr != token.data() + token.size()) {
        return count_status::not_a_count;
    }
    value = parsed;
    return count_status::ok;
}

bool narrow_to_float(double value, float& narrowed)
{
    // The largest float plus half its last place: from there on, rounding
    // gives an infinity.
    constexpr double overflow = 0x1.ffffffp+127;
    if (!(value > -overflow && value < overflow)) {
        return false;
    }
    narrowed = static_cast<float>(value);
    return true;
}

bool parse_surface_flags(std::string_view token, std::uint32_t& flags)
{
    int base = 10;
    if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
        base = 16;
        token.remove_prefix(2);
    }
    if (token.empty() || token.front() == '-' || token.front() == '+') {
        return false;
    }
    std::uint32_t parsed = 0;
    const auto result = std::from_chars(token.data(), token.data() + token.size(), parsed, base);
    if (result.ec != std::errc() || result.ptr != token.data() + token.size()) {
        return false;
    }
    flags = parsed;
    return true;
}

}  // namespace vellumark::acfile
