// The line and token level of .ac files: lines end in LF or CR LF (the last
// may have no end, or a lone CR), tokens are separated by blanks and tabs. A line never
// holds a NUL byte or a carriage return other than the one before its LF.
#ifndef VELLUMARK_ACFILE_AC_LINES_H
#define VELLUMARK_ACFILE_AC_LINES_H

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace vellumark::acfile {

// A malformed input: the line where it was found and what is wrong.
struct parse_error {
    std::size_t line;
    std::string message;
};

// Walks the lines of text held in memory, counting them from 1.
class line_cursor {
public:
    explicit line_cursor(std::string_view text) : text_(text) {}

    // The next line without its end; false at the end of the text. Throws
    // parse_error for a NUL byte or a stray carriage return in the line.
    bool next(std::string_view& line)
    {
        if (position_ >= text_.size()) {
            return false;
        }
        const char* start = text_.data() + position_;
        const std::size_t left = text_.size() - position_;
        // The line end is looked for a block at a time, and a block without
        // one is checked at once, so that a huge file of binary garbage is
        // refused at its first bad bytes rather than after reading it all.
        constexpr std::size_t block = 1 << 16;
        const void* found = nullptr;
        for (std::size_t offset = 0; offset < left; offset += block) {
            const std::size_t size = left - offset < block ? left - offset : block;
            found = std::memchr(start + offset, '\n', size);
            if (found != nullptr) {
                break;
            }
            if (std::memchr(start + offset, '\0', size) != nullptr) {
                throw parse_error{line_number_ + 1, "NUL byte in the line"};
            }
            if (size > 1 && std::memchr(start + offset, '\r', size - 1) != nullptr) {
                throw parse_error{line_number_ + 1,
                                  "carriage return inside a line (lines must end in LF or CR LF)"};
            }
        }
        std::size_t length = found ? static_cast<std::size_t>(static_cast<const char*>(found) - start) : left;
        position_ += found ? length + 1 : length;
        ++line_number_;
        if (length > 0 && start[length - 1] == '\r') {
            --length;
        }
        line = std::string_view(start, length);
        if (std::memchr(start, '\r', length) != nullptr) {
            throw parse_error{line_number_,
                              "carriage return inside a line (lines must end in LF or CR LF)"};
        }
        if (std::memchr(start, '\0', length) != nullptr) {
            throw parse_error{line_number_, "NUL byte in the line"};
        }
        return true;
    }

    // The number of the line that next() returned last (0 before the first).
    std::size_t line_number() const { return line_number_; }
    // Where the next line starts.
    std::size_t position() const { return position_; }
    std::string_view text() const { return text_; }
    // Moves to `position`, which starts a line, having passed `lines` more
    // lines (used to skip a data block).
    void skip_to(std::size_t position, std::size_t lines)
    {
        position_ = position;
        line_number_ += lines;
    }

private:
    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t line_number_ = 0;
};

inline bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The tokens of one line, taken one at a time.
class token_cursor {
public:
    explicit token_cursor(std::string_view line) : rest_(line) {}

    // The next token; false when the line has no more.
    bool next(std::string_view& token)
    {
        // Plain pointers: every byte of the file passes through here.
        const char* cursor = rest_.data();
        const char* const end = cursor + rest_.size();
        while (cursor != end && is_blank(*cursor)) {
            ++cursor;
        }
        if (cursor == end) {
            rest_ = {};
            return false;
        }
        const char* const start = cursor;
        while (cursor != end && !is_blank(*cursor)) {
            ++cursor;
        }
        token = std::string_view(start, static_cast<std::size_t>(cursor - start));
        rest_ = std::string_view(cursor, static_cast<std::size_t>(end - cursor));
        return true;
    }

    // What is left of the line after the tokens taken so far.
    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};

// Whether the line holds nothing but blanks and tabs.
inline bool is_blank_line(std::string_view line)
{
    for (char c : line) {
        if (!is_blank(c)) {
            return false;
        }
    }
    return true;
}

// A token or text shown in a message: at most 40 bytes, with bytes outside
// printable ASCII written as \xNN, so that a binary or enormous line gives a
// readable message.
inline std::string quoted_for_message(std::string_view text)
{
    constexpr std::size_t shown = 40;
    std::string out = "\"";
    const char* digits = "0123456789ABCDEF";
    for (std::size_t i = 0; i < text.size() && i < shown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    if (text.size() > shown) {
        out += "...";
    }
    out += '"';
    return out;
}

}  // namespace vellumark::acfile

#endif
