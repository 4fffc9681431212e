#pragma once
// The rows of a batch kept on disk while it runs, in the order they are added, so that a run of a
// hundred thousand spectra holds no more of them in memory than one of a thousand.  The summary is
// written from them at the end.

#include <cstdio>
#include <functional>
#include <memory>

#include "cli/batch_summary.h"

namespace vortlan::cli {

class RowSpool {
  public:
    // Throws CommandFailed when no temporary file can be made.
    RowSpool();

    // Throws CommandFailed when the row cannot be written.
    void add(const SummaryRow& row);
    std::size_t size() const { return count_; }
    // The columns the rows so far need.
    SummaryShape shape() const { return shape_; }

    // Reads the rows back, in the order they were added.  Throws CommandFailed when they cannot be.
    class Reader {
      public:
        explicit Reader(const RowSpool& spool);
        // The next row, or false after the last.
        bool next(SummaryRow& row);

      private:
        std::FILE* file_;
        std::size_t left_;
    };

  private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::size_t count_ = 0;
    SummaryShape shape_;
};

// The rows of two spools, each in increasing item order, as one sequence in item order.
void forEachInItemOrder(const RowSpool& first, const RowSpool& second,
                        const std::function<void(const SummaryRow&)>& use);

}  // namespace vortlan::cli
