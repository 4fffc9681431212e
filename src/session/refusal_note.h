#pragma once
// What a dialog refused and why, said in the dialog itself: a beep alone is silent on many desktops.

#include <string>
#include <string_view>

namespace vortlan {

// A second refusal of the same command is added after the first, so neither goes unsaid.
inline void noteRefusal(std::string& note, std::string_view text) {
    if (!note.empty()) note += "; ";
    note += text;
}

}  // namespace vortlan
