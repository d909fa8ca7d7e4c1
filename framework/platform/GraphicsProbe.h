#pragma once
// Whether a window's desktop draws with a graphics card, judged without
// loading OpenGL (which costs tens of milliseconds and megabytes).
struct SDL_Window;

namespace tibo {

// False where OpenGL could only draw in software: LIBGL_ALWAYS_SOFTWARE or a
// software GALLIUM_DRIVER asked for, no graphics device the process may open
// (/dev/dri/*, /dev/nvidiactl), or an X server that offers no direct rendering
// (no DRI3, DRI2 or NV-GLX: Xvfb, Xvnc, a server across the network). True
// otherwise, which a renderer then has to confirm.
bool AccelerationLikely(SDL_Window* window);

}  // namespace tibo
