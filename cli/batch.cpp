// `batch`: one model fitted to many spectra, each in a session of its own, on as many threads as asked.
// What the spectra print and the summary's rows come out in the order of the spectra, whatever the
// number of threads.  A spectrum that fails is reported and skipped.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/batch_fit.h"
#include "cli/batch_journal.h"
#include "cli/batch_progress.h"
#include "cli/batch_row_spool.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/spectrum_import.h"
#include "io/file_replace.h"

namespace vortlan::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kMostJobs = 1024;

UsageError usage(const std::string& reason) {
    return UsageError("batch: " + reason);
}

int jobCount(const Arguments& args) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return args.integer("--jobs", 1, kMostJobs)
        .value_or(static_cast<int>(std::min<unsigned>(cores, kMostJobs)));
}

BlockChoice blockChoice(const Arguments& args) {
    const std::optional<std::string> text = args.value("--blocks");
    if (!text) return {};
    const std::optional<BlockChoice> choice = parseBlockChoice(*text);
    if (!choice) throw usage("--blocks must be first, all, xps or block numbers from 1 such as 1,3,5-9");
    return *choice;
}

std::optional<std::pair<int, int>> shardOf(const Arguments& args) {
    const std::optional<std::string> text = args.value("--shard");
    if (!text) return std::nullopt;
    const auto shard = parseShard(*text);
    if (!shard) throw usage("--shard must be I/N with 1 <= I <= N");
    return shard;
}

OutputChoice outputChoice(const Arguments& args) {
    OutputChoice choice;
    if (const std::optional<std::string> text = args.value("--outputs")) {
        const std::optional<OutputChoice> chosen = parseOutputChoice(*text);
        if (!chosen) throw usage("--outputs must be none or a list of xps, par, dat, png and report");
        choice = *chosen;
        if (args.has("--no-pictures") && choice.has(BatchOutput::Picture))
            throw usage("--no-pictures and an --outputs list with png contradict each other");
    }
    if (args.has("--no-pictures")) choice.set(BatchOutput::Picture, false);
    return choice;
}

// The level every spectrum's region measures, as --line names it; refused as `element` refuses it.
std::string batchLevel(const Arguments& args) {
    const std::optional<std::string> line = args.value("--line");
    return line ? canonicalCoreLevel(*line) : std::string();
}

// What a resumed run must share with the run that wrote the journal for its rows to stand.
std::string journalSettings(const BatchSettings& settings) {
    return settings.model + '\t' + settings.options + '\t' + settings.format + '\t' + settings.level;
}

// Whether the spectrum's entry and every chosen output are at least as new as its input, the model
// and the options.
bool upToDate(const BatchSettings& settings, const BatchItem& item, const JournalEntry& entry) {
    if (entry.file != item.file || entry.block != item.block) return false;
    // The file clock's ticks may count from an epoch after the files' times: they can be negative.
    long long inputs = std::numeric_limits<long long>::min();
    for (const std::string& input : {item.file, settings.model, settings.options}) {
        if (input.empty()) continue;
        const std::optional<long long> changed = lastChange(input);
        if (!changed) return false;
        inputs = std::max(inputs, *changed);
    }
    if (entry.finished < inputs) return false;
    const std::string base = (settings.outDir / item.outputName).string();
    for (BatchOutput output : kBatchOutputs) {
        if (!settings.outputs.has(output)) continue;
        const std::optional<long long> written = lastChange(base + std::string(outputEnding(output)));
        if (!written || *written < inputs) return false;
    }
    return true;
}

struct Plan {
    std::vector<std::size_t> toFit;  // items, in order
    RowSpool keptRows;               // the rows taken from the journal, in item order
};

// Which of the chosen items need fitting; the others' rows and journal lines are kept.
Plan plan(const BatchSettings& settings, const BatchItems& items, const std::vector<std::size_t>& chosen,
          std::optional<JournalReader>& earlier, JournalWriter& journal) {
    Plan p;
    for (std::size_t k : chosen) {
        const BatchItem item = items[k];
        std::optional<JournalEntry> entry = earlier ? earlier->find(item.outputName) : std::nullopt;
        if (!entry || !upToDate(settings, item, *entry)) {
            p.toFit.push_back(k);
            continue;
        }
        entry->row.item = k;
        p.keptRows.add(entry->row);
        journal.keep(*entry);
    }
    return p;
}

// The items of the run, in order: all of them, or the shard's slice.
std::vector<std::size_t> runItems(std::size_t count, const std::optional<std::pair<int, int>>& shard) {
    if (shard) return shardSlice(count, shard->first, shard->second);
    std::vector<std::size_t> all(count);
    for (std::size_t k = 0; k < count; ++k) all[k] = k;
    return all;
}

void writeSummary(const fs::path& path, const std::function<void(std::ostream&)>& write) {
    FileReplacement file(path.string());
    write(file.stream());
    if (!file.commit()) throw CommandFailed("cannot write " + path.string());
}

// The summaries, written from the spooled rows a line at a time: kept rows and fitted rows, each in
// item order, merged into one.
void writeSummaries(const fs::path& outDir, const BatchItems& items, const RowSpool& kept,
                    const RowSpool& fitted, SummaryColumns columns, bool json) {
    const SummaryShape shape{std::max(kept.shape().peaks, fitted.shape().peaks),
                             kept.shape().anyLevel || fitted.shape().anyLevel};
    writeSummary(outDir / "summary.csv", [&](std::ostream& out) {
        out << summaryHeadings(shape, columns);
        forEachInItemOrder(kept, fitted, [&](const SummaryRow& row) {
            out << summaryLine(items[row.item], row, shape, columns);
        });
    });
    if (!json) return;
    writeSummary(outDir / "summary.jsonl", [&](std::ostream& out) {
        forEachInItemOrder(kept, fitted, [&](const SummaryRow& row) {
            out << summaryJsonLine(items[row.item], row, columns);
        });
    });
}

}  // namespace

int runBatch(const Arguments& args) {
    const int jobs = jobCount(args);
    const BlockChoice blocks = blockChoice(args);
    const std::optional<std::pair<int, int>> shard = shardOf(args);
    const BatchSettings settings{args.required("--model"),
                                 args.value("--options").value_or(""),
                                 args.choice("--format", importFormatNames()).value_or("auto"),
                                 args.required("--out"),
                                 batchLevel(args),
                                 outputChoice(args)};
    if (!std::ifstream(settings.model)) throw CommandFailed("cannot read " + settings.model);
    std::error_code error;
    fs::create_directories(settings.outDir, error);
    if (error) throw CommandFailed("cannot make " + settings.outDir.string() + ": " + error.message());

    std::vector<std::string> problems;
    const BatchItems items(args.positionals(), blocks, problems);
    for (const std::string& problem : problems) std::cerr << "vortlan-cli: " << problem << '\n';
    bool complete = problems.empty();
    const std::vector<std::size_t> chosen = runItems(items.size(), shard);

    const fs::path journalPath = settings.outDir / ".batch-journal";
    std::optional<JournalReader> earlier;
    if (args.has("--resume")) earlier.emplace(journalPath, journalSettings(settings));
    JournalWriter journal(journalPath, journalSettings(settings));
    Plan work = plan(settings, items, chosen, earlier, journal);
    earlier.reset();
    journal.start();

    std::optional<Pictures> pictures;
    if (settings.outputs.has(BatchOutput::Picture) && !work.toFit.empty()) {
        try {
            pictures.emplace();
        } catch (const CommandFailed& failure) {
            std::cerr << "vortlan-cli: " << failure.what() << "; the batch writes no .png files\n";
            complete = false;
        }
    }
    installInterruptHandler();

    ProgressLine progress(std::cerr, isatty(STDERR_FILENO) != 0, work.keptRows.size(), chosen.size());
    const std::size_t reused = work.keptRows.size();
    RowSpool fitted;
    RunSteps steps;
    steps.fit = [&](std::size_t k) {
        const BatchItem& item = items[work.toFit[k]];
        ItemOutcome outcome = fitItem(settings, pictures ? &*pictures : nullptr, item, work.toFit[k]);
        if (outcome.row) journal.append(item, *outcome.row);
        return outcome;
    };
    steps.release = [&](std::size_t, ItemOutcome&& outcome) {
        if (!outcome.messages.empty()) {
            progress.clear();
            std::cerr << outcome.messages;
        }
        if (outcome.row)
            fitted.add(*outcome.row);
        else
            complete = false;
    };
    steps.tick = [&](std::size_t released) { progress.show(reused + released); };
    steps.stopRequested = interruptRequested;
    const std::size_t released = runInOrder(work.toFit.size(), jobs, steps);
    progress.clear();
    if (released < work.toFit.size())
        std::cerr << "vortlan-cli: batch stopped after " << reused + released << " of " << chosen.size()
                  << " spectra\n";

    writeSummaries(settings.outDir, items, work.keptRows, fitted, {shard.has_value(), args.has("--blocks")},
                   args.has("--summary-json"));
    return complete ? 0 : 1;
}

}  // namespace vortlan::cli
