#pragma once
// A guess at which spectrum format a file is, from its first few kilobytes: for opening a file whose
// type the user did not name (the command-line tool, a file dropped on the window).  The explicit import
// commands never ask it; they read what the user chose.

#include <cstddef>
#include <string_view>

namespace vortlan {

enum class SpectrumFormat { Vamas, Kratos, Leybold, Phi, Ascii, Unknown };

// How much of a file the sniffer needs to see.
inline constexpr std::size_t kSniffHeadBytes = 8192;

// The format whose layout the head follows.  The head may be cut anywhere; a line cut short at its end
// is not judged.
SpectrumFormat sniffFormat(std::string_view head);

// "vamas", "kratos", "leybold", "phi", "ascii" or "unknown": the names the command-line tool uses.
std::string_view formatName(SpectrumFormat format);

}  // namespace vortlan
