// Kept apart from the window's code: the X11 headers that SDL_syswm.h brings
// define macros (None, Bool, Status...) that nothing else should see.
#include "framework/platform/GraphicsProbe.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <unistd.h>
#if defined(TIBO_HAVE_X11)
#include <dlfcn.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace tibo {
namespace {

bool EnvironmentAsksForSoftware() {
    const char* always = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    if (always != nullptr && *always != '\0' && std::string_view(always) != "0" && std::string_view(always) != "false") {
        return true;
    }
    const char* gallium = std::getenv("GALLIUM_DRIVER");
    if (gallium != nullptr) {
        const std::string_view g(gallium);
        if (g == "llvmpipe" || g == "softpipe" || g == "swr") return true;
    }
    return false;
}

bool GraphicsDeviceOpenable() {
    if (::access("/dev/nvidiactl", R_OK | W_OK) == 0) return true;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", ec)) {
        const std::string name = entry.path().filename().string();
        if ((name.rfind("renderD", 0) == 0 || name.rfind("card", 0) == 0) &&
            ::access(entry.path().c_str(), R_OK | W_OK) == 0) {
            return true;
        }
    }
    return false;
}

// TIBO_HAVE_X11: SDL has its X11 driver and X11's headers are here (found by
// the build); without, there is no X server to ask.
#if defined(TIBO_HAVE_X11)
// libX11 is already loaded (SDL's X11 driver runs); it is asked for nothing
// that would load it.
template <typename T>
T X11Function(const char* name) {
    void* lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (lib == nullptr) return nullptr;
    void* f = dlsym(lib, name);
    dlclose(lib);   // only the reference NOLOAD took; SDL keeps its own
    return reinterpret_cast<T>(f);
}

bool XServerRendersDirectly(Display* display) {
    using TDisplayString = char* (*)(Display*);
    using TQueryExtension = int (*)(Display*, const char*, int*, int*, int*);
    const auto displayString = X11Function<TDisplayString>("XDisplayString");
    const auto queryExtension = X11Function<TQueryExtension>("XQueryExtension");
    if (displayString == nullptr || queryExtension == nullptr) return true;   // cannot tell
    // "host:0" or "localhost:10" (an SSH tunnel) is a connection over the
    // network, where direct rendering cannot be had; ":0", "unix:0" and a
    // socket's path are local.
    const std::string_view name = displayString(display) != nullptr ? displayString(display) : "";
    const size_t colon = name.rfind(':');
    const std::string_view host = colon == std::string_view::npos ? name : name.substr(0, colon);
    if (!host.empty() && host != "unix" && host.front() != '/') return false;
    for (const char* extension : {"DRI3", "DRI2", "NV-GLX"}) {
        int opcode = 0, event = 0, error = 0;
        if (queryExtension(display, extension, &opcode, &event, &error) != 0) return true;
    }
    return false;
}
#endif  // TIBO_HAVE_X11

}  // namespace

bool AccelerationLikely(SDL_Window* window) {
    if (EnvironmentAsksForSoftware() || !GraphicsDeviceOpenable()) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE) return true;
#if defined(TIBO_HAVE_X11)
    if (info.subsystem == SDL_SYSWM_X11) return XServerRendersDirectly(info.info.x11.display);
#endif
    return true;
}

}  // namespace tibo
