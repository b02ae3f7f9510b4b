#include "StoragePool.h"

namespace qob::site {

StoragePool::StoragePool(std::string database, std::unique_ptr<ScoreStorage> first)
    : database_(std::move(database)) {
    if (first) idle_.push_back(std::move(first));
}

StoragePool::Lease::~Lease() {
    if (!storage_) return;
    const std::lock_guard lock(pool_.mutex_);
    pool_.idle_.push_back(std::move(storage_));
}

StoragePool::Lease StoragePool::borrow() {
    {
        const std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            std::unique_ptr<ScoreStorage> storage = std::move(idle_.back());
            idle_.pop_back();
            return Lease(*this, std::move(storage));
        }
    }
    return Lease(*this, openScoreStorage(database_));
}

}  // namespace qob::site
