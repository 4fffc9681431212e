#pragma once
// The optional section after a project's description: the one place where additions to the project
// file go, since the records before it keep their layout.  Older readers stop after the description
// and never see it.
//
// Layout (little-endian, as the records): the mark "VORTLAN EXT", a 16-bit layout version (1), a
// 16-bit record count, then each record as a 16-bit tag, a 32-bit payload length and the payload.  A
// new kind of data gets a new tag; readers pass over the tags they do not know, and ignore a section
// of a layout version they do not know.  A record is written only when it holds something, and only
// with values its reader takes.
//
// Records (numbers are 64-bit floats; a region's index is 16-bit, 0..9; only regions holding data
// have entries; a count of entries is 16-bit, 0..10):
//   tag 1, the regions' intensity units: the entry count, then for each entry the region's index, the
//   text's length (16-bit, at most 255) and the text.
//   tag 2, the regions' core levels ("Ti 2p3/2"): entries as tag 1's.
//   tag 3, the excitation energies (eV) the regions' files record: the entry count, then for each
//   entry the region's index and the energy, finite and positive.
//   tag 4, the sensitivity factors the user gave regions: entries as tag 3's, the factor finite and
//   positive.
//   tag 5, the quantification settings, only when they differ from the defaults: the source energy
//   (eV, finite and positive), the exponents of the inelastic mean free path and of the transmission
//   (finite), and the area used (16-bit: 0 auto, 1 the peaks', 2 the background-subtracted one).
//   tag 6, the verdicts of the regions' last fits, only while they hold for the peaks the file keeps:
//   entries as tag 1's, each the verdict (16-bit: 1 converged, 2 still improving, 3 stopped), the
//   flag count, each flag as the peak (0..50), the cause (0..8, as FitFlagCause) and the parameter
//   (0..3, as PeakParam), then the count of restarted peaks (0..20), each as the peak and how often
//   it was restarted (at least 1); all 16-bit.  Read last, the verdict holds for the model as read.
//   tag 7, the instrument's FWHM limit the user set (eV, finite and positive).
//   tag 8, what the file of one region says of its acquisition, one record a region that has any: the
//   region's index, the dwell time (seconds, finite and positive; 0 for none), the number of scans
//   (32-bit, at least 1; 0 for none), the number of transmission values (16-bit: 0 for none, else the
//   region's number of points) and the values (32-bit floats, finite and positive).
//
// An entry for a region outside the table or without data is passed over, and so are the bytes of a
// payload after what its layout holds: a later version may add fields at a record's end.  Anything
// else that breaks these rules (a cut, a length beyond the section or its record, a count or a number
// out of its range) damages the section, and none of it is taken: a partly read section would leave
// a quantification that looks whole and is not.

#include <string>

#include "io/binary_io.h"
#include "workspace/records.h"

namespace vortlan {

// Room for any element and level ("Ti 2p3/2") with blanks to spare; texts are kept within it.
inline constexpr std::size_t kCoreLevelLength = 20;

// The section for what the workspace holds beyond the fixed records; empty when it holds nothing
// more, so that such a project is written exactly as before the section existed.
std::string encodeProjectExtension(const Workspace& workspace);

enum class ProjectExtensionRead {
    Absent,      // nothing follows the description
    Complete,    // every record read; those of unknown tags passed over
    Damaged,     // cut or breaking the layout's rules: none of it taken
    NewerLayout  // a layout version this reader does not know: none of it taken
};

// Reads the section, when the bytes after the description hold one, into a workspace whose regions
// are already read.  Whatever the section holds, the regions and peaks read before stay as they are.
ProjectExtensionRead readProjectExtension(BinaryReader& in, Workspace& workspace);

}  // namespace vortlan
