// A plug-in library loaded by path, the way the modeller loads it: dlopen on
// Linux, LoadLibrary on Windows. Its entry points are found by name.
#ifndef VELLUMARK_TESTHOST_PLUGIN_LIBRARY_H
#define VELLUMARK_TESTHOST_PLUGIN_LIBRARY_H

#include <string>

namespace vellumark::testhost {

class plugin_library {
public:
    // Loads the library, resolving every symbol that it imports now, so that
    // a host function that the executable does not provide fails the load.
    explicit plugin_library(const std::string& path);
    ~plugin_library();
    plugin_library(const plugin_library&) = delete;
    plugin_library& operator=(const plugin_library&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    // Why the load failed.
    const std::string& error() const { return error_; }

    // The address of an exported symbol, null when there is none of that
    // name.
    void* symbol(const char* name) const;

    // True when the code at `address` belongs to this library's image (and
    // not, say, to the executable).
    bool contains(const void* address) const;

private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace vellumark::testhost

#endif
