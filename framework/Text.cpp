#include "framework/Text.h"

#include <cmath>
#include <cstdio>

namespace tibo {
namespace {

constexpr int Glyph = 16, GlyphsPerRow = 20, DigitSize = 12;

// The glyph cell of a character, or -1 for characters the font lacks.
int GlyphIndex(char ch) {
    int code = static_cast<unsigned char>(ch);
    if (code >= 'a' && code <= 'z') code -= 32;
    const int g = code - 32;
    return g >= 0 && g <= 58 ? g : -1;
}

TRect GlyphRect(int g) { return Bounds(Glyph * (g % GlyphsPerRow), Glyph * (g / GlyphsPerRow), Glyph, Glyph); }

}  // namespace

int TTextWriter::CentredX(std::string_view text) const {
    return (Target_->Width() - Glyph * static_cast<int>(text.size())) / 2;
}

void TTextWriter::PutText(int x, int y, int opacity, bool centred, std::string_view text) const {
    if (!Target_ || !Font_) return;
    if (centred) x = CentredX(text);
    for (char ch : text) {
        const int g = GlyphIndex(ch);
        if (g < 0) continue;
        const TRect cell = GlyphRect(g);
        if (opacity >= 255) Target_->Draw(x, y, cell, Font_, true);
        else Target_->DrawBlended(Bounds(x, y, Glyph, Glyph), cell, Font_, true, opacity);
        x += Glyph;
    }
}

void TTextWriter::PutTextClipTop(int y, std::string_view text, int clipRow) const {
    if (!Target_ || !Font_) return;
    int x = CentredX(text);
    for (char ch : text) {
        const int g = GlyphIndex(ch);
        if (g < 0) continue;
        TRect cell = GlyphRect(g);
        if (y >= clipRow) {
            Target_->Draw(x, y, cell, Font_, true);
        } else {
            cell.Top += clipRow - y;
            Target_->Draw(x, clipRow, cell, Font_, true);
        }
        x += Glyph;
    }
}

void TTextWriter::PutNumber(int x, int y, int32_t value) const {
    if (!Target_ || !Digits_) return;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%lld", std::llabs(static_cast<long long>(value)));
    const int length = static_cast<int>(std::char_traits<char>::length(digits));
    int dx = x + 76;
    for (int i = length - 1, fromRight = 0; i >= 0; --i, ++fromRight) {
        if (fromRight == 3) dx -= 6;  // the one gap, before the thousands
        const int d = digits[i] - '0';
        Target_->Draw(dx, y, Bounds(DigitSize * d, 0, DigitSize, DigitSize), Digits_, true);
        dx -= DigitSize;
    }
}

std::string FormatPoints(int width, int decimals, double value) {
    const bool negative = value < 0;
    const double v = std::fabs(value);
    std::string s;
    if (v != 0) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", std::fabs(std::trunc(v + 0.00001)));
        s = buf;
        if (s.size() > 20) s.resize(20);
    }
    for (int n = static_cast<int>(s.size()) - 2; n > 1; n -= 3) s.insert(static_cast<size_t>(n - 1), ".");
    width += (width - 1) / 3;
    if (decimals > 0) {
        if (v != 0) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.*f", decimals, v - std::trunc(v));
            std::string fraction = buf;
            const auto point = fraction.find('.');
            s += "," + (point == std::string::npos ? fraction : fraction.substr(point + 1));
        } else {
            s += std::string(static_cast<size_t>(decimals) + 1, ' ');
        }
        width += decimals + 1;
    }
    if (static_cast<int>(s.size()) < width) {
        const int pad = std::min(width - static_cast<int>(s.size()), 10);
        s.insert(0, static_cast<size_t>(pad), ' ');
    }
    if (negative) {
        if (!s.empty() && s[0] == ' ') s[0] = '-';
        else s.insert(0, "-");
    }
    if (s.size() > 20) s.resize(20);
    return s;
}

}  // namespace tibo
