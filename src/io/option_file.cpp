#include "io/option_file.h"

#include <cmath>

#include "io/binary_io.h"

namespace vortlan {

namespace {

void writeSearchLevel(BinaryWriter& out, const SearchLevel& level) {
    out.writeShort(level.use);
    out.writeSingle(level.range);
    out.writeSingle(level.step);
}

void writeNewtonLevel(BinaryWriter& out, const NewtonLevel& level) {
    out.writeShort(level.use);
    out.writeSingle(level.delta);
}

void readSearchLevel(BinaryReader& in, SearchLevel& level) {
    level.use = in.readShort();
    level.range = in.readSingle();
    level.step = in.readSingle();
}

void readNewtonLevel(BinaryReader& in, NewtonLevel& level) {
    level.use = in.readShort();
    level.delta = in.readSingle();
}

bool isPositive(float value) {
    return std::isfinite(value) && value > 0.0f;
}

// A grid step of 0 never ends a search level, and a delta of 0 divides by zero in the Newton step, so a
// file must not bring such values into a level that runs.
bool levelsUsable(const SearchLevels& levels) {
    for (const SearchLevel& level : levels) {
        if (isTrue(level.use) && !(isPositive(level.range) && isPositive(level.step))) return false;
    }
    return true;
}

bool levelsUsable(const NewtonLevels& levels) {
    for (const NewtonLevel& level : levels) {
        if (isTrue(level.use) && !isPositive(level.delta)) return false;
    }
    return true;
}

bool trialsUsable(short trials) {
    return trials >= kMinTrials && trials <= kMaxTrials;
}

bool usable(const FitOptions& o) {
    return std::isfinite(o.methodFlag) && trialsUsable(o.searchTrials) && trialsUsable(o.newtonTrials) &&
           std::isfinite(o.tolerance) && o.tolerance >= 0.0f && o.tolerance <= 1.0f &&
           levelsUsable(o.searchPosition) && levelsUsable(o.searchArea) && levelsUsable(o.searchFwhm) &&
           levelsUsable(o.newtonPosition) && levelsUsable(o.newtonArea) && levelsUsable(o.newtonFwhm);
}

SearchLevel searchLevel(float range, float step) {
    return {kTrue, range, step};
}

NewtonLevel newtonLevel(float delta) {
    return {kTrue, delta};
}

}  // namespace

// Chosen for XPS regions of peaks 0.8-3 eV wide, sampled every 0.05-0.1 eV; docs/fit-options.md gives
// the reasons.  The levels not in use hold finer settings, ready to be ticked.
FitOptions defaultFitOptions() {
    FitOptions o;
    o.methodFlag = kLeastSquaresMethodFlag;
    o.searchTrials = 30;
    o.newtonTrials = 100;
    o.tolerance = 0.0f;
    // Each search level spans one step of the level before it either side.
    o.searchPosition = {searchLevel(1.0f, 0.2f), searchLevel(0.2f, 0.04f), searchLevel(0.04f, 0.01f),
                        searchLevel(0.01f, 0.002f)};
    o.searchArea = {searchLevel(100.0f, 20.0f), searchLevel(20.0f, 4.0f), searchLevel(4.0f, 0.5f),
                    searchLevel(0.5f, 0.1f)};
    o.searchFwhm = {searchLevel(0.5f, 0.1f), searchLevel(0.1f, 0.02f), searchLevel(0.02f, 0.005f),
                    searchLevel(0.005f, 0.001f)};
    o.newtonPosition = {newtonLevel(0.05f), newtonLevel(0.01f), NewtonLevel{kFalse, 0.005f},
                        NewtonLevel{kFalse, 0.002f}};
    o.newtonArea = {newtonLevel(0.02f), newtonLevel(0.005f), NewtonLevel{kFalse, 0.002f},
                    NewtonLevel{kFalse, 0.001f}};
    o.newtonFwhm = {newtonLevel(0.05f), newtonLevel(0.01f), NewtonLevel{kFalse, 0.005f},
                    NewtonLevel{kFalse, 0.002f}};
    o.glSum = kTrue;
    return o;
}

std::string encodeOptionFile(const FitOptions& options) {
    BinaryWriter out;
    out.writeSingle(options.methodFlag);
    out.writeShort(options.searchTrials);
    out.writeShort(options.newtonTrials);
    out.writeSingle(options.tolerance);
    for (int k = 0; k < kLevelCount; ++k) {
        writeSearchLevel(out, options.searchPosition[k]);
        writeSearchLevel(out, options.searchArea[k]);
        writeSearchLevel(out, options.searchFwhm[k]);
        writeNewtonLevel(out, options.newtonPosition[k]);
        writeNewtonLevel(out, options.newtonArea[k]);
        writeNewtonLevel(out, options.newtonFwhm[k]);
    }
    out.writeShort(options.glSum);
    return out.bytes();
}

OptionFileRead decodeOptionFile(std::istream& stream, FitOptions& options) {
    // Read into a copy: a file cut short or holding values the optimisers cannot run on must leave the
    // options the user had, not a mixture.
    FitOptions read = options;
    BinaryReader in(stream);
    try {
        read.methodFlag = in.readSingle();
        read.searchTrials = in.readShort();
        read.newtonTrials = in.readShort();
        read.tolerance = in.readSingle();
        for (int k = 0; k < kLevelCount; ++k) {
            readSearchLevel(in, read.searchPosition[k]);
            readSearchLevel(in, read.searchArea[k]);
            readSearchLevel(in, read.searchFwhm[k]);
            readNewtonLevel(in, read.newtonPosition[k]);
            readNewtonLevel(in, read.newtonArea[k]);
            readNewtonLevel(in, read.newtonFwhm[k]);
        }
    } catch (const ReadFailure&) {
        return OptionFileRead::Failed;
    }
    if (!usable(read)) return OptionFileRead::Failed;

    OptionFileRead result = OptionFileRead::Complete;
    try {
        read.glSum = in.readShort();
    } catch (const ReadFailure&) {
        result = OptionFileRead::WithoutGlForm;
    }
    options = read;
    return result;
}

}  // namespace vortlan
