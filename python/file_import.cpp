#include "python/file_import.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

#include "io/vamas_file.h"
#include "session/file_imports.h"
#include "session/import_vamas.h"
#include "session/spectrum_fit.h"

namespace vortlan::python {

namespace {

std::string blockLabel(const VamasBlockSummary& block) {
    if (block.species.empty() || block.transition.empty()) return block.species + block.transition;
    return block.species + " " + block.transition;
}

// fit_file mapped over the blocks of one large file lists its blocks once, not once a block: the
// listing of the file last asked for is kept while the file keeps its size and time.
std::shared_ptr<const VamasIndex> indexOf(const std::string& path, std::istream& in) {
    struct Listing {
        std::string path;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type changed;
        std::shared_ptr<const VamasIndex> index;
    };
    static std::mutex mutex;
    static Listing last;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    const std::filesystem::file_time_type changed =
        error ? std::filesystem::file_time_type() : std::filesystem::last_write_time(path, error);
    {
        const std::lock_guard lock(mutex);
        if (!error && last.index && last.path == path && last.size == size && last.changed == changed)
            return last.index;
    }
    auto index = std::make_shared<const VamasIndex>(indexVamas(in));
    if (!error) {
        const std::lock_guard lock(mutex);
        last = {path, size, changed, index};
    }
    return index;
}

}  // namespace

void importWholeFile(Session& session, const std::string& path) {
    const auto format = sniffedFileFormat(path);
    if (const auto* reason = std::get_if<std::string>(&format)) throw SpectrumFitFailed(*reason);
    session.workspace.fileName = path;
    if (!importFormat(session, std::get<std::string_view>(format))) throw SpectrumFitFailed();
}

std::string importFileBlock(Session& session, const std::string& path, int number) {
    const std::string where = path + ": block " + std::to_string(number) + ": ";
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SpectrumFitFailed("cannot read " + path);
    VamasBlock block;
    std::string label;
    try {
        const std::shared_ptr<const VamasIndex> index = indexOf(path, in);
        if (number < 1 || static_cast<std::size_t>(number) > index->blocks.size())
            throw SpectrumFitFailed(where + "no such block in the file");
        label = blockLabel(index->blocks[static_cast<std::size_t>(number - 1)]);
        std::ifstream again(path, std::ios::binary);
        block = readVamasBlock(again, *index, static_cast<std::size_t>(number - 1));
    } catch (const VamasError& error) {
        throw SpectrumFitFailed(where + error.what());
    }
    session.workspace.fileName = path;
    if (!importReadVamasBlock(session, block)) throw SpectrumFitFailed();
    return label;
}

}  // namespace vortlan::python
