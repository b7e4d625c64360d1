#include "fuzz/read_and_export.h"

#include <cstdint>

#include "acfile/ac_reader.h"
#include "plugin/export_driver.h"
#include "standin/standin_host.h"

namespace vellumark::fuzz {

input_outcome read_and_export(std::string_view bytes, const std::string& base_path)
{
    input_outcome outcome;
    standin::host host;
    const acfile::read_result result = acfile::read_ac_text(bytes, "input.ac", host);
    outcome.accepted = result.ok;
    outcome.error = result.error;
    if (result.ok && result.world != nullptr) {
        poser_export(1, base_path.c_str(), reinterpret_cast<intptr_t>(result.world));
    }
    outcome.outstanding = host.outstanding();
    return outcome;
}

}  // namespace vellumark::fuzz
