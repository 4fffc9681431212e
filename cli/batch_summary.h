#pragma once
// What a batch keeps of each spectrum it fitted, the row of summary.csv and the line of summary.jsonl.
// A row holds numbers only, as singles (the summary writes every number as a single), so that a run of
// a hundred thousand spectra keeps little more than their numbers.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "cli/batch_items.h"
#include "session/spectrum_fit.h"

namespace vortlan::cli {

struct SummaryRow {
    std::size_t item = 0;  // the spectrum's place in the batch's list, from 0
    float chiSquare = 0;
    bool hasLevel = false;
    bool converged = false;
    std::vector<PeakRow> peaks;  // in slot order
    std::vector<FitFlag> flags;  // a few bytes each, made text only when written
};

// Which of the columns that not every summary has are written.
struct SummaryColumns {
    bool item = false;   // a shard's run: the spectrum's place in the whole run, from 1
    bool block = false;  // --blocks given
};

// What the rows of a summary need: as many peaks' columns as the row with most peaks has, and the at.%
// columns when any row's region has a level.
struct SummaryShape {
    std::size_t peaks = 0;
    bool anyLevel = false;
};

// summary.csv is its heading line, then a line per row in the order of the items.
std::string summaryHeadings(SummaryShape shape, SummaryColumns columns);
std::string summaryLine(const BatchItem& item, const SummaryRow& row, SummaryShape shape,
                        SummaryColumns columns);

// One spectrum as one line of summary.jsonl, line feed included.
std::string summaryJsonLine(const BatchItem& item, const SummaryRow& row, SummaryColumns columns);

}  // namespace vortlan::cli
