#include "scene/name_registry.h"

namespace vellumark {

std::string replace_line_breaks(std::string_view text)
{
    std::string replaced(text);
    for (char& c : replaced) {
        if (c == '\r' || c == '\n') {
            c = '_';
        }
    }
    return replaced;
}

std::string base_name(const char* host_name, std::string_view fallback)
{
    if (host_name == nullptr || *host_name == '\0') {
        return std::string(fallback);
    }
    // Each line break becomes one "_", so cutting first keeps the same bytes.
    return replace_line_breaks(std::string_view(host_name).substr(0, base_name_limit));
}

std::string fold_ascii_case(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

std::string name_registry::make_unique(std::string_view base)
{
    std::string folded_base = fold_ascii_case(base);
    if (taken_.insert(folded_base).second) {
        return std::string(base);
    }
    std::uint64_t& suffix = next_suffix_[folded_base];
    if (suffix == 0) {
        suffix = 1;
    }
    std::string candidate;
    for (;; ++suffix) {
        candidate = folded_base + "_" + std::to_string(suffix);
        if (taken_.insert(candidate).second) {
            break;
        }
    }
    std::string name = std::string(base) + "_" + std::to_string(suffix);
    ++suffix;
    return name;
}

}  // namespace vellumark
