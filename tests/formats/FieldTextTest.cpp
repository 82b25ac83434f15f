// The short paths of the data line fields against the general conversions they stand in for.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "FieldText.h"
#include "SampleWriter.h"

namespace sevrana::formats {
namespace {

const FieldText& texts = FieldText::Get();

template <class Put>
std::string Field(Put put)
{
    char text[64];
    return std::string(text, put(text));
}

template <class T>
std::string Plain(T value)
{
    char text[64] = {','};
    return std::string(text, std::to_chars(text + 1, text + sizeof text, value).ptr);
}

TEST(FieldTextTest, WholeValuesAreTheirDecimals)
{
    std::vector<std::int64_t> values = {-32769,         32768,        -2147483648LL,          2147483647,
                                        -2147483647,    4294967296LL, -9007199254740992LL,    1000000,
                                        999999999999LL, -99999,       -9223372036854774784LL, 9223372036854774784LL};
    for (std::int64_t v = -32768; v <= 32767; ++v) values.push_back(v);
    for (std::int64_t power = 10; power > 0; power = power < 1000000000000000000LL ? power * 10 : 0) {
        values.insert(values.end(), {power, -power});
        if (power < (1LL << 53)) values.insert(values.end(), {power - 1, power + 1, 1 - power, -1 - power});
    }
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) values.push_back(static_cast<std::int32_t>(random()));
    for (const std::int64_t v : values) {
        ASSERT_EQ(Field([&](char* to) { return texts.Whole(to, static_cast<double>(v)); }), Plain(v));
        ASSERT_EQ(Field([&](char* to) { return texts.Exact(to, static_cast<double>(v)); }), Plain(v));
    }
    EXPECT_EQ(Field([](char* to) { return texts.Whole(to, -0.0); }), ",0");
    EXPECT_EQ(Field([](char* to) { return texts.Exact(to, 1e6); }), ",1000000");
}

TEST(FieldTextTest, FloatsAreTheirShortestTexts)
{
    std::vector<float> values = {0.0f,
                                 -0.0f,
                                 std::numeric_limits<float>::denorm_min(),
                                 -std::numeric_limits<float>::denorm_min(),
                                 std::numeric_limits<float>::min(),
                                 std::nextafter(std::numeric_limits<float>::min(), 0.0f),
                                 std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::lowest(),
                                 65536.0f,
                                 -65536.0f,
                                 std::nextafter(65536.0f, 0.0f),
                                 100000.0f,
                                 1e7f,
                                 16777216.0f,
                                 2147483520.0f,
                                 0.1f,
                                 1e-7f,
                                 1.0f / 16,
                                 -3.0f / 32};
    // Every whole number of eighths below 2^16, and floats of every kind from random bits.
    for (int n = -524287; n <= 524287; ++n) values.push_back(static_cast<float>(n) / 8);
    std::mt19937 random(11);
    for (int i = 0; i < 300000; ++i) {
        const std::uint32_t bits = random();
        float v = 0;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v)) values.push_back(v);
        values.push_back(static_cast<float>(static_cast<std::int32_t>(bits) % 2000000) / 4);
    }
    for (const float v : values) ASSERT_EQ(Field([&](char* to) { return texts.Single(to, v); }), Plain(v)) << v;
}

TEST(FieldTextTest, FractionsAreTheShortestDoubleTexts)
{
    std::mt19937_64 random(13);
    std::uniform_real_distribution<double> spread(-2147483647.0, 2147483647.0);
    std::vector<double> values = {0.5, -2.5, 0.1, 1e-300, -4.9e-324, 2147483646.5, 1.0 / 3};
    for (int i = 0; i < 100000; ++i) values.push_back(spread(random) / static_cast<double>(1 + i % 1000));
    for (const double v : values) {
        if (v == std::floor(v)) continue;
        ASSERT_EQ(Field([&](char* to) { return texts.Exact(to, v); }), Plain(v)) << v;
    }
    EXPECT_EQ(Field([](char* to) { return texts.Exact(to, -0.125); }), ",-0.125");
}

TEST(FieldTextTest, StatesAreCommaSeparatedDecimals)
{
    const auto expected = [](const std::vector<std::int16_t>& states) {
        std::string text;
        for (const std::int16_t s : states) text += Plain(s);
        return text;
    };
    const auto put = [](const std::vector<std::int16_t>& states) {
        return Field([&](char* to) { return FieldText::States(to, states.data(), states.size()); });
    };
    // Any state, in each place of a group of four and after one.
    for (int v = -32768; v <= 32767; ++v) {
        for (std::size_t at = 0; at < 6; ++at) {
            std::vector<std::int16_t> states = {1, 0, 1, 1, 0, 1};
            states[at] = static_cast<std::int16_t>(v);
            ASSERT_EQ(put(states), expected(states));
        }
    }
    std::mt19937 random(17);
    for (std::size_t count = 0; count < 40; ++count) {
        std::vector<std::int16_t> states(count);
        for (std::int16_t& s : states) s = static_cast<std::int16_t>(random() & 1);
        ASSERT_EQ(put(states), expected(states));
    }
    EXPECT_EQ(put({0, 1, 1, 0, 1}), ",0,1,1,0,1");
}

// Sample numbers are counted up as text: across every carry, and from where each piece begins.
TEST(FieldTextTest, LinesAreNumberedOnFromTheSamplesBefore)
{
    SampleWriter writer(1, 1, ValueForm::Whole, "IN.dat");
    const double analog = -7;
    const std::int16_t digital = 1;
    for (const std::int64_t before : {0LL, 95LL, 9999990LL, 999999999999999990LL}) {
        TextBuffer text;
        writer.Begin(text, before);
        std::string expected;
        for (std::int64_t n = before + 1; n <= before + 1200; ++n) {
            writer.Put(static_cast<double>(n % 100000) * 250, &analog, &digital);
            expected += std::to_string(n) + "," + std::to_string(n % 100000 * 250) + ",-7,1\r\n";
        }
        ASSERT_EQ(std::string(text.Data(), text.Size()), expected) << before;
        EXPECT_EQ(writer.Written(), before + 1200);
    }
}

}  // namespace
}  // namespace sevrana::formats
