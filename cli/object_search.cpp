#include "cli/object_search.h"

#include <vector>

namespace vellumark::cli {

host_object* find_object_by_name(host_object* root, std::string_view name)
{
    // A stack of our own: a model may nest deeper than the machine stack
    // allows. Children go on in reverse so that the first comes off first.
    std::vector<host_object*> pending;
    if (root != nullptr) {
        pending.push_back(root);
    }
    while (!pending.empty()) {
        host_object* object = pending.back();
        pending.pop_back();
        if (object->name && *object->name == name) {
            return object;
        }
        for (auto child = object->children.rbegin(); child != object->children.rend(); ++child) {
            pending.push_back(*child);
        }
    }
    return nullptr;
}

}  // namespace vellumark::cli
