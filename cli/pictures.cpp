#include "cli/pictures.h"

#include <dlfcn.h>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "cli/arguments.h"
#include "cli/cli_session.h"

namespace vortlan::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kSmallestSide = 16;
constexpr int kLargestSide = 10000;

CommandFailed unavailable(const std::string& reason) {
    return CommandFailed("pictures are not available: " + reason);
}

// The module sits at the same place relative to the tool in the build tree and where it is installed.
fs::path modulePath() {
    std::error_code error;
    const fs::path tool = fs::read_symlink("/proc/self/exe", error);
    if (error) throw unavailable("cannot find the folder of vortlan-cli: " + error.message());
    return (tool.parent_path() / VORTLAN_PICTURE_MODULE).lexically_normal();
}

// The module stays loaded until the tool ends: Qt, once loaded, is not meant to be unloaded.
const VortlanCliPictures& loadModule() {
    const fs::path path = modulePath();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) throw unavailable(dlerror());
    const auto entry =
        reinterpret_cast<decltype(&vortlan_cli_pictures)>(dlsym(handle, "vortlan_cli_pictures"));
    const VortlanCliPictures* module = entry ? entry() : nullptr;
    if (!module || module->workspaceSize != sizeof(Workspace) ||
        std::string(module->version) != VORTLAN_VERSION)
        throw unavailable(path.string() + " belongs to another build of vortlan-cli");
    return *module;
}

}  // namespace

Pictures::Pictures() : module_(&loadModule()), application_(module_->start()) {
    if (!application_) throw unavailable("the picture module could not start");
}

Pictures::~Pictures() {
    module_->finish(application_);
}

bool Pictures::save(const Workspace& workspace, int region, const std::string& path, PictureLayout layout,
                    PictureSize size, const PlotStyle& style) const {
    return module_->save(workspace, region, path.c_str(), layout, size.width, size.height, style);
}

std::optional<PictureSize> parsePictureSize(const std::string& text) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) return std::nullopt;
    const auto width = parseWholeNumber(std::string_view(text).substr(0, x));
    const auto height = parseWholeNumber(std::string_view(text).substr(x + 1));
    const auto fits = [](const std::optional<int>& side) {
        return side && *side >= kSmallestSide && *side <= kLargestSide;
    };
    if (!fits(width) || !fits(height)) return std::nullopt;
    return PictureSize{*width, *height};
}

bool isPictureFile(const std::string& path) {
    // The text after the file name's last dot, as the picture writers read it: ".png" is a PNG file.
    const std::string name = fs::path(path).filename().string();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    std::string suffix = name.substr(dot + 1);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return suffix == "png" || suffix == "pdf" || suffix == "svg";
}

}  // namespace vortlan::cli
