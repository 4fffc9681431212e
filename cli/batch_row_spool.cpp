#include "cli/batch_row_spool.h"

#include <algorithm>
#include <cstdint>

#include "cli/cli_session.h"

namespace vortlan::cli {

namespace {

// A row's record: the item, chi-square, the two booleans and the counts of peaks and of the verdict's
// flags, then each peak's fields and each flag.
// Written and read in this process only, so in its own byte order.
struct RowHead {
    std::uint64_t item;
    float chiSquare;
    std::uint8_t hasLevel, converged;
    std::uint32_t peaks;
    std::uint32_t flags;
};

template <typename T>
bool put(std::FILE* file, const T& value) {
    return std::fwrite(&value, sizeof value, 1, file) == 1;
}

template <typename T>
bool take(std::FILE* file, T& value) {
    return std::fread(&value, sizeof value, 1, file) == 1;
}

CommandFailed spoolFailure() {
    return CommandFailed("cannot keep the summary's rows in a temporary file");
}

}  // namespace

RowSpool::RowSpool() : file_(std::tmpfile()) {
    if (!file_) throw spoolFailure();
}

void RowSpool::add(const SummaryRow& row) {
    const RowHead head{row.item,
                       row.chiSquare,
                       row.hasLevel,
                       row.converged,
                       static_cast<std::uint32_t>(row.peaks.size()),
                       static_cast<std::uint32_t>(row.flags.size())};
    bool written = put(file_.get(), head);
    for (const PeakRow& peak : row.peaks) written = written && put(file_.get(), peak);
    for (const FitFlag& flag : row.flags) written = written && put(file_.get(), flag);
    if (!written) throw spoolFailure();
    ++count_;
    shape_.peaks = std::max(shape_.peaks, row.peaks.size());
    shape_.anyLevel = shape_.anyLevel || row.hasLevel;
}

RowSpool::Reader::Reader(const RowSpool& spool) : file_(spool.file_.get()), left_(spool.count_) {
    if (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0) throw spoolFailure();
}

bool RowSpool::Reader::next(SummaryRow& row) {
    if (left_ == 0) return false;
    --left_;
    RowHead head{};
    if (!take(file_, head)) throw spoolFailure();
    row.item = static_cast<std::size_t>(head.item);
    row.chiSquare = head.chiSquare;
    row.hasLevel = head.hasLevel != 0;
    row.converged = head.converged != 0;
    row.peaks.resize(head.peaks);
    for (PeakRow& peak : row.peaks) {
        if (!take(file_, peak)) throw spoolFailure();
    }
    row.flags.resize(head.flags);
    for (FitFlag& flag : row.flags) {
        if (!take(file_, flag)) throw spoolFailure();
    }
    return true;
}

void forEachInItemOrder(const RowSpool& first, const RowSpool& second,
                        const std::function<void(const SummaryRow&)>& use) {
    RowSpool::Reader a(first), b(second);
    SummaryRow rowA, rowB;
    bool hasA = a.next(rowA), hasB = b.next(rowB);
    while (hasA || hasB) {
        if (hasA && (!hasB || rowA.item < rowB.item)) {
            use(rowA);
            hasA = a.next(rowA);
        } else {
            use(rowB);
            hasB = b.next(rowB);
        }
    }
}

}  // namespace vortlan::cli
