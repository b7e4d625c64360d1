// One input of the fuzzer, and of its regression test: the bytes read as a
// .ac file and, when the reader accepts them, exported silently under a base
// path. Anything that crashes, hangs, leaks or trips a sanitizer here is a
// fault.
#ifndef VELLUMARK_FUZZ_READ_AND_EXPORT_H
#define VELLUMARK_FUZZ_READ_AND_EXPORT_H

#include <string>
#include <string_view>

namespace vellumark::fuzz {

struct input_outcome {
    bool accepted = false;
    // The reader's "FILE:LINE: ..." when refused.
    std::string error;
    // Lists and arrays of the host left unreleased by the export.
    std::size_t outstanding = 0;
};

input_outcome read_and_export(std::string_view bytes, const std::string& base_path);

}  // namespace vellumark::fuzz

#endif
