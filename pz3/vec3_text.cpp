#include "pz3/vec3_text.h"

namespace vellumark {

void write_vec3(output_file& out, const vec3& value)
{
    out.number(value.x);
    out.text(' ');
    out.number(value.y);
    out.text(' ');
    out.number(value.z);
}

}  // namespace vellumark
