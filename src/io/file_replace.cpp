#include "io/file_replace.h"

#include <filesystem>
#include <system_error>

namespace vortlan {

namespace fs = std::filesystem;

namespace {

// The new file keeps the permissions of the one it replaces.
void keepPermissions(const fs::path& from, const fs::path& to) {
    std::error_code error;
    const fs::file_status status = fs::status(from, error);
    if (!error && fs::exists(status)) fs::permissions(to, status.permissions(), error);
}

}  // namespace

FileReplacement::FileReplacement(const std::string& path)
    : target_(path), temporary_(path.empty() ? std::string() : path + ".vortlan-new") {
    if (!temporary_.empty()) out_.open(temporary_, std::ios::binary | std::ios::trunc);
    created_ = out_.is_open();
}

FileReplacement::~FileReplacement() {
    if (committed_ || !created_) return;
    out_.close();
    std::error_code ignored;
    fs::remove(temporary_, ignored);
}

bool FileReplacement::commit() {
    if (!out_.is_open()) return false;
    out_.close();
    if (out_.fail()) return false;
    keepPermissions(target_, temporary_);
    std::error_code error;
    fs::rename(temporary_, target_, error);
    if (error) return false;
    committed_ = true;
    return true;
}

bool replaceFile(const std::string& path, std::string_view content) {
    FileReplacement replacement(path);
    replacement.stream().write(content.data(), static_cast<std::streamsize>(content.size()));
    return replacement.commit();
}

}  // namespace vortlan
