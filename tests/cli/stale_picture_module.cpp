// A picture module left by another build of vortlan-cli: its table names another version and offers
// nothing to call, so a tool that used it anyway would crash.

#include "cli/picture_module.h"

namespace {

constexpr VortlanCliPictures kStale{sizeof(vortlan::Workspace), "0.0.0-elsewhere", nullptr, nullptr, nullptr};

}  // namespace

extern "C" __attribute__((visibility("default"))) const VortlanCliPictures* vortlan_cli_pictures() {
    return &kStale;
}
