#pragma once
// Files are replaced, never overwritten in place: the new content goes to a temporary file beside the
// old one, which is then renamed over it.  A failed or interrupted save leaves the previous file as it
// was, and a shorter new content never leaves old bytes behind it.

#include <fstream>
#include <string>
#include <string_view>

namespace vortlan {

// Whether the whole content reached the file.
bool replaceFile(const std::string& path, std::string_view content);

// The same for content written a piece at a time, so that a long file need not be held whole: write
// to stream(), then commit().  Until commit() succeeds the old file is untouched; a replacement never
// committed leaves no temporary file behind.
class FileReplacement {
  public:
    explicit FileReplacement(const std::string& path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    std::ostream& stream() { return out_; }
    // Whether everything written reached the file and it took the old one's place.
    bool commit();

  private:
    std::string target_;
    std::string temporary_;
    std::ofstream out_;
    bool created_ = false;  // the temporary file is ours to remove
    bool committed_ = false;
};

}  // namespace vortlan
