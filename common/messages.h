// The texts that the export shows the user, and the silent-flag rule.
#ifndef VELLUMARK_COMMON_MESSAGES_H
#define VELLUMARK_COMMON_MESSAGES_H

#include <string>

namespace vellumark {

inline constexpr const char* walk_failure_message = "Error extracting model information.";
inline constexpr const char* write_failure_format = "Could not write to file %s.";
inline constexpr const char* done_message = "Done.";

// The silent flag is the low 8 bits of the command's first argument.
inline bool is_silent(int silent) { return (silent & 0xff) != 0; }

// "Could not write to file %s." with the file's full name, unless silent.
void report_write_failure(const std::string& file_name, int silent);

}  // namespace vellumark

#endif
