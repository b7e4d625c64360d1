#include "testhost/plugin_library.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace vellumark::testhost {

#ifdef _WIN32

namespace {

std::string last_error_text()
{
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = "error " + std::to_string(code);
    if (length != 0 && text != nullptr) {
        message += ": ";
        message.append(text, length);
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
            message.pop_back();
        }
    }
    if (text != nullptr) {
        LocalFree(text);
    }
    return message;
}

}  // namespace

plugin_library::plugin_library(const std::string& path)
{
    handle_ = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
    if (handle_ == nullptr) {
        error_ = last_error_text();
    }
}

plugin_library::~plugin_library()
{
    if (handle_ != nullptr) {
        FreeLibrary(static_cast<HMODULE>(handle_));
    }
}

void* plugin_library::symbol(const char* name) const
{
    if (handle_ == nullptr) {
        return nullptr;
    }
    const FARPROC found = GetProcAddress(static_cast<HMODULE>(handle_), name);
    return reinterpret_cast<void*>(reinterpret_cast<std::intptr_t>(found));
}

bool plugin_library::contains(const void* address) const
{
    HMODULE module = nullptr;
    if (handle_ == nullptr ||
        !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<const char*>(address), &module)) {
        return false;
    }
    return module == static_cast<HMODULE>(handle_);
}

#else

plugin_library::plugin_library(const std::string& path)
{
    // RTLD_NOW: every host function must resolve against this executable at
    // load time. RTLD_LOCAL: the plug-in's symbols stay its own.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* text = dlerror();
        error_ = text != nullptr ? text : "dlopen failed";
    }
}

plugin_library::~plugin_library()
{
    if (handle_ != nullptr) {
        dlclose(handle_);
    }
}

void* plugin_library::symbol(const char* name) const
{
    return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

bool plugin_library::contains(const void* address) const
{
    // The library's image is the one that holds its own entry point.
    void* anchor = symbol("AC3DPluginInit");
    Dl_info library{};
    Dl_info probe{};
    if (anchor == nullptr || dladdr(anchor, &library) == 0 || dladdr(address, &probe) == 0) {
        return false;
    }
    return library.dli_fbase != nullptr && library.dli_fbase == probe.dli_fbase;
}

#endif

}  // namespace vellumark::testhost
