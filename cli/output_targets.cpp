#include "cli/output_targets.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <system_error>

#include "common/path_split.h"

namespace vellumark::cli {
namespace {

bool ends_with_separator(const std::string& path)
{
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

// One spelling per file, so that a/../x.obj and x.obj compare equal.
std::string comparable(const std::string& file)
{
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(file, error);
    return error ? std::filesystem::path(file).lexically_normal().string() : canonical.string();
}

}  // namespace

std::string base_path_for(const command_line& line, const std::string& input)
{
    if (line.output) {
        return strip_extension(*line.output);
    }
    if (line.output_dir) {
        std::string base = *line.output_dir;
        if (!base.empty() && !ends_with_separator(base)) {
            base += '/';
        }
        return base + split_path(input).file_name;
    }
    return strip_extension(input);
}

std::array<std::string, 3> output_files(const std::string& base_path)
{
    return {base_path + ".mtl", base_path + ".obj", base_path + ".pz3"};
}

std::optional<std::string> find_target_clash(const std::vector<std::string>& inputs,
                                             const std::vector<std::string>& base_paths)
{
    std::map<std::string, std::size_t> owners;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        owners.emplace(comparable(inputs[i]), i);
    }
    std::map<std::string, std::size_t> written_by;
    for (std::size_t i = 0; i < base_paths.size(); ++i) {
        for (const std::string& file : output_files(base_paths[i])) {
            const std::string key = comparable(file);
            if (auto input = owners.find(key); input != owners.end()) {
                return file + " would overwrite the input " + inputs[input->second];
            }
            auto [earlier, fresh] = written_by.emplace(key, i);
            if (!fresh) {
                return inputs[earlier->second] + " and " + inputs[i] + " would both write " + file;
            }
        }
    }
    return std::nullopt;
}

target_snapshot::target_snapshot(const std::string& base_path) : files_(output_files(base_path))
{
    for (std::size_t i = 0; i < files_.size(); ++i) {
        before_[i] = identify(files_[i]);
    }
}

std::optional<target_snapshot::identity> target_snapshot::identify(const std::string& file)
{
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return identity{static_cast<unsigned long long>(status.st_dev), static_cast<unsigned long long>(status.st_ino)};
}

bool target_snapshot::replaced(std::size_t index) const
{
    const std::optional<identity> now = identify(files_.at(index));
    if (!now) {
        return false;
    }
    const std::optional<identity>& before = before_.at(index);
    return !before || before->device != now->device || before->inode != now->inode;
}

}  // namespace vellumark::cli
