#include "scene/records.h"

#include <atomic>
#include <new>

namespace vellumark {
namespace {

std::atomic<long long> allocations_before_failure{-1};

bool allocation_may_succeed()
{
    long long left = allocations_before_failure.load();
    if (left < 0) {
        return true;
    }
    allocations_before_failure.store(left - 1);
    return left != 0;
}

// Allocates one record and takes it into the store; null on failure.
template <typename Record>
Record* allocate_into(std::vector<std::unique_ptr<Record>>& store)
{
    if (!allocation_may_succeed()) {
        return nullptr;
    }
    try {
        // push_back grows the store geometrically, and when it throws the
        // new record is released with its unique_ptr.
        store.push_back(std::make_unique<Record>());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return store.back().get();
}

}  // namespace

void fail_record_allocation_after(long long count) { allocations_before_failure.store(count); }

export_scene::~export_scene()
{
    actor_store_.clear();
    geometry_store_.clear();
    material_store_.clear();
}

actor_record* export_scene::append_actor()
{
    actor_record* actor = allocate_into(actor_store_);
    if (actor == nullptr) {
        return nullptr;
    }
    actor->prev = actor_tail_;
    if (actor_tail_ != nullptr) {
        actor_tail_->next = actor;
    } else {
        actors = actor;
    }
    actor_tail_ = actor;
    return actor;
}

geometry_record* export_scene::append_geometry()
{
    geometry_record* geometry = allocate_into(geometry_store_);
    if (geometry == nullptr) {
        return nullptr;
    }
    if (geometry_tail_ != nullptr) {
        geometry_tail_->next = geometry;
    } else {
        geometries = geometry;
    }
    geometry_tail_ = geometry;
    return geometry;
}

material_record* export_scene::append_material()
{
    material_record* material = allocate_into(material_store_);
    if (material == nullptr) {
        return nullptr;
    }
    if (material_tail_ != nullptr) {
        material_tail_->next = material;
    } else {
        materials = material;
    }
    material_tail_ = material;
    return material;
}

actor_record* export_scene::actor_at(std::int32_t position) const
{
    if (position < 0 || static_cast<std::size_t>(position) >= actor_store_.size()) {
        return nullptr;
    }
    return actor_store_[static_cast<std::size_t>(position)].get();
}

void export_scene::release_walk_tables()
{
    actor_names = name_registry();
    material_names = name_registry();
    std::unordered_map<std::string, material_record*>().swap(material_index);
}

}  // namespace vellumark
