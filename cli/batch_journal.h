#pragma once
// The journal of a batch, DIR/.batch-journal: one line per spectrum finished, appended and flushed
// once the spectrum's outputs are complete, with its summary row.  A later run with --resume takes
// the rows of the spectra it need not fit again from it, also when it writes no file per spectrum.
// A line cut short by a killed run is ignored, and dropped when the journal is taken over.

#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/batch_items.h"
#include "cli/batch_summary.h"
#include "io/file_replace.h"

namespace vortlan::cli {

struct JournalEntry {
    std::string file;
    int block = -1;
    long long finished = 0;  // when its line was written, in ticks of the file clock
    SummaryRow row;          // its `item` is not kept
    std::string line;        // as the journal holds it, with its line feed
};

// The complete entries of an earlier run's journal, found by output name: only a hash and a place are
// held a line, so a journal of a hundred thousand spectra is read in the memory of a few.  Empty when
// there is no journal or it was written by a run of other settings (the first line).
class JournalReader {
  public:
    JournalReader(const std::filesystem::path& path, const std::string& settings);

    // The name's entry (the last complete one when a name has several); none when it has none.
    std::optional<JournalEntry> find(const std::string& name);

  private:
    std::ifstream in_;
    std::vector<std::pair<std::size_t, std::streamoff>> lines_;  // name's hash and line's place, in order
};

class JournalWriter {
  public:
    // Begins a new journal with the settings; the old one stays in place until start().  Throws
    // CommandFailed when it cannot be written.
    JournalWriter(const std::filesystem::path& path, const std::string& settings);

    // Before start(): an entry of the earlier run that the new journal keeps, as it was written.
    void keep(const JournalEntry& entry);
    // Puts the new journal in the old one's place and opens it for append().  Throws CommandFailed.
    void start();

    // Safe to call from several threads.
    void append(const BatchItem& item, const SummaryRow& row);

  private:
    std::filesystem::path path_;
    std::optional<FileReplacement> beginning_;
    std::mutex mutex_;
    std::ofstream out_;
};

// The ticks of the file clock now, and of a file's last change (none when it is missing).
long long fileClockNow();
std::optional<long long> lastChange(const std::filesystem::path& path);

}  // namespace vortlan::cli
