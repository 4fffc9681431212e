#pragma once
// The journal of a batch, DIR/.batch-journal: one line per spectrum finished, appended and flushed
// once the spectrum's outputs are complete, with its summary row.  A later run with --resume takes
// the rows of the spectra it need not fit again from it, also when it writes no file per spectrum.
// A line cut short by a killed run is ignored, and dropped when the journal is taken over.

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>

#include "cli/batch_items.h"
#include "cli/batch_summary.h"

namespace vortlan::cli {

struct JournalEntry {
    std::string file;
    int block = -1;
    long long finished = 0;  // when its line was written, in ticks of the file clock
    SummaryRow row;          // its `item` is not kept
};

// The complete entries of a journal, by output name; none when there is no journal or it was written
// by a run of other settings (the first line).
std::map<std::string, JournalEntry> readJournal(const std::filesystem::path& path,
                                                const std::string& settings);

class JournalWriter {
  public:
    // Starts the journal anew with the settings and the entries kept from an earlier run.  Throws
    // CommandFailed when it cannot be written.
    JournalWriter(const std::filesystem::path& path, const std::string& settings,
                  const std::map<std::string, JournalEntry>& kept);

    // Safe to call from several threads.
    void append(const BatchItem& item, const SummaryRow& row);

  private:
    std::mutex mutex_;
    std::ofstream out_;
};

// The ticks of the file clock now, and of a file's last change (none when it is missing).
long long fileClockNow();
std::optional<long long> lastChange(const std::filesystem::path& path);

}  // namespace vortlan::cli
