// The number formatter against the C library's "%.6f", on the same ten million
// floats: a mix of the values the writers print (positions, texture
// coordinates, normals). The two do not give the same digits in every case
// (the formatter rounds twice, as the files need); the benchmark compares
// their speed only.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

#include "common/number_format.h"

namespace {

constexpr std::size_t value_count = 10'000'000;

const std::vector<float>& values()
{
    static const std::vector<float> numbers = [] {
        std::vector<float> made;
        made.reserve(value_count);
        std::mt19937 random(20261211);
        std::uniform_real_distribution<float> position(-1000.0F, 1000.0F);
        std::uniform_real_distribution<float> texture(0.0F, 1.0F);
        std::uniform_real_distribution<float> normal(-1.0F, 1.0F);
        for (std::size_t i = 0; i < value_count; ++i) {
            switch (i % 3) {
            case 0:
                made.push_back(position(random));
                break;
            case 1:
                made.push_back(texture(random));
                break;
            default:
                made.push_back(normal(random));
                break;
            }
        }
        return made;
    }();
    return numbers;
}

void format_fixed6_floats(benchmark::State& state)
{
    const std::vector<float>& numbers = values();
    char text[vellumark::max_fixed6_length];
    std::size_t characters = 0;
    for (auto _ : state) {
        for (const float value : numbers) {
            characters += vellumark::format_fixed6(value, text);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * numbers.size()));
    state.counters["characters"] = static_cast<double>(characters) / static_cast<double>(state.iterations());
}

void snprintf_floats(benchmark::State& state)
{
    const std::vector<float>& numbers = values();
    char text[vellumark::max_fixed6_length];
    std::size_t characters = 0;
    for (auto _ : state) {
        for (const float value : numbers) {
            characters += static_cast<std::size_t>(std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value)));
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * numbers.size()));
    state.counters["characters"] = static_cast<double>(characters) / static_cast<double>(state.iterations());
}

}  // namespace

BENCHMARK(format_fixed6_floats)->Unit(benchmark::kMillisecond);
BENCHMARK(snprintf_floats)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
