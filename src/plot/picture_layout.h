#pragma once
// The three pictures of a region that can be drawn outside the spectrum window.

namespace vortlan {

enum class PictureLayout {
    Screen,         // the spectrum window's plot
    Page,           // the printed page
    PageWithTable,  // the printed page with the peak table
};

}  // namespace vortlan
