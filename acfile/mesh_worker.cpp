#include "acfile/mesh_worker.h"

#include <system_error>
#include <utility>

namespace vellumark::acfile {

mesh_worker::~mesh_worker() { finish(); }

void mesh_job::add(piece object, std::vector<std::array<float, 3>>& object_positions,
                   std::vector<surface_record>& object_surfaces, std::vector<ref_record>& object_refs)
{
    object.first_position = positions.size();
    object.position_count = object_positions.size();
    object.first_surface = surfaces.size();
    object.surface_count = object_surfaces.size();
    object.first_ref = refs.size();
    object.ref_count = object_refs.size();
    pieces.push_back(object);
    if (object.first_ref == 0 && object.first_surface == 0 && object.first_position == 0) {
        positions = std::move(object_positions);
        surfaces = std::move(object_surfaces);
        refs = std::move(object_refs);
        object_positions.clear();
        object_surfaces.clear();
        object_refs.clear();
        return;
    }
    positions.insert(positions.end(), object_positions.begin(), object_positions.end());
    surfaces.insert(surfaces.end(), object_surfaces.begin(), object_surfaces.end());
    refs.insert(refs.end(), object_refs.begin(), object_refs.end());
}

std::optional<mesh_failure> mesh_worker::build(mesh_job& job)
{
    for (const mesh_job::piece& piece : job.pieces) {
        mesh_source source;
        source.positions = std::span(job.positions).subspan(piece.first_position, piece.position_count);
        source.surfaces = std::span(job.surfaces).subspan(piece.first_surface, piece.surface_count);
        source.refs = std::span(job.refs).subspan(piece.first_ref, piece.ref_count);
        source.texrep = piece.texrep;
        source.texoff = piece.texoff;
        source.crease_degrees = piece.crease_degrees;
        if (const auto bad = builder_.build(source, *piece.object)) {
            return mesh_failure{piece.line, *bad};
        }
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
