#pragma once
// The two text exports of a region: the spectrum table (.dat) and the peak table (.par).  Both are laid
// out as a line printer lays out text, so that the columns line up in any plain-text viewer and other
// programs can read them by position or by blanks.

#include <string>
#include <string_view>

#include "workspace/records.h"

namespace vortlan {

// Text built line by line with column stops and 14-column print zones; lines end with CR LF.
// Columns count from 1.
class ColumnText {
  public:
    // Output continues at `column`, filled with blanks; a line already past it is ended first, so a
    // long item never makes the next one start in the wrong column.
    ColumnText& toColumn(int column);
    // Output continues at the start of the next print zone after the current column (1, 15, 29, ...).
    ColumnText& nextZone();
    ColumnText& write(std::string_view text);
    ColumnText& endLine();

    // Where the next character goes.
    int column() const { return column_; }
    const std::string& text() const { return text_; }

  private:
    std::string text_;
    int column_ = 1;
};

inline constexpr int kPrintZoneWidth = 14;

// The spectrum table of the region: binding energy and raw intensity of every point, and inside the
// fitted range the envelope, background, each peak (on the background) and the residual.
std::string spectrumExportText(const Workspace& workspace, int region);

// One line per peak of the region in slot order: global peak number, position (without the region's
// shift), area, FWHM and %GL.
std::string peakParameterText(const Workspace& workspace, int region);

}  // namespace vortlan
