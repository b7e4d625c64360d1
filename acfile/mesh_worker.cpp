#include "acfile/mesh_worker.h"

#include <system_error>
#include <utility>

namespace vellumark::acfile {

mesh_worker::~mesh_worker() { finish(); }

std::optional<mesh_failure> mesh_worker::build(mesh_job& job)
{
    mesh_source source;
    source.positions = &job.positions;
    source.surfaces = &job.surfaces;
    source.refs = &job.refs;
    source.texrep = job.texrep;
    source.texoff = job.texoff;
    source.crease_degrees = job.crease_degrees;
    if (const auto bad = builder_.build(source, job.object->triangles)) {
        return mesh_failure{job.line, *bad};
    }
    return std::nullopt;
}

#ifdef VELLUMARK_HAS_THREADS

void mesh_worker::submit(mesh_job job)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (!thread_.joinable()) {
        try {
            stopping_ = false;
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            // No thread to be had: the job is built here.
            if (!failure_) {
                failure_ = build(job);
            }
            return;
        }
    }
    changed_.wait(lock, [this] { return waiting_.size() < most_waiting; });
    waiting_.push_back(std::move(job));
    changed_.notify_all();
}

void mesh_worker::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !waiting_.empty() || stopping_; });
        if (waiting_.empty()) {
            return;
        }
        mesh_job job = std::move(waiting_.front());
        waiting_.pop_front();
        const bool skip = failure_.has_value();
        busy_ = true;
        changed_.notify_all();
        lock.unlock();
        std::optional<mesh_failure> failed;
        if (!skip) {
            failed = build(job);
        }
        // The job's buffers are released here, outside the lock.
        job = mesh_job{};
        lock.lock();
        busy_ = false;
        if (failed && !failure_) {
            failure_ = failed;
        }
        changed_.notify_all();
    }
}

std::optional<mesh_failure> mesh_worker::failure()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
}

std::optional<mesh_failure> mesh_worker::finish()
{
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!thread_.joinable()) {
            return failure_;
        }
        changed_.wait(lock, [this] { return waiting_.empty() && !busy_; });
        stopping_ = true;
        changed_.notify_all();
    }
    thread_.join();
    const std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
}

#else

void mesh_worker::submit(mesh_job job)
{
    if (!failure_) {
        failure_ = build(job);
    }
}

std::optional<mesh_failure> mesh_worker::failure() { return failure_; }

std::optional<mesh_failure> mesh_worker::finish() { return failure_; }

#endif

}  // namespace vellumark::acfile
