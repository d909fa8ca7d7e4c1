// Presenting the picture: through a renderer and a streaming texture, or
// scaled by us into the window's own pixels (see SdlWindow.h).
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "framework/platform/GraphicsProbe.h"
#include "framework/platform/SdlWindow.h"

namespace tibo {

namespace {

using TPresentation = TWindowOptions::TPresentation;

TPresentation PresentationWanted(TPresentation asked) {
    if (asked != TPresentation::Auto) return asked;
    const char* env = std::getenv("TIBO_PRESENT");
    if (env != nullptr && std::string_view(env) == "renderer") return TPresentation::Renderer;
    if (env != nullptr && std::string_view(env) == "framebuffer") return TPresentation::Framebuffer;
    return TPresentation::Auto;
}

// Whether a renderer draws with the processor: SDL's own software renderer,
// or OpenGL on a software rasteriser (what a bare X server offers).
bool DrawsInSoftware(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0) return true;
    const std::string_view name = info.name != nullptr ? info.name : "";
    if (name == "software") return true;
    if (name.substr(0, 6) != "opengl") return false;
    using TGetString = const unsigned char* (*)(unsigned int);
    const auto getString = reinterpret_cast<TGetString>(SDL_GL_GetProcAddress("glGetString"));
    if (getString == nullptr) return false;
    const unsigned char* text = getString(0x1F01);   // GL_RENDERER
    if (text == nullptr) return false;
    const std::string_view gl(reinterpret_cast<const char*>(text));
    for (const std::string_view soft : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast", "SWR"}) {
        if (gl.find(soft) != std::string_view::npos) return true;
    }
    return false;
}

}  // namespace

void TSdlWindow::ChoosePresentation() {
    const TPresentation wanted = PresentationWanted(Options_.Presentation);
    // Where the desktop plainly has no graphics card to offer, the renderer is
    // not even tried: making it loads the whole OpenGL stack (tens of
    // milliseconds, about 60 MiB) only to find it draws in software. Where
    // there may be one, the renderer made has the last word.
    const bool tryRenderer = wanted == TPresentation::Renderer ||
                             (wanted == TPresentation::Auto && AccelerationLikely(Window_));
    if (tryRenderer) {
        if (MakeRenderer() && (wanted == TPresentation::Renderer || !DrawsInSoftware(Renderer_))) return;
        DropRenderer();
    }
    // Scaled by us into the window's pixels, which SDL must then hand to the
    // X server directly rather than through a (software) GL texture.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_GetWindowSurface(Window_) != nullptr) {
        Framebuffer_ = true;
        return;
    }
    // No window pixels either: any renderer will do.
    if (wanted == TPresentation::Framebuffer) MakeRenderer();
}

bool TSdlWindow::MakeRenderer() {
    const Uint32 vsync = Options_.VSync ? SDL_RENDERER_PRESENTVSYNC : 0;
    Renderer_ = SDL_CreateRenderer(Window_, -1, SDL_RENDERER_ACCELERATED | vsync);
    if (Renderer_ == nullptr) Renderer_ = SDL_CreateRenderer(Window_, -1, vsync);
    if (Renderer_ == nullptr) Renderer_ = SDL_CreateRenderer(Window_, -1, 0);
    if (Renderer_ == nullptr) return false;
    return MakeTexture(Options_.Width, Options_.Height);
}

bool TSdlWindow::MakeTexture(int w, int h) {
    if (Texture_ != nullptr) SDL_DestroyTexture(Texture_);
    Texture_ = SDL_CreateTexture(Renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, w, h);
    HaveFrame_ = false;
    TextureW_ = Texture_ != nullptr ? w : 0;
    TextureH_ = Texture_ != nullptr ? h : 0;
    if (Texture_ != nullptr) SDL_SetTextureScaleMode(Texture_, SDL_ScaleModeNearest);
    return Texture_ != nullptr;
}

void TSdlWindow::DropRenderer() {
    if (Texture_ != nullptr) SDL_DestroyTexture(Texture_);
    if (Renderer_ != nullptr) SDL_DestroyRenderer(Renderer_);
    Texture_ = nullptr;
    Renderer_ = nullptr;
    TextureW_ = TextureH_ = 0;
    if (!Framebuffer_) HaveFrame_ = false;
}

TViewMapping TSdlWindow::Mapping() const {
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(Window_, &ww, &wh);
    if (Renderer_ == nullptr || SDL_GetRendererOutputSize(Renderer_, &ow, &oh) != 0) {
        SDL_GetWindowSizeInPixels(Window_, &ow, &oh);
    }
    int sw = Options_.Width, sh = Options_.Height;
    if (TextureW_ > 0) {
        sw = TextureW_;
        sh = TextureH_;
    } else if (PictureW_ > 0) {
        sw = PictureW_;
        sh = PictureH_;
    }
    return TViewMapping::For(sw, sh, ww, wh, ow, oh);
}

void TSdlWindow::Show() {
    if (Framebuffer_) {
        if (SDL_GetWindowSurface(Window_) == LastTarget_) SDL_UpdateWindowSurface(Window_);
        return;
    }
    const TViewMapping m = Mapping();
    const SDL_Rect dest{m.View.X, m.View.Y, m.View.W, m.View.H};
    SDL_SetRenderDrawColor(Renderer_, 0, 0, 0, 255);
    SDL_RenderClear(Renderer_);
    SDL_RenderCopy(Renderer_, Texture_, nullptr, &dest);
    SDL_RenderPresent(Renderer_);
}

namespace {
// Black around the view; the view itself is about to be painted over.
void ClearBorders(uint8_t* pixels, int pitch, int w, int h, int bytesPerPixel, const TViewMapping::TView& view) {
    const auto row = [&](int y) { return pixels + static_cast<ptrdiff_t>(y) * pitch; };
    const auto rowBytes = static_cast<size_t>(w) * static_cast<size_t>(bytesPerPixel);
    for (int y = 0; y < h; ++y) {
        if (y < view.Y || y >= view.Y + view.H) {
            std::memset(row(y), 0, rowBytes);
            continue;
        }
        const auto left = static_cast<size_t>(view.X) * static_cast<size_t>(bytesPerPixel);
        const auto right = static_cast<size_t>(view.X + view.W) * static_cast<size_t>(bytesPerPixel);
        std::memset(row(y), 0, left);
        if (right < rowBytes) std::memset(row(y) + right, 0, rowBytes - right);
    }
}
}  // namespace

bool TSdlWindow::PresentToFramebuffer(const TSurface& back) {
    SDL_Surface* target = SDL_GetWindowSurface(Window_);
    if (target == nullptr) return false;
    const int bpp = target->format->BytesPerPixel;
    if (bpp != 2 && bpp != 4) {
        // An unusual display: let SDL convert and scale (slowly, but right).
        SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<uint16_t*>(back.Bits()), back.Width(), back.Height(), 16, back.Width() * 2, SDL_PIXELFORMAT_RGB565);
        if (picture == nullptr) return false;
        PictureW_ = back.Width();
        PictureH_ = back.Height();
        const TViewMapping m = Mapping();
        SDL_Rect dest{m.View.X, m.View.Y, m.View.W, m.View.H};
        SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
        SDL_BlitScaled(picture, nullptr, target, &dest);
        SDL_FreeSurface(picture);
        SDL_UpdateWindowSurface(Window_);
        LastTarget_ = target;
        HaveFrame_ = true;
        return true;
    }
    if (target->format->format != TableFormat_) {
        Scaler_.Table.resize(65536);
        for (uint32_t c = 0; c < 65536; ++c) {
            const uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
            Scaler_.Table[c] = SDL_MapRGB(target->format, static_cast<Uint8>((r << 3) | (r >> 2)),
                                          static_cast<Uint8>((g << 2) | (g >> 4)), static_cast<Uint8>((b << 3) | (b >> 2)));
        }
        TableFormat_ = target->format->format;
        LastTarget_ = nullptr;
    }
    PictureW_ = back.Width();
    PictureH_ = back.Height();
    const TViewMapping m = Mapping();
    // The picture fills the view; the borders are painted when they change.
    TViewMapping::TView view = m.View;
    view.W = std::min(view.W, target->w - view.X);
    view.H = std::min(view.H, target->h - view.Y);
    if (view.W <= 0 || view.H <= 0) return false;
    if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return false;
    const bool newBorders = target != LastTarget_ || target->w != LastTargetW_ || target->h != LastTargetH_ ||
                            view.X != LastView_.X || view.Y != LastView_.Y || view.W != LastView_.W ||
                            view.H != LastView_.H;
    const int w = back.Width(), h = back.Height();
    const uint16_t* const bits = back.Bits();
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    auto* const dst = static_cast<uint8_t*>(target->pixels);
    if (newBorders || Shown_.size() != pixels) {
        ClearBorders(dst, target->pitch, target->w, target->h, bpp, view);
        Scaler_.Scale(bits, w, h, view, dst, target->pitch, bpp);
        Shown_.assign(bits, bits + pixels);
        if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
        SDL_UpdateWindowSurface(Window_);
    } else {
        // Only the rows that changed since the last picture are scaled and
        // sent: most frames leave much of the screen as it was.
        constexpr int MaxSpans = 16;
        SDL_Rect spans[MaxSpans];
        int count = 0;
        const size_t rowBytes = static_cast<size_t>(w) * sizeof(uint16_t);
        int y = 0;
        while (y < h) {
            // The last span takes the rest.
            const TRowRun run = NextChangedRows(bits, Shown_.data(), w, h, y, count == MaxSpans - 1);
            if (run.First >= h) break;
            const size_t from = static_cast<size_t>(run.First) * static_cast<size_t>(w);
            std::memcpy(Shown_.data() + from, bits + from, static_cast<size_t>(run.End - run.First) * rowBytes);
            Scaler_.Scale(bits, w, h, view, dst, target->pitch, bpp, run.First, run.End);
            int first = 0, stop = 0;
            TPixelScaler::BufferRows(h, view.H, run.First, run.End, first, stop);
            if (stop > first) spans[count++] = SDL_Rect{view.X, view.Y + first, view.W, stop - first};
            y = run.End;
        }
        if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
        if (count > 0) SDL_UpdateWindowSurfaceRects(Window_, spans, count);
    }
    LastTarget_ = target;
    LastTargetW_ = target->w;
    LastTargetH_ = target->h;
    LastView_ = view;
    HaveFrame_ = true;
    return true;
}

bool TSdlWindow::Present(const TSurface& back) {
    if (Lost_ || !back.Valid()) return false;
    if (Framebuffer_) return PresentToFramebuffer(back);
    if (Renderer_ == nullptr) return false;
    if (back.Width() != TextureW_ || back.Height() != TextureH_) {
        if (!MakeTexture(back.Width(), back.Height())) return false;
    }
    if (SDL_UpdateTexture(Texture_, nullptr, back.Bits(), back.Width() * 2) != 0) return false;
    HaveFrame_ = true;
    Show();
    return true;
}

bool TSdlWindow::Restore() {
    if (!Lost_) return true;
    if (!Framebuffer_) {
        DropRenderer();
        if (!MakeRenderer()) {
            DropRenderer();
            return false;
        }
    }
    Lost_ = false;
    return true;
}

}  // namespace tibo
