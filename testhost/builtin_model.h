// A model built in code, for exports when no model file is given (and as the
// one model that needs no .ac reader). It is chosen to reach every part of
// the three files: nested actors, a null actor by name and one by vertex
// count, names that collide, a light and groups between actors, a textured
// mesh, several materials, missing material values, and numbers whose digits
// are easy to get wrong (1/128, -0.0, large and tiny values).
#ifndef VELLUMARK_TESTHOST_BUILTIN_MODEL_H
#define VELLUMARK_TESTHOST_BUILTIN_MODEL_H

#include "standin/standin_host.h"

namespace vellumark::testhost {

// Builds the model into `host` (which must be empty) and returns its world.
host_object& build_builtin_model(standin::host& host);

}  // namespace vellumark::testhost

#endif
