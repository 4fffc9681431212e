#include "fuzz_session.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/checked_math.h"
#include "model/region_curves.h"
#include "session/background_dialog.h"
#include "session/constraint_dialog.h"
#include "session/peak_dialog.h"
#include "session/region_operations.h"
#include "session/spectrum_commands.h"
#include "session/startup.h"
#include "workspace/invariants.h"

namespace vortlan::fuzz {

namespace {

// Texts measured as a window of fixed size in pixels measures them; nothing is kept.
class MeasuringSurface : public Surface {
  public:
    void clear() override {}
    void setCoordinates(double l, double t, double r, double b) override {
        left_ = l;
        top_ = t;
        right_ = r;
        bottom_ = b;
    }
    void setLineWidth(int) override {}
    double textHeight(std::string_view) override { return kCharHeight * (bottom_ - top_) / kHeight; }
    double textWidth(std::string_view text) override {
        return kCharWidth * static_cast<double>(text.size()) * (right_ - left_) / kWidth;
    }
    void setPosition(UserPoint p) override { current_ = p; }
    UserPoint position() const override { return current_; }
    void drawPoint(UserPoint p) override { current_ = p; }
    void lineTo(UserPoint p) override { current_ = p; }
    void lineTo(UserPoint p, Colour) override { current_ = p; }
    void print(std::string_view text) override {
        current_ = {left_, current_.y + std::fabs(textHeight(text)) * (top_ > bottom_ ? -1 : 1)};
    }
    void setBold(bool) override {}
    void setOpaqueText(bool) override {}
    void setClip(UserPoint, UserPoint) override {}
    void clearClip() override {}

  private:
    static constexpr double kWidth = 474.0;
    static constexpr double kHeight = 231.0;
    static constexpr double kCharWidth = 6.0;
    static constexpr double kCharHeight = 12.0;
    double left_ = 0, top_ = 0, right_ = 1, bottom_ = 1;
    UserPoint current_;
};

// Where the readers that open workspace.fileName find the input: memory when the system offers a
// file system in it, else the temporary directory.  One file per process, removed at the end.
struct InputFile {
    InputFile() {
        const std::filesystem::path shm = "/dev/shm";
        std::error_code error;
        const auto dir =
            std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path();
        path = (dir / ("vortlan-fuzz-" + std::to_string(::getpid()) + ".input")).string();
    }
    ~InputFile() {
        std::error_code error;
        std::filesystem::remove(path, error);
    }
    std::string path;
};

}  // namespace

void DrawingPort::drawSpectrum(SpectrumDrawing drawing) {
    RecordingPort::drawSpectrum(drawing);
    if (workspace == nullptr) return;
    MeasuringSurface surface;
    // Every drawing is made on a cleared window with its frame first, as a repaint would make it.
    vortlan::drawSpectrum(surface, *workspace, readout_, SpectrumDrawing::RegionFrame);
    if (drawing != SpectrumDrawing::RegionFrame)
        vortlan::drawSpectrum(surface, *workspace, readout_, drawing);
}

FreshSession::FreshSession() {
    port.workspace = &session.workspace;
    startUp(session);
}

const std::string& writeInputFile(const std::uint8_t* data, std::size_t size) {
    static const InputFile file;
    std::ofstream out(file.path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write the input to %s\n", file.path.c_str());
        std::abort();
    }
    return file.path;
}

void requireSoundWorkspace(const Workspace& workspace, std::string_view after) {
    const std::string rule = firstBrokenRule(workspace);
    if (rule.empty()) return;
    std::fprintf(stderr, "\nThe workspace breaks a rule after %.*s: %s\n", static_cast<int>(after.size()),
                 after.data(), rule.c_str());
    std::fflush(stderr);
    __builtin_trap();
}

void useRegion(FreshSession& fresh, int region) {
    Session& session = fresh.session;
    Workspace& ws = session.workspace;
    selectRegion(session, region);
    recomputeRegionCurves(session);
    requireSoundWorkspace(ws, "the curves of a region were updated");
    if (!isTrue(ws.regions[region].backgroundSet)) return;
    openBackgroundDialog(session);
    acceptBackground(session);
    closeBackgroundDialog(session);
    requireSoundWorkspace(ws, "the background of a region was accepted again");
    // Every peak opened in the peak dialog and accepted as shown, which carries the relations along;
    // then each constraint of the last one opened and accepted as shown.
    const int peaks = ws.regions[region].peakCount;
    for (int slot = 0; slot < peaks && slot < ws.regions[region].peakCount; ++slot) {
        openPeakDialog(session, peakButtonIndex(region, slot));
        acceptPeakDialog(session);
        requireSoundWorkspace(ws, "a peak was accepted in the peak dialog");
    }
    if (peaks == 0) return;
    for (PeakParam param : kPeakParams) {
        openConstraintEditor(session, param);
        acceptConstraintEdit(session);
        requireSoundWorkspace(ws, "a constraint was accepted in the constraint dialog");
    }
}

namespace {

void computeAllStatistics(Workspace& ws) {
    try {
        allRegionStatistic(ws);
    } catch (const ComputationFault&) {
    }
    requireSoundWorkspace(ws, "the statistic of every region");
}

}  // namespace

void useLoadedRegions(FreshSession& fresh, FitMethod method) {
    Workspace& ws = fresh.session.workspace;
    const int current = ws.currentRegion;
    computeAllStatistics(ws);
    for (int region = 0; region < kRegionCount; ++region) {
        if (isTrue(ws.regions[region].defined)) useRegion(fresh, region);
    }
    computeAllStatistics(ws);
    selectRegion(fresh.session, current);
    optimiseBriefly(fresh, method, FitScope::AllRegions);
}

void optimiseBriefly(FreshSession& fresh, FitMethod method, FitScope scope) {
    FitOptions& options = fresh.session.workspace.options;
    options.methodFlag = method == FitMethod::Newton         ? 1.0f
                         : method == FitMethod::LeastSquares ? kLeastSquaresMethodFlag
                                                             : 0.0f;
    options.newtonTrials = 1;
    options.searchTrials = 1;
    if (scope == FitScope::AllRegions) {
        optimiseAllCommand(fresh.session);
        requireSoundWorkspace(fresh.session.workspace, "Optimise All");
    } else {
        optimiseRegionCommand(fresh.session);
        requireSoundWorkspace(fresh.session.workspace, "Optimise Region");
    }
}

std::string sourceFile(std::string_view relative) {
    return std::string(VORTLAN_SOURCE_DIR) + "/" + std::string(relative);
}

}  // namespace vortlan::fuzz
