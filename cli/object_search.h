// --object: finding an object of the model by its name.
#ifndef VELLUMARK_CLI_OBJECT_SEARCH_H
#define VELLUMARK_CLI_OBJECT_SEARCH_H

#include <string_view>

#include "standin/standin_host.h"

namespace vellumark::cli {

// The first object below and including `root`, depth first with children in
// file order, whose name is exactly `name`; null when there is none.
host_object* find_object_by_name(host_object* root, std::string_view name);

}  // namespace vellumark::cli

#endif
