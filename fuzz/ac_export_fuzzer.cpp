// libFuzzer target: bytes to the .ac reader, and what it accepts through the
// whole export into a scratch folder (silent). Built by scripts/fuzz.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <unistd.h>

#include "fuzz/read_and_export.h"

namespace {

// The folder that every input exports into, made once: VELLUMARK_FUZZ_OUT
// when set, else a new folder under the system's temporary folder. Each input
// overwrites the files of the one before.
const std::string& base_path()
{
    static const std::string base = [] {
        std::filesystem::path folder;
        if (const char* configured = std::getenv("VELLUMARK_FUZZ_OUT")) {
            folder = configured;
        } else {
            folder = std::filesystem::temp_directory_path() / ("vellumark-fuzz-" + std::to_string(getpid()));
        }
        std::filesystem::create_directories(folder);
        return (folder / "fuzz").string();
    }();
    return base;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto outcome = vellumark::fuzz::read_and_export(bytes, base_path());
    if (outcome.outstanding != 0) {
        // A host list that the export never released: a leak in the host.
        std::abort();
    }
    return 0;
}
