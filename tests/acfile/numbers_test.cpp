#include "acfile/ac_numbers.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace vellumark::acfile {
namespace {

std::uint32_t bits(float value)
{
    std::uint32_t result = 0;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

// The standard library's reading of a plain decimal, the reference for the
// value: correctly rounded to the nearest float.
float reference(const std::string& text)
{
    const bool negative = !text.empty() && text[0] == '-';
    const std::size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    float value = 0;
    const auto result = std::from_chars(text.data() + start, text.data() + text.size(), value);
    EXPECT_EQ(result.ec, std::errc()) << text;
    EXPECT_EQ(result.ptr, text.data() + text.size()) << text;
    return negative ? -value : value;
}

// The token is read with no byte of the file beyond it: it is copied to the
// end of its own allocation, so that a read past its end is a fault under
// the sanitizers.
number_status read_alone(const std::string& text, float& value)
{
    const std::unique_ptr<char[]> copy(new char[text.size() == 0 ? 1 : text.size()]);
    std::memcpy(copy.get(), text.data(), text.size());
    return parse_float(std::string_view(copy.get(), text.size()), value);
}

void expect_reads_as_reference(const std::string& text)
{
    float value = 0;
    ASSERT_EQ(read_alone(text, value), number_status::ok) << text;
    EXPECT_EQ(bits(value), bits(reference(text))) << text << " read as " << value;
}

// Decimals whose digits run in blocks of eight and over them, up to and past
// the fifteen digits that the quick reading takes, and values that lie
// exactly halfway between two floats, whose double quotient is itself a
// halfway case.
TEST(parse_float, AgreesWithTheStandardReadingOnLongAndHalfwayDecimals)
{
    const char* const texts[] = {
        "0",          "-0",          "+0",         "0.0",        "00000000",      "0.00000000",      "7",
        "12345678",   "0.12345678",  "0.016601562", "-4.838867", "123456789",     "1.23456789",      "0.1234567",
        "99999999",   "0.99999999",  "0.999999999999999", "9999999999999999", "0.9999999999999999",
        "1234567.89012345", "0.000000000012345678", "16777216", "16777217", "16777217.0", "16777218",
        "0.000000059604644775390625", "33554433", "3.4028235e38", "1.17549435e-38", "1e-45", "0.1e1",
        "1.00000005960464477539062", "1.0000000596046448", "0.30000001192092896", "8388608.5", "8388609.5",
        "100.1",      "0.5",         ".5",         "5.",         "-.25",          "12345678.12345678",
    };
    for (const char* text : texts) {
        expect_reads_as_reference(text);
    }
}

// Random decimals of every length up to twenty digits, with and without a
// fraction, as the generated models and the real ones write them.
TEST(parse_float, AgreesWithTheStandardReadingOnRandomDecimals)
{
    std::mt19937_64 random(2026);
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        if (random() % 4 == 0) {
            text += '-';
        }
        const int integer_digits = static_cast<int>(random() % 9);
        const int fraction_digits = static_cast<int>(random() % 21);
        for (int d = 0; d < integer_digits; ++d) {
            text += static_cast<char>('0' + random() % 10);
        }
        if (fraction_digits > 0 || integer_digits == 0) {
            text += '.';
            for (int d = 0; d < (fraction_digits > 0 ? fraction_digits : 1); ++d) {
                text += static_cast<char>('0' + random() % 10);
            }
        }
        expect_reads_as_reference(text);
    }
}

// A byte that is not a digit anywhere in a block of eight: the token is
// refused wherever the byte stands.
TEST(parse_float, RefusesAStrayByteAnywhereInALongFraction)
{
    const std::string digits = "0.0166015625";
    const char strays[] = {'/', ':', 'a', ' ', '.', '\x80', '\xB9', '\xBA', '\xFF', '\0', '+', '-'};
    for (std::size_t place = 2; place < digits.size(); ++place) {
        for (const char stray : strays) {
            std::string text = digits;
            text[place] = stray;
            float value = 0;
            EXPECT_EQ(read_alone(text, value), number_status::not_a_number)
                << "stray byte " << static_cast<int>(static_cast<unsigned char>(stray)) << " at " << place;
        }
    }
}

}  // namespace
}  // namespace vellumark::acfile
