// The export alone, from a tree already in memory: the model is read into the
// stand-in host once, outside the measurement, then each iteration runs the
// host command's export (walk, links, the three writers) into a folder.
//
//   vellumark_bench_export MODEL.ac OUTPUT_DIR [benchmark flags]
//
// Reports the output's bytes per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "acfile/ac_reader.h"
#include "plugin/export_driver.h"
#include "standin/standin_host.h"

namespace {

std::uintmax_t output_bytes(const std::string& base)
{
    std::uintmax_t total = 0;
    for (const char* extension : {".mtl", ".obj", ".pz3"}) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(base + extension, error);
        total += error ? 0 : size;
    }
    return total;
}

void remove_output(const std::string& base)
{
    for (const char* extension : {".mtl", ".obj", ".pz3"}) {
        std::error_code error;
        std::filesystem::remove(base + extension, error);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (argc != 3) {
        std::fputs("usage: vellumark_bench_export MODEL.ac OUTPUT_DIR [benchmark flags]\n", stderr);
        return 2;
    }
    const std::string model = argv[1];
    const std::string base = (std::filesystem::path(argv[2]) / "export").string();

    vellumark::standin::host host;
    const vellumark::acfile::read_result read = vellumark::acfile::read_ac_file(model, host);
    if (!read.ok) {
        std::fprintf(stderr, "%s\n", read.error.c_str());
        return 1;
    }
    const auto world = reinterpret_cast<intptr_t>(read.world);

    benchmark::RegisterBenchmark("export_from_memory", [&](benchmark::State& state) {
        for (auto _ : state) {
            // Replacing the last iteration's files would add the cost of
            // deleting them, which a conversion to a new place does not pay.
            state.PauseTiming();
            remove_output(base);
            state.ResumeTiming();
            vellumark::poser_export(1, base.c_str(), world);
        }
        const std::uintmax_t bytes = output_bytes(base);
        if (bytes == 0) {
            state.SkipWithError("the export wrote nothing (is the output folder there?)");
        }
        state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
        state.counters["output_bytes"] = static_cast<double>(bytes);
        // The host keeps every "Done." it was shown.
        host.displays.clear();
    })->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
