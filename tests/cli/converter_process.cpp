#include "tests/cli/converter_process.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "tests/support/test_files.h"

namespace vellumark::testing {
namespace {

// In the child: the environment, the folder, then the converter. Never
// returns.
[[noreturn]] void exec_converter(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
                                 const environment& settings)
{
    for (const auto& [name, value] : settings) {
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    if (::chdir(folder.c_str()) != 0) {
        ::_exit(127);
    }
    std::vector<char*> argv;
    std::string program = VELLUMARK_CONVERTER;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

int exit_status_of(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::filesystem::path capture_file(const std::filesystem::path& folder, const char* name)
{
    // Beside the folder the converter works in, so that the tests' checks
    // of what it wrote see only its own files.
    return folder.parent_path() / (folder.filename().string() + "." + name);
}

}  // namespace

converter_run run_converter(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
                            const environment& settings)
{
    const auto out_file = capture_file(folder, "stdout");
    const auto err_file = capture_file(folder, "stderr");
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0) {
            ::_exit(127);
        }
        exec_converter(folder, arguments, settings);
    }
    converter_run run;
    run.status = child > 0 ? exit_status_of(child) : -1;
    run.out = read_file(out_file).value_or("");
    run.err = read_file(err_file).value_or("");
    std::filesystem::remove(out_file);
    std::filesystem::remove(err_file);
    return run;
}

converter_run run_converter_on_terminal(const std::filesystem::path& folder,
                                        const std::vector<std::string>& arguments, const environment& settings)
{
    const auto out_file = capture_file(folder, "stdout");
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        // The terminal is the child's standard input, output and error;
        // standard output goes back to a file.
        const int out = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0) {
            ::_exit(127);
        }
        exec_converter(folder, arguments, settings);
    }
    converter_run run;
    if (child < 0) {
        return run;
    }
    // Everything the terminal shows, until the child has closed it (read
    // then fails with EIO).
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(terminal, buffer, sizeof buffer);
        if (got > 0) {
            run.err.append(buffer, static_cast<std::size_t>(got));
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    ::close(terminal);
    run.status = exit_status_of(child);
    run.out = read_file(out_file).value_or("");
    std::filesystem::remove(out_file);
    return run;
}

std::filesystem::path samples_dir() { return std::filesystem::path(VELLUMARK_SOURCE_DIR) / "samples"; }

std::filesystem::path expected_dir() { return std::filesystem::path(VELLUMARK_SOURCE_DIR) / "tests" / "cli" / "expected"; }

}  // namespace vellumark::testing
