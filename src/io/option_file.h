#pragma once
// The option file (".opa"): one FitOptions record in 206 little-endian bytes, with no version text and
// no check value.  Files of 204 bytes come from older versions, written before the line-shape form was
// stored; they carry everything else.

#include <cstddef>
#include <istream>
#include <string>

#include "workspace/records.h"

namespace vortlan {

inline constexpr std::size_t kOptionFileSize = 206;
inline constexpr std::size_t kOlderOptionFileSize = 204;  // without glSum
inline constexpr const char* kDefaultOptionFileName = "default.opa";

// The numbers of trials the optimisers accept, from the dialog and from files alike.
inline constexpr short kMinTrials = 1;
inline constexpr short kMaxTrials = 200;

// The options the program falls back on when no "default.opa" is there; the shipped "default.opa"
// holds exactly these.
FitOptions defaultFitOptions();

std::string encodeOptionFile(const FitOptions& options);

enum class OptionFileRead {
    Complete,       // every field read; options replaced
    WithoutGlForm,  // an older file: everything but glSum replaced, glSum as it was
    Failed          // options untouched
};

// Reads one record.  The options change only when the record is whole and safe for the optimisers:
// trials 1..200, a finite tolerance within 0..1, a finite methodFlag, and for every level in use a
// finite range, step and delta above 0.  Levels not in use are taken as they are, whatever they hold.
OptionFileRead decodeOptionFile(std::istream& in, FitOptions& options);

}  // namespace vortlan
