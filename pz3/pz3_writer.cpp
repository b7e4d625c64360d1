#include "pz3/pz3_writer.h"

#include "common/messages.h"
#include "common/output_file.h"

namespace vellumark {

void write_pz3_file(const export_scene&, const std::string& base_path, int silent)
{
    output_file out(base_path + ".pz3");
    if (!out.commit()) {
        report_write_failure(out.target(), silent);
    }
}

}  // namespace vellumark
