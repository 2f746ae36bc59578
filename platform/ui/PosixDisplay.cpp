#include "platform/ui/Display.h"

#include <cstdlib>
#include <string_view>

namespace tarn::platform::ui {
namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

}  // namespace

bool HasDisplay() {
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) return false;
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform) return true;
    // Qt accepts options after a colon, as in "offscreen:fontengine=freetype".
    std::string_view name(platform);
    name = name.substr(0, name.find(':'));
    return name != "offscreen" && name != "minimal";
}

}  // namespace tarn::platform::ui
