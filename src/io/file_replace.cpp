#include "io/file_replace.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace vortlan {

namespace fs = std::filesystem;

namespace {

// Whether the whole content reached the file; a file that was begun but not finished is removed.
bool writeWhole(const fs::path& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out.fail()) return true;
    std::error_code ignored;
    fs::remove(path, ignored);
    return false;
}

// The new file keeps the permissions of the one it replaces.
void keepPermissions(const fs::path& from, const fs::path& to) {
    std::error_code error;
    const fs::file_status status = fs::status(from, error);
    if (!error && fs::exists(status)) fs::permissions(to, status.permissions(), error);
}

}  // namespace

bool replaceFile(const std::string& path, std::string_view content) {
    if (path.empty()) return false;
    const fs::path target(path);
    fs::path temporary = target;
    temporary += ".vortlan-new";
    if (!writeWhole(temporary, content)) return false;
    keepPermissions(target, temporary);
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

}  // namespace vortlan
