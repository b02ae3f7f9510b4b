#pragma once
// Database connections for the server's threads: each request borrows one and gives it
// back; a connection that failed is dropped and a new one opened when next needed.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ScoreStorage.h"

namespace qob::site {

class StoragePool {
  public:
    // `first` is an open connection to `database`, the first one lent.
    StoragePool(std::string database, std::unique_ptr<ScoreStorage> first);

    class Lease {
      public:
        Lease(StoragePool& pool, std::unique_ptr<ScoreStorage> storage)
            : pool_(pool), storage_(std::move(storage)) {}
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ScoreStorage* operator->() { return storage_.get(); }
        // The connection failed: it is closed instead of given back.
        void drop() { storage_.reset(); }

      private:
        StoragePool& pool_;
        std::unique_ptr<ScoreStorage> storage_;
    };

    // Throws StorageError when no connection can be opened.
    Lease borrow();

  private:
    std::string database_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<ScoreStorage>> idle_;
};

}  // namespace qob::site
