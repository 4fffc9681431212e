#pragma once
// The parallel run of a batch: the spectra are taken in order by a pool of worker threads, and what
// each gives is handed back on the calling thread in the same order, so that the messages, the rows
// and every file are the same whatever the number of threads.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "cli/batch_summary.h"

namespace vortlan::cli {

// What fitting one spectrum gave: the messages it printed (the program's, and the note when it was
// skipped), and its row when it was fitted.
struct ItemOutcome {
    std::string messages;
    std::optional<SummaryRow> row;
};

struct RunSteps {
    // Fits the k-th spectrum of the run; called on the worker threads.
    std::function<ItemOutcome(std::size_t k)> fit;
    // Receives the k-th outcome, for k = 0, 1, … in turn; called on the calling thread.
    std::function<void(std::size_t k, ItemOutcome&& outcome)> release;
    // Called on the calling thread a few times a second and after each release, with how many have
    // been released.
    std::function<void(std::size_t released)> tick;
    // Once it says yes, no more spectra are taken; those in flight are finished and released.
    std::function<bool()> stopRequested;
};

// Fits `count` spectra on `jobs` threads; returns how many were released (count unless stopped).
std::size_t runInOrder(std::size_t count, int jobs, const RunSteps& steps);

}  // namespace vortlan::cli
