#include "wavefront/obj_writer.h"

#include "common/messages.h"
#include "common/output_file.h"

namespace vellumark {

void write_obj_file(export_scene&, const std::string& base_path, int silent)
{
    output_file out(base_path + ".obj");
    if (!out.commit()) {
        report_write_failure(out.target(), silent);
    }
}

}  // namespace vellumark
