#include "common/number_format.h"

#include <array>
#include <bit>
#include <cstring>

namespace vellumark {
namespace {

constexpr std::array<std::uint64_t, 20> powers_of_ten = [] {
    std::array<std::uint64_t, 20> table{};
    std::uint64_t power = 1;
    for (auto& entry : table) {
        entry = power;
        power *= 10;
    }
    return table;
}();

int decimal_digit_count(std::uint64_t value)
{
    std::size_t count = 0;
    while (count < powers_of_ten.size() && value >= powers_of_ten[count]) {
        ++count;
    }
    return static_cast<int>(count);
}

// "00" to "99": the digits are written two at a time.
constexpr std::array<char, 200> digit_pairs = [] {
    std::array<char, 200> table{};
    for (std::size_t i = 0; i < 100; ++i) {
        table[2 * i] = static_cast<char>('0' + i / 10);
        table[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return table;
}();

void write_pair(char* out, std::uint64_t value_below_100)
{
    std::memcpy(out, &digit_pairs[static_cast<std::size_t>(value_below_100) * 2], 2);
}

// Writes the decimal digits of value ("0" for zero) and returns the end.
char* write_unsigned(char* out, std::uint64_t value)
{
    // The digit count from the bit count (zero counted as one):
    // floor(bits * log10(2)), plus one when the value reaches the next power
    // of ten.
    const std::uint64_t counted = value | 1;
    const auto estimate = static_cast<std::size_t>(std::bit_width(counted) * 1233 >> 12);
    const std::size_t length = estimate + (counted >= powers_of_ten[estimate] ? 1 : 0);
    char* cursor = out + length;
    while (value >= 100) {
        cursor -= 2;
        write_pair(cursor, value % 100);
        value /= 100;
    }
    if (value >= 10) {
        write_pair(cursor - 2, value);
    } else {
        cursor[-1] = static_cast<char>('0' + value);
    }
    return out + length;
}

// Writes a magnitude held in millionths as its integer part, a full stop and
// six decimals.
char* write_millionths(char* out, std::uint64_t millionths)
{
    const std::uint64_t integer = millionths / 1000000;
    if (integer < 10) {
        *out++ = static_cast<char>('0' + integer);  // the most common case
    } else {
        out = write_unsigned(out, integer);
    }
    *out++ = '.';
    const std::uint64_t fraction = millionths % 1000000;
    const std::uint64_t low = fraction % 10000;
    write_pair(out, fraction / 10000);
    write_pair(out + 2, low / 100);
    write_pair(out + 4, low % 100);
    return out + 6;
}

char* write_non_finite(char* out, bool negative, bool is_nan)
{
    const char* text = is_nan ? "nan" : (negative ? "-inf" : "inf");
    const std::size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

// The exact decimal expansion of mantissa * 2^exponent, held as base-10^9
// limbs, least significant first. Big enough for every finite double: the
// longest expansion (the smallest subnormal times 5^1074) has under 800 digits.
class exact_decimal {
public:
    exact_decimal(std::uint64_t mantissa, int exponent)
    {
        limbs_[0] = static_cast<std::uint32_t>(mantissa % limb_base);
        limbs_[1] = static_cast<std::uint32_t>((mantissa / limb_base) % limb_base);
        limbs_[2] = static_cast<std::uint32_t>(mantissa / limb_base / limb_base);
        size_ = 3;
        if (exponent >= 0) {
            for (int left = exponent; left > 0; left -= 29) {
                multiply(std::uint32_t{1} << (left < 29 ? left : 29));
            }
            fraction_digits_ = 0;
        } else {
            // mantissa * 2^-k = mantissa * 5^k / 10^k
            for (int left = -exponent; left > 0; left -= 13) {
                std::uint32_t factor = 1;
                for (int i = 0; i < (left < 13 ? left : 13); ++i) {
                    factor *= 5;
                }
                multiply(factor);
            }
            fraction_digits_ = -exponent;
        }
    }

    // The digits, most significant first, with at least fraction_digits() + 1
    // of them (leading zeros where needed). Returns their number.
    int digits(char* out, int capacity) const
    {
        char buffer[max_digits];
        int length = 0;
        for (int limb = 0; limb < size_; ++limb) {
            std::uint32_t value = limbs_[static_cast<std::size_t>(limb)];
            for (int i = 0; i < 9; ++i) {
                buffer[length++] = static_cast<char>('0' + value % 10);
                value /= 10;
            }
        }
        while (length > fraction_digits_ + 1 && buffer[length - 1] == '0') {
            --length;
        }
        while (length < fraction_digits_ + 1) {
            buffer[length++] = '0';
        }
        if (length > capacity) {
            length = capacity;
        }
        for (int i = 0; i < length; ++i) {
            out[i] = buffer[length - 1 - i];
        }
        return length;
    }

    int fraction_digits() const { return fraction_digits_; }

    static constexpr int max_digits = 140 * 9;

private:
    static constexpr std::uint64_t limb_base = 1000000000;

    void multiply(std::uint32_t factor)
    {
        std::uint64_t carry = 0;
        for (int limb = 0; limb < size_; ++limb) {
            const std::uint64_t product =
                static_cast<std::uint64_t>(limbs_[static_cast<std::size_t>(limb)]) * factor + carry;
            limbs_[static_cast<std::size_t>(limb)] = static_cast<std::uint32_t>(product % limb_base);
            carry = product / limb_base;
        }
        while (carry != 0) {
            limbs_[static_cast<std::size_t>(size_++)] = static_cast<std::uint32_t>(carry % limb_base);
            carry /= limb_base;
        }
    }

    std::array<std::uint32_t, 140> limbs_{};
    int size_ = 0;
    int fraction_digits_ = 0;
};

// Adds one unit at position `last` of a digit string, carrying to the left.
// Returns true when the carry ran out of the most significant digit.
bool round_up_at(char* digits, int last)
{
    for (int i = last; i >= 0; --i) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            return false;
        }
    }
    return true;
}

// Any finite magnitude, through its exact decimal expansion: the reference
// behaviour, used for doubles and for floats beyond the fast ranges.
char* write_exact(char* out, double magnitude)
{
    if (magnitude < 4e-7) {
        // Far below the half-millionth: no 17-digit rounding can reach it.
        return write_millionths(out, 0);
    }
    std::uint64_t bits = 0;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int exponent = 0;
    if (biased == 0) {
        exponent = -1074;
    } else {
        mantissa |= std::uint64_t{1} << 52;
        exponent = biased - 1075;
    }
    const exact_decimal exact(mantissa, exponent);

    // One spare digit in front takes a carry out of the leading digit.
    char digits[exact_decimal::max_digits + 1];
    digits[0] = '0';
    int length = 1 + exact.digits(digits + 1, exact_decimal::max_digits);
    int integer_digits = length - exact.fraction_digits();

    // Step 1: 17 significant digits, half up; later positions become 0.
    int first = 0;
    while (first < length && digits[first] == '0') {
        ++first;
    }
    const int cut17 = first + 17;
    if (cut17 < length) {
        const bool up = digits[cut17] >= '5';
        for (int i = cut17; i < length; ++i) {
            digits[i] = '0';
        }
        if (up) {
            round_up_at(digits, cut17 - 1);
        }
    }

    // Step 2: six decimals, half away from zero.
    const int cut6 = integer_digits + 6;
    if (cut6 < length) {
        const bool up = digits[cut6] >= '5';
        length = cut6;
        if (up) {
            round_up_at(digits, cut6 - 1);
        }
    }
    while (length < integer_digits + 6) {
        digits[length++] = '0';
    }

    int start = 0;
    while (start < integer_digits - 1 && digits[start] == '0') {
        ++start;
    }
    std::memcpy(out, digits + start, static_cast<std::size_t>(integer_digits - start));
    out += integer_digits - start;
    *out++ = '.';
    std::memcpy(out, digits + integer_digits, 6);
    return out + 6;
}

}  // namespace

std::size_t format_fixed6(float value, char* out)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char* cursor = out;
    const bool negative = (bits >> 31) != 0;
    const int biased = static_cast<int>((bits >> 23) & 0xff);
    if (biased == 0xff) {
        return static_cast<std::size_t>(write_non_finite(cursor, negative, (bits & 0x7fffff) != 0) - out);
    }
    if (negative) {
        *cursor++ = '-';
    }
    // magnitude = mantissa * 2^exponent with mantissa < 2^24
    std::uint64_t mantissa = bits & 0x7fffff;
    int exponent = -149;
    if (biased != 0) {
        mantissa |= 0x800000;
        exponent = biased - 150;
    }
    if (mantissa == 0) {
        return static_cast<std::size_t>(write_millionths(cursor, 0) - out);
    }

    if (exponent > 0) {
        // An integer of 25 bits or more: exact unless it has more than 17
        // digits.
        if (exponent <= 33) {
            const std::uint64_t integer = mantissa << exponent;
            if (integer < powers_of_ten[17]) {
                cursor = write_unsigned(cursor, integer);
                std::memcpy(cursor, ".000000", 7);
                return static_cast<std::size_t>(cursor + 7 - out);
            }
        }
        return static_cast<std::size_t>(write_exact(cursor, static_cast<double>(value < 0 ? -value : value)) -
                                        out);
    }

    // Below 2^24, so at most 8 integer digits: the 17 significant digits
    // reach past the seventh decimal, and the two roundings differ only when
    // the 17-digit step lifts a value just under a half-millionth onto it.
    // In millionths the value is scaled / 2^shift exactly.
    const std::uint64_t scaled = mantissa * 15625;  // * 10^6 / 2^6, under 2^38
    const int shift = -(exponent + 6);
    std::uint64_t millionths = 0;
    if (shift <= 0) {
        millionths = scaled << -shift;
    } else if (shift < 40) {
        millionths = scaled >> shift;
        const std::uint64_t remainder = scaled & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        bool up = remainder >= half;
        // The lift below reaches at most 5 * 10^(digits - 18) * 2^shift,
        // under half / 512 for the at most 14 digits here: a remainder
        // further from the half needs no closer look.
        if (!up && half - remainder <= (half >> 9)) {
            // The 17-digit step rounds at 10^(e - 16), e the position of the
            // leading digit; near a half-millionth e is fixed by the integer
            // millionths: e = digits(millionths) - 7. The lift happens when
            // half - remainder <= 5 * 10^(e - 11) * 2^shift.
            const int digits = decimal_digit_count(millionths);
            const std::uint64_t divisor = powers_of_ten[static_cast<std::size_t>(18 - digits)];
            up = half - remainder <= (std::uint64_t{5} << shift) / divisor;
        }
        millionths += up ? 1 : 0;
    }
    // shift >= 40: the value is below a quarter of a millionth.
    return static_cast<std::size_t>(write_millionths(cursor, millionths) - out);
}

std::size_t format_fixed6(double value, char* out)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char* cursor = out;
    const bool negative = (bits >> 63) != 0;
    if (((bits >> 52) & 0x7ff) == 0x7ff) {
        return static_cast<std::size_t>(
            write_non_finite(cursor, negative, (bits & ((std::uint64_t{1} << 52) - 1)) != 0) - out);
    }
    if (negative) {
        *cursor++ = '-';
    }
    return static_cast<std::size_t>(write_exact(cursor, negative ? -value : value) - out);
}

std::size_t format_integer(long long value, char* out)
{
    char* cursor = out;
    std::uint64_t magnitude = static_cast<std::uint64_t>(value);
    if (value < 0) {
        *cursor++ = '-';
        magnitude = ~magnitude + 1;
    }
    return static_cast<std::size_t>(write_unsigned(cursor, magnitude) - out);
}

}  // namespace vellumark
