#pragma once
// Writing on the back surface with the game's two bitmap fonts.
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Surface.h"

namespace tibo {

// The text font: 16 x 16 glyphs of codes 32 to 90, 20 to a row.
// The digit font: 12 x 12 digits "0" to "9".
class TTextWriter {
public:
    TTextWriter(TSurface* target, const TSurface* font, const TSurface* digits)
        : Target_(target), Font_(font), Digits_(digits) {}

    // Draws text from (x, y); centred: x is computed from the target's width.
    // Opacity 255 copies the glyphs, lower values blend them in.
    void PutText(int x, int y, int opacity, bool centred, std::string_view text) const;
    void PutCentred(int y, std::string_view text, int opacity) const { PutText(0, y, opacity, true, text); }
    // Centred and opaque, with nothing drawn above the clip row.
    void PutTextClipTop(int y, std::string_view text, int clipRow) const;
    // A non-negative number whose last digit's left edge is at x + 76.
    void PutNumber(int x, int y, int32_t value) const;

private:
    int CentredX(std::string_view text) const;
    TSurface* Target_;
    const TSurface* Font_;
    const TSurface* Digits_;
};

// A number with thousands separators, right-aligned in a field (at most 20 characters).
std::string FormatPoints(int width, int decimals, double value);

}  // namespace tibo
