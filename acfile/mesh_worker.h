// Builds the objects' triangles on a thread of its own, while the reader
// goes on with the rest of the file: cutting polygons and smoothing normals
// take about as long as reading the numbers.
//
// Jobs are built one at a time in the order handed over, and a job's objects
// in their order, each into its own object's triangle list, which nothing
// else touches until finish(). The first object that fails is kept and the
// ones after it are dropped, so the failure reported is the first in the
// file, as if every object had been built as it was read. Without threads,
// each job is built at once.
#ifndef VELLUMARK_ACFILE_MESH_WORKER_H
#define VELLUMARK_ACFILE_MESH_WORKER_H

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

#include "acfile/ac_mesh.h"
#include "common/threads.h"
#include "standin/standin_host.h"

#ifdef VELLUMARK_HAS_THREADS
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace vellumark::acfile {

// The geometry of one or more objects as read, to be built into their
// triangles: small objects travel together, so that handing them over costs
// little next to building them.
struct mesh_job {
    // One object: its parts of the arrays below, and how it is built.
    struct piece {
        host_object* object = nullptr;
        // The object's OBJECT line, where a failure is reported.
        std::size_t line = 0;
        std::size_t first_position = 0, position_count = 0;
        std::size_t first_surface = 0, surface_count = 0;
        std::size_t first_ref = 0, ref_count = 0;
        std::array<float, 2> texrep{1, 1};
        std::array<float, 2> texoff{0, 0};
        double crease_degrees = default_crease_degrees;
    };
    std::vector<piece> pieces;
    std::vector<std::array<float, 3>> positions;
    std::vector<surface_record> surfaces;
    // Each surface's first_ref counts from its own object's first corner.
    std::vector<ref_record> refs;

    // Adds an object, its geometry copied or, into an empty job, moved.
    void add(piece object, std::vector<std::array<float, 3>>& object_positions,
             std::vector<surface_record>& object_surfaces, std::vector<ref_record>& object_refs);
};

// An object whose surface's texture coordinates leave single precision.
struct mesh_failure {
    std::size_t line = 0;
    std::size_t surface = 0;
};

class mesh_worker {
public:
    mesh_worker() = default;
    // Waits for the jobs handed over, as finish() does.
    ~mesh_worker();
    mesh_worker(const mesh_worker&) = delete;
    mesh_worker& operator=(const mesh_worker&) = delete;

    // Hands a job over, starting the thread with the first one. Waits while
    // two jobs are already waiting, which bounds the memory they hold.
    void submit(mesh_job job);
    // The first failure so far, without waiting for the jobs in hand.
    std::optional<mesh_failure> failure();
    // Waits until every job handed over is built (or dropped) and stops the
    // thread; the first failure.
    std::optional<mesh_failure> finish();

private:
    // Builds one job's objects up to the first that fails; its failure.
    std::optional<mesh_failure> build(mesh_job& job);

    mesh_builder builder_;
    std::optional<mesh_failure> failure_;
#ifdef VELLUMARK_HAS_THREADS
    void run();

    static constexpr std::size_t most_waiting = 2;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<mesh_job> waiting_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
#endif
};

}  // namespace vellumark::acfile

#endif
