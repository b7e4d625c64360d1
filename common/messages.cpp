#include "common/messages.h"

#include "host/ac3d_host.h"

namespace vellumark {

void report_write_failure(const std::string& file_name, int silent)
{
    if (!is_silent(silent)) {
        message_dialog(write_failure_format, file_name.c_str());
    }
}

}  // namespace vellumark
