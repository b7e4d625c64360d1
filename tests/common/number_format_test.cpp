#include "common/number_format.h"

#include <gmpxx.h>
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <climits>
#include <limits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace vellumark {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool under_sanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool under_sanitizer = true;
#else
constexpr bool under_sanitizer = false;
#endif
#else
constexpr bool under_sanitizer = false;
#endif

// How many values the sampled tests check: the normal count, a tenth of it
// under the sanitizers, or VELLUMARK_FORMAT_SAMPLES percent of it.
std::size_t scaled(std::size_t count)
{
    if (const char* percent = std::getenv("VELLUMARK_FORMAT_SAMPLES")) {
        return count * static_cast<std::size_t>(std::strtoul(percent, nullptr, 10)) / 100;
    }
    return under_sanitizer ? count / 10 : count;
}

mpz_class power_of_ten(long exponent)
{
    mpz_class power;
    mpz_ui_pow_ui(power.get_mpz_t(), 10, static_cast<unsigned long>(exponent));
    return power;
}

// The exact value of a finite double, |value| = numerator / denominator, both
// integers, taken apart with frexp so that nothing is shared with the code
// under test.
struct exact_magnitude {
    mpz_class numerator;
    mpz_class denominator;
};

exact_magnitude exact(double value)
{
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);  // in [0.5, 1)
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    exponent -= 53;
    exact_magnitude result{mpz_class(static_cast<unsigned long>(mantissa)), mpz_class(1)};
    if (exponent >= 0) {
        mpz_mul_2exp(result.numerator.get_mpz_t(), result.numerator.get_mpz_t(),
                     static_cast<mp_bitcnt_t>(exponent));
    } else {
        mpz_mul_2exp(result.denominator.get_mpz_t(), result.denominator.get_mpz_t(),
                     static_cast<mp_bitcnt_t>(-exponent));
    }
    return result;
}

// numerator * 10^-power / denominator brought to an integer, rounding half
// up: floor((2 n + d) / 2 d) with the power of ten moved to the side where it
// is an integer.
mpz_class round_half_up(const exact_magnitude& x, long power)
{
    mpz_class n = x.numerator;
    mpz_class d = x.denominator;
    if (power < 0) {
        n *= power_of_ten(-power);
    } else {
        d *= power_of_ten(power);
    }
    mpz_class q = (2 * n + d) / (2 * d);  // non-negative operands: truncation is floor
    return q;
}

// x >= 10^power
bool at_least_power_of_ten(const exact_magnitude& x, long power)
{
    if (power >= 0) {
        return x.numerator >= x.denominator * power_of_ten(power);
    }
    return x.numerator * power_of_ten(-power) >= x.denominator;
}

struct reference_result {
    std::string text;
    // The 17-digit step moved the six-decimal result: rounding the exact
    // value once would give another text.
    bool two_steps_differ = false;
    // The 18th significant digit of the exact value is a 5.
    bool eighteenth_digit_is_five = false;
};

// The format by its definition, in exact integer arithmetic: the value is
// brought to 17 significant digits half up (N * 10^s), that is cut to six
// decimals half up on the magnitude (half away from zero), the sign bit gives
// the minus sign.
reference_result reference(double value)
{
    reference_result result;
    if (std::isnan(value)) {
        result.text = "nan";
        return result;
    }
    if (std::isinf(value)) {
        result.text = value < 0 ? "-inf" : "inf";
        return result;
    }
    const std::string sign = std::signbit(value) ? "-" : "";
    const exact_magnitude x = exact(value);
    mpz_class millionths = 0;
    if (x.numerator != 0) {
        // e: 10^e <= x < 10^(e+1)
        long e = static_cast<long>(mpz_sizeinbase(x.numerator.get_mpz_t(), 10)) -
                 static_cast<long>(mpz_sizeinbase(x.denominator.get_mpz_t(), 10));
        while (!at_least_power_of_ten(x, e)) {
            --e;
        }
        while (at_least_power_of_ten(x, e + 1)) {
            ++e;
        }
        const long s = e - 16;
        const mpz_class n17 = round_half_up(x, s);  // x ~ n17 * 10^s, 17 digits
        const long t = s + 6;
        if (t >= 0) {
            millionths = n17 * power_of_ten(t);
        } else {
            const mpz_class unit = power_of_ten(-t);
            millionths = (2 * n17 + unit) / (2 * unit);
        }
        result.two_steps_differ = millionths != round_half_up(x, -6);
        // floor(x / 10^(s-1)) mod 10
        mpz_class n = x.numerator;
        mpz_class d = x.denominator;
        if (s - 1 < 0) {
            n *= power_of_ten(1 - s);
        } else {
            d *= power_of_ten(s - 1);
        }
        const mpz_class digits18 = n / d;
        result.eighteenth_digit_is_five = mpz_class(digits18 % 10) == 5;
    }
    const mpz_class million = 1000000;
    const mpz_class integer_part = millionths / million;
    std::string fraction = mpz_class(millionths % million).get_str();
    fraction.insert(0, 6 - fraction.size(), '0');
    result.text = sign + integer_part.get_str() + "." + fraction;
    return result;
}

std::string formatted(float value)
{
    char buffer[max_fixed6_length + 8];
    std::memset(buffer, '#', sizeof buffer);
    const std::size_t length = format_fixed6(value, buffer);
    EXPECT_LE(length, max_fixed6_length);
    EXPECT_EQ(buffer[max_fixed6_length], '#') << "wrote past the limit";
    return std::string(buffer, length);
}

std::string formatted(double value)
{
    char buffer[max_fixed6_length + 8];
    std::memset(buffer, '#', sizeof buffer);
    const std::size_t length = format_fixed6(value, buffer);
    EXPECT_LE(length, max_fixed6_length);
    EXPECT_EQ(buffer[max_fixed6_length], '#') << "wrote past the limit";
    return std::string(buffer, length);
}

std::string formatted_integer(long long value)
{
    char buffer[max_integer_length + 8];
    const std::size_t length = format_integer(value, buffer);
    EXPECT_LE(length, max_integer_length);
    return std::string(buffer, length);
}

// Compares a run of values with the reference and keeps count of the hard
// cases that the run met, so that a test can show that it reached them.
class checker {
public:
    template <typename Value>
    void check(Value value)
    {
        const reference_result expected = reference(static_cast<double>(value));
        const std::string actual = formatted(value);
        ++checked;
        two_steps_differ += expected.two_steps_differ ? 1 : 0;
        eighteenth_digit_is_five += expected.eighteenth_digit_is_five ? 1 : 0;
        if (actual != expected.text && ++mismatches <= 10) {
            ADD_FAILURE() << "value " << describe(value) << ": formatted " << actual << ", exact "
                          << expected.text;
        }
    }

    std::size_t checked = 0;
    std::size_t mismatches = 0;
    std::size_t two_steps_differ = 0;
    std::size_t eighteenth_digit_is_five = 0;

private:
    static std::string describe(float value)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%a (bits 0x%08x)", static_cast<double>(value),
                      std::bit_cast<std::uint32_t>(value));
        return text;
    }
    static std::string describe(double value)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%a (bits 0x%016llx)", value,
                      static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
        return text;
    }
};

struct hand_case {
    double value;
    const char* text;
};

// Values worked out by hand, each beside the reason it is here.
TEST(NumberFormat, HandWorkedFloats)
{
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0.0f, "0.000000"},
        {-0.0f, "-0.000000"},                 // sign bit set
        {1.0f / 128, "0.007813"},             // exact tie: half away from zero (printf: 0.007812)
        {-1.0f / 128, "-0.007813"},
        {3.0f / 128, "0.023438"},
        {1.0f / 256, "0.003906"},             // 0.00390625
        {100.1f, "100.099998"},               // 100.09999847412109375
        {0.3f, "0.300000"},
        {-1e-7f, "-0.000000"},                // negative that rounds to zero keeps the sign
        {-4.9999994e-7f, "-0.000000"},
        {5e-7f, "0.000000"},                  // the float is 4.99999998737...e-7
        {5.0000006e-7f, "0.000001"},
        {8388607.5f, "8388607.500000"},
        {16777216.0f, "16777216.000000"},
        {123456789.0f, "123456792.000000"},
        {1e10f, "10000000000.000000"},
        {1e17f, "99999998430674944.000000"},  // 17 digits: printed exactly
        {std::bit_cast<float>(0x5d5e0b71u), "1000000396623609900.000000"},  // ...609856: 18th digit 5
        {std::bit_cast<float>(0x5d5e1145u), "1000102926082900000.000000"},  // ...0828999|68: carry
        {FLT_MAX, "340282346638528860000000000000000000000.000000"},
        {-FLT_MAX, "-340282346638528860000000000000000000000.000000"},
        {std::bit_cast<float>(0x00000001u), "0.000000"},  // smallest subnormal
        {std::bit_cast<float>(0x80000001u), "-0.000000"},
        {FLT_MIN, "0.000000"},
        {std::numeric_limits<float>::infinity(), "inf"},
        {-std::numeric_limits<float>::infinity(), "-inf"},
        {std::numeric_limits<float>::quiet_NaN(), "nan"},
        {-std::numeric_limits<float>::quiet_NaN(), "nan"},
        {std::bit_cast<float>(0x7f800001u), "nan"},  // signalling payload
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatted(c.value), c.text) << std::bit_cast<std::uint32_t>(c.value);
    }
}

TEST(NumberFormat, HandWorkedDoubles)
{
    const hand_case cases[] = {
        {1.0 - static_cast<double>(0.3f), "0.700000"},  // 0.699999988...
        {1.0 - static_cast<double>(0.25f), "0.750000"},
        {static_cast<double>(0.5f) * 0.0078125, "0.003906"},
        {100.0 * 0.0078125, "0.781250"},
        {0.0078125, "0.007813"},
        {-0.0, "-0.000000"},
        {1.95e-05, "0.000020"},  // just below 0.0000195; its 17 digits reach it (printf: 0.000019)
        {-2.55e-05, "-0.000026"},
        {1e-300, "0.000000"},
        {-1e-300, "-0.000000"},
        {std::bit_cast<double>(std::uint64_t{1}), "0.000000"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatted(c.value), c.text) << c.value;
    }
    // The largest double: 17 significant digits, then 292 zeros.
    const std::string largest = "17976931348623157" + std::string(292, '0') + ".000000";
    EXPECT_EQ(formatted(DBL_MAX), largest);
    EXPECT_EQ(formatted(-DBL_MAX), "-" + largest);
}

TEST(NumberFormat, RandomFloatBitPatternsMatchTheExactValue)
{
    std::mt19937_64 random(20261211);
    checker all;
    // Every bit pattern equally likely: all exponents, both signs, NaNs.
    for (std::size_t i = scaled(1500000); i > 0; --i) {
        all.check(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
    }
    // Magnitudes from about 1e-8 to 1e10, where the six decimals carry
    // digits.
    for (std::size_t i = scaled(1500000); i > 0; --i) {
        const auto bits = static_cast<std::uint32_t>(random());
        const std::uint32_t biased = 100 + static_cast<std::uint32_t>(random() % 60);
        all.check(std::bit_cast<float>((bits & 0x807fffffu) | (biased << 23)));
    }
    EXPECT_EQ(all.mismatches, 0u) << "of " << all.checked;
}

TEST(NumberFormat, EveryFloatNearTheRoundingBoundaries)
{
    const float anchors[] = {
        5e-7f,                 // the half-millionth
        1.5e-6f, 9.5e-6f,
        2.384185791015625e-7f, // 2^-22
        1.0f / 128,            // exact ties at the seventh decimal
        3.0f / 128,
        0.9999995f, 1.0000005f, 99.9999995f, 100.1f, 1234.5678905f,
        131071.9921875f,       // the largest floats with seven decimals
        8388607.5f,
        16777216.0f,           // 2^24: the first float without a fraction
        1e17f,                 // 17 to 18 integer digits
        1e18f, 1.0001029e18f,  // 18th digit matters
        1e30f,
    };
    const std::uint32_t radius = under_sanitizer ? 2000 : 16384;
    checker all;
    for (const float anchor : anchors) {
        const std::uint32_t centre = std::bit_cast<std::uint32_t>(anchor);
        for (std::uint32_t bits = centre - radius; bits != centre + radius; ++bits) {
            all.check(std::bit_cast<float>(bits));
            all.check(std::bit_cast<float>(bits | 0x80000000u));
        }
    }
    // The largest floats, and the smallest subnormals up from zero.
    const std::uint32_t largest = std::bit_cast<std::uint32_t>(FLT_MAX);
    for (std::uint32_t bits = largest - 2 * radius; bits <= largest; ++bits) {
        all.check(std::bit_cast<float>(bits));
        all.check(std::bit_cast<float>(bits | 0x80000000u));
    }
    for (std::uint32_t bits = 0; bits <= 2 * radius; ++bits) {
        all.check(std::bit_cast<float>(bits));
        all.check(std::bit_cast<float>(bits | 0x80000000u));
    }
    EXPECT_EQ(all.mismatches, 0u) << "of " << all.checked;
    EXPECT_GT(all.eighteenth_digit_is_five, 0u) << "the ranges no longer reach an 18th digit 5";
}

TEST(NumberFormat, RandomDoublesMatchTheExactValue)
{
    std::mt19937_64 random(11122026);
    checker all;
    // Any bit pattern.
    for (std::size_t i = scaled(300000); i > 0; --i) {
        all.check(std::bit_cast<double>(static_cast<std::uint64_t>(random())));
    }
    // Magnitudes from about 1e-8 to 1e20.
    for (std::size_t i = scaled(300000); i > 0; --i) {
        const auto bits = static_cast<std::uint64_t>(random());
        const std::uint64_t biased = 995 + random() % 95;
        all.check(std::bit_cast<double>((bits & 0x800fffffffffffffull) | (biased << 52)));
    }
    // The values that the writers compute: 1 - transparency and
    // shininess / 128 of single-precision inputs.
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_real_distribution<float> shininess(0.0f, 128.0f);
    for (std::size_t i = scaled(200000); i > 0; --i) {
        all.check(1.0 - static_cast<double>(unit(random)));
        all.check(static_cast<double>(shininess(random)) * 0.0078125);
    }
    // The doubles nearest each half-millionth boundary, and their
    // neighbours: here the 17-digit step can lift a value onto the boundary.
    for (std::size_t i = scaled(100000); i > 0; --i) {
        const std::uint64_t odd = 2 * (random() % 20000000) + 1;
        const double boundary = static_cast<double>(odd) / 2e6;
        double value = boundary;
        for (int step = 0; step < 3; ++step) {
            value = std::nextafter(value, 0.0);
        }
        for (int step = 0; step < 7; ++step) {
            all.check(value);
            all.check(-value);
            value = std::nextafter(value, 1e300);
        }
    }
    all.check(DBL_MAX);
    all.check(DBL_MIN);
    all.check(DBL_TRUE_MIN);
    EXPECT_EQ(all.mismatches, 0u) << "of " << all.checked;
    EXPECT_GT(all.two_steps_differ, 0u) << "no value where the 17-digit step matters was reached";
}

TEST(NumberFormat, IntegersAsPercentD)
{
    const struct {
        long long value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {7, "7"},
        {-1, "-1"},
        {10, "10"},
        {-10, "-10"},
        {1000000, "1000000"},
        {INT_MAX, "2147483647"},
        {INT_MIN, "-2147483648"},
        {LLONG_MAX, "9223372036854775807"},
        {LLONG_MIN, "-9223372036854775808"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatted_integer(c.value), c.text);
    }
}

// A locale whose decimal separator is a comma, when the machine has one.
const char* comma_locale()
{
    const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                                "nl_NL.UTF-8", "ru_RU.UTF-8", "es_ES.UTF-8", "it_IT.UTF-8"};
    for (const char* name : candidates) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr && std::localeconv()->decimal_point[0] == ',') {
            return name;
        }
    }
    return nullptr;
}

TEST(NumberFormat, IgnoresTheLocale)
{
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    const char* locale = comma_locale();
    if (locale == nullptr) {
        std::setlocale(LC_NUMERIC, previous.c_str());
        GTEST_SKIP() << "no locale with a decimal comma on this machine";
    }
    EXPECT_EQ(formatted(100.1f), "100.099998") << locale;
    EXPECT_EQ(formatted(-1.0f / 128), "-0.007813") << locale;
    EXPECT_EQ(formatted(1.0 - static_cast<double>(0.25f)), "0.750000") << locale;
    EXPECT_EQ(formatted_integer(-1234567), "-1234567") << locale;
    std::setlocale(LC_NUMERIC, previous.c_str());
}

}  // namespace
}  // namespace vellumark
