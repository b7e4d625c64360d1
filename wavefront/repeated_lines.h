// The geometry file writes one texture coordinate line and one normal line
// for every corner, and the corners that meet at a vertex of a smooth,
// continuously textured mesh write the same lines again and again. This keeps
// the text of recently written lines by the bits of their numbers, so that a
// line seen a moment ago is copied instead of formatted anew. The bits decide
// alone, and the same bits always format to the same text, so the file's
// bytes are those that formatting every line would give.
//
// One table per kind of line: the key does not say which kind it is.
#ifndef VELLUMARK_WAVEFRONT_REPEATED_LINES_H
#define VELLUMARK_WAVEFRONT_REPEATED_LINES_H

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "common/number_format.h"
#include "common/output_file.h"

namespace vellumark {

class repeated_lines {
public:
    repeated_lines() : entries_(new entry[entry_count]()) {}

    // Writes the line of these numbers: a copy of the kept text when the
    // same numbers were written last at their place in the table, otherwise
    // through write_line(), whose text is then kept. write_line writes one
    // line of at most three numbers.
    template <typename WriteLine>
    void write(output_file& out, float a, float b, float c, WriteLine&& write_line)
    {
        const std::array<std::uint32_t, 3> key{bits(a), bits(b), bits(c)};
        entry& slot = entries_[index(key)];
        if (slot.length != 0 && slot.key[0] == key[0] && slot.key[1] == key[1] && slot.key[2] == key[2]) {
            out.file_form_block(slot.text, slot.length);
            return;
        }
        const std::size_t mark = out.mark(longest_line);
        write_line();
        const std::string_view written = out.written_since(mark);
        if (!written.empty() && written.size() <= sizeof slot.text) {
            slot.key = key;
            slot.length = static_cast<std::uint8_t>(written.size());
            // The room that mark() made is larger than the block.
            std::memcpy(slot.text, written.data(), sizeof slot.text);
        }
    }

private:
    // A line kind's few letters, three numbers, the blanks and the line end.
    static constexpr std::size_t longest_line = 16 + 3 * max_fixed6_length;
    // 4096 lines of 64 bytes: the last few thousand corners' lines stay, and
    // the table stays in the processor's nearer caches.
    static constexpr std::size_t entry_count = 4096;

    struct entry {
        std::array<std::uint32_t, 3> key;
        std::uint8_t length;  // 0: nothing kept
        char text[51];        // longer lines (huge coordinates) are not kept
    };
    static_assert(sizeof(entry) == 64);
    static_assert(sizeof(entry::text) <= longest_line);

    static std::uint32_t bits(float value)
    {
        std::uint32_t result = 0;
        std::memcpy(&result, &value, sizeof result);
        return result;
    }
    static std::size_t index(const std::array<std::uint32_t, 3>& key)
    {
        std::uint32_t hash = key[0] * 0x9E3779B1u;
        hash = (hash ^ (hash >> 15) ^ key[1]) * 0x85EBCA77u;
        hash = (hash ^ (hash >> 13) ^ key[2]) * 0xC2B2AE3Du;
        return (hash >> 20) & (entry_count - 1);
    }

    std::unique_ptr<entry[]> entries_;
};

}  // namespace vellumark

#endif
