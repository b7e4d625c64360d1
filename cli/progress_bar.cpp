#include "cli/progress_bar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

namespace vellumark::cli {
namespace {

constexpr auto redraw_interval = std::chrono::milliseconds(100);
constexpr std::size_t bar_width = 20;
// Columns left free so that the bar never wraps.
constexpr std::size_t spare_columns = 2;

std::size_t terminal_columns()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

// The bar: the share of the step that is done filled in, a marker moving to
// and fro over the rest.
std::string bar_text(std::size_t done, std::size_t total, unsigned tick)
{
    std::string bar(bar_width, ' ');
    const std::size_t filled = total == 0 ? 0 : bar_width * done / total;
    std::fill_n(bar.begin(), filled, '#');
    const std::size_t room = bar_width - filled;
    if (room > 0) {
        const std::size_t span = room > 1 ? 2 * (room - 1) : 1;
        const std::size_t step = tick % span;
        const std::size_t offset = step < room ? step : span - step;
        bar[filled + offset] = '=';
    }
    return "[" + bar + "]";
}

}  // namespace

bool standard_error_is_terminal() { return ::isatty(STDERR_FILENO) == 1; }

progress_bar::progress_bar(bool enabled, std::chrono::milliseconds delay) : enabled_(enabled), delay_(delay)
{
    if (enabled_) {
        thread_ = std::thread([this] { run(); });
    }
}

progress_bar::~progress_bar()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        clear_locked();
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void progress_bar::begin_reading(const std::string& input) { begin("reading " + input, nullptr); }

void progress_bar::begin_writing(const target_snapshot& targets) { begin("writing", &targets); }

void progress_bar::begin(std::string label, const target_snapshot* targets)
{
    if (!enabled_) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    clear_locked();
    label_ = std::move(label);
    targets_ = targets;
    bytes_done_ = 0;
    bytes_total_ = 0;
    started_ = std::chrono::steady_clock::now();
    tick_ = 0;
    active_ = true;
    if (delay_.count() <= 0) {
        draw_locked();
    }
}

void progress_bar::report_reading(std::size_t done, std::size_t total)
{
    if (!enabled_) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    bytes_done_ = done;
    bytes_total_ = total;
}

void progress_bar::end()
{
    if (!enabled_) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    clear_locked();
    active_ = false;
    targets_ = nullptr;
}

void progress_bar::print(std::FILE* stream, const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    clear_locked();
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

void progress_bar::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        wake_.wait_for(lock, redraw_interval);
        if (!stopping_ && active_ && std::chrono::steady_clock::now() - started_ >= delay_) {
            ++tick_;
            draw_locked();
        }
    }
}

void progress_bar::draw_locked()
{
    std::string label = label_;
    std::size_t done = 0;
    std::size_t total = 0;
    if (targets_ != nullptr) {
        total = targets_->files().size();
        while (done < total && targets_->replaced(done)) {
            ++done;
        }
        if (done < total) {
            label += " " + targets_->files()[done];
        }
    } else if (bytes_total_ > 0) {
        // In hundredths, so that the bar and the percentage agree.
        total = 100;
        done = static_cast<std::size_t>(static_cast<double>(bytes_done_) * 100.0 / static_cast<double>(bytes_total_));
        done = done > total ? total : done;
    }
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started_).count();
    std::string tail = " " + bar_text(done, total, tick_);
    if (targets_ != nullptr) {
        tail += " " + std::to_string(done) + "/" + std::to_string(total);
    } else if (total > 0) {
        tail += " " + std::to_string(done) + "%";
    }
    tail += " " + std::to_string(seconds) + "s";
    const std::string head = "vellumark: ";
    // Long paths are cut from the left, where they say least.
    const std::size_t columns = terminal_columns();
    const std::size_t fixed = head.size() + tail.size() + spare_columns;
    const std::size_t room = columns > fixed ? columns - fixed : 0;
    if (label.size() > room) {
        label = room > 3 ? "..." + label.substr(label.size() - (room - 3)) : std::string();
    }
    const std::string line = "\r" + head + label + tail + "\033[K";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    drawn_ = true;
}

void progress_bar::clear_locked()
{
    if (drawn_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        drawn_ = false;
    }
}

}  // namespace vellumark::cli
