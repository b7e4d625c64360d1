// The converter's progress bar: on a terminal, a step of work (reading an
// input, writing its files) that takes longer than a moment shows a bar on
// standard error, redrawn in place and cleared when the step ends. On a pipe
// or a file nothing is drawn.
//
// Reading shows the share of the file read, as the reader reports it. The
// export reports no progress, so writing shows what can be seen from outside
// it: the file being written (the first of the three that is not yet in
// place) and how many of the three are done. A marker moves while a step is
// at work, and the time spent is shown.
#ifndef VELLUMARK_CLI_PROGRESS_BAR_H
#define VELLUMARK_CLI_PROGRESS_BAR_H

#include <chrono>
#include <cstddef>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "cli/output_targets.h"

namespace vellumark::cli {

class progress_bar {
public:
    // Draws only when `enabled`, and only once a step has lasted `delay`.
    progress_bar(bool enabled, std::chrono::milliseconds delay);
    ~progress_bar();
    progress_bar(const progress_bar&) = delete;
    progress_bar& operator=(const progress_bar&) = delete;

    // Starts a step: "reading FILE".
    void begin_reading(const std::string& input);
    // How far reading has come: `done` of `total` bytes.
    void report_reading(std::size_t done, std::size_t total);
    // Starts a step: writing the snapshot's three files, which must stay
    // alive until end().
    void begin_writing(const target_snapshot& targets);
    // Ends the step and clears the bar.
    void end();

    // Writes text to a stream without tearing the bar: the bar is cleared
    // first and drawn again on its next tick.
    void print(std::FILE* stream, const std::string& text);

private:
    void begin(std::string label, const target_snapshot* targets);
    void run();
    void draw_locked();
    void clear_locked();

    const bool enabled_;
    const std::chrono::milliseconds delay_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool active_ = false;
    bool drawn_ = false;
    std::string label_;
    const target_snapshot* targets_ = nullptr;
    std::size_t bytes_done_ = 0;
    std::size_t bytes_total_ = 0;
    std::chrono::steady_clock::time_point started_;
    unsigned tick_ = 0;
    std::thread thread_;
};

// Whether standard error is a terminal.
bool standard_error_is_terminal();

}  // namespace vellumark::cli

#endif
