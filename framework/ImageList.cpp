#include "framework/ImageList.h"

#include <algorithm>

#include "framework/Errors.h"
#include "framework/Names.h"

namespace tibo {
namespace {

// Patterns of a row or column: how many fit, counting a last one that ends flush.
int FittingPatterns(int pictureSize, int pattern, int skip) {
    const int step = pattern + skip;
    if (step <= 0) return 0;
    return pictureSize / step + (pictureSize % step == pattern ? 1 : 0);
}

}  // namespace

TPictureItem::TPictureItem(TPictureItems* owner) : Owner_(owner) {}

void TPictureItem::SetName(const std::string& name) {
    Name_ = name;
    NamingOrder_ = Owner_ ? Owner_->NextNamingOrder() : 0;
}

void TPictureItem::SetTransparentColor(TColor c) {
    TransparentColor_ = c;
    for (auto& s : Surfaces_) s->SetTransparentColor(s->DeviceColor(c));
}

int TPictureItem::PatternTotal() const {
    if (!Surfaces_.empty()) return static_cast<int>(Patterns_.size());
    if (Picture.Empty()) return 0;
    if (PatternWidth <= 0 || PatternHeight <= 0) return 1;  // the whole picture
    return FittingPatterns(Picture.Width, PatternWidth, SkipWidth) * FittingPatterns(Picture.Height, PatternHeight, SkipHeight);
}

TRect TPictureItem::PatternRect(int index) const {
    if (index < 0 || index >= static_cast<int>(Patterns_.size())) return {};
    return Patterns_[static_cast<size_t>(index)].Rect;
}

const TSurface* TPictureItem::PatternSurface(int index) const {
    if (index < 0 || index >= static_cast<int>(Patterns_.size())) return nullptr;
    return Surfaces_[static_cast<size_t>(Patterns_[static_cast<size_t>(index)].SurfaceIndex)].get();
}

void TPictureItem::Draw(TSurface* dest, int x, int y, int index) const {
    if (!Initialized_ || !dest || index < 0 || index >= static_cast<int>(Patterns_.size())) return;
    const Pattern& p = Patterns_[static_cast<size_t>(index)];
    dest->Draw(x, y, p.Rect, Surfaces_[static_cast<size_t>(p.SurfaceIndex)].get(), Transparent);
}

void TPictureItem::Release() {
    Patterns_.clear();
    Surfaces_.clear();
}

void TPictureItem::Initialize() {
    Release();
    Initialized_ = true;
}

void TPictureItem::Finalize() {
    Release();
    Initialized_ = false;
}

void TPictureItem::Restore(TDisplayDevice& device) {
    if (!Initialized_) return;
    Release();
    if (Picture.Empty()) return;
    const int w = Width(), h = Height();
    auto addSurface = [&](const TRect& part) {
        auto s = std::make_unique<TSurface>(&device);
        s->SystemMemory = SystemMemory;
        s->LoadFromGraphic(Picture, part);
        s->SetTransparentColor(s->DeviceColor(TransparentColor_));
        Surfaces_.push_back(std::move(s));
        return static_cast<int>(Surfaces_.size()) - 1;
    };
    const TRect whole{0, 0, Picture.Width, Picture.Height};
    if (w == Picture.Width && h == Picture.Height) {
        Patterns_.push_back({TRect{0, 0, w, h}, addSurface(whole)});
        return;
    }
    const int a = PatternWidth + SkipWidth, c = PatternHeight + SkipHeight;
    if (a <= 0 || c <= 0) return;
    const int columns = (Picture.Width + SkipWidth) / a;
    const int rows = (Picture.Height + SkipHeight) / c;
    if (columns <= 0 || rows <= 0) return;
    if (SystemMemory) {
        const int s = addSurface(whole);
        for (int r = 0; r < rows; ++r)
            for (int col = 0; col < columns; ++col) Patterns_.push_back({Bounds(col * a, r * c, w, h), s});
        return;
    }
    // Pieces of at most about 512 pixels each way, each holding whole patterns.
    const int pieceW = std::min(a * ((a + 511) / a), a * columns);
    const int pieceH = std::min(c * ((c + 511) / c), c * rows);
    const int piecesAcross = (columns * a + pieceW - 1) / pieceW;
    const int piecesDown = (rows * c + pieceH - 1) / pieceH;
    std::vector<int> pieceSurface(static_cast<size_t>(piecesAcross) * static_cast<size_t>(piecesDown), -1);
    for (int r = 0; r < rows; ++r) {
        for (int col = 0; col < columns; ++col) {
            const int px = col * a / pieceW, py = r * c / pieceH;
            int& surface = pieceSurface[static_cast<size_t>(py) * static_cast<size_t>(piecesAcross) + static_cast<size_t>(px)];
            if (surface < 0) surface = addSurface(Bounds(px * pieceW, py * pieceH, pieceW, pieceH));
            Patterns_.push_back({Bounds(col * a - px * pieceW, r * c - py * pieceH, w, h), surface});
        }
    }
}

TPictureItem& TPictureItems::Add() {
    Items_.push_back(std::make_unique<TPictureItem>(this));
    return *Items_.back();
}

TPictureItem& TPictureItems::Add(const std::string& name) {
    TPictureItem& item = Add();
    item.SetName(name);
    return item;
}

TPictureItem& TPictureItems::Items(int index) {
    if (index < 0 || index >= Count()) throw EListError(Format(msg::ListBoundsError, index));
    return *Items_[static_cast<size_t>(index)];
}

const TPictureItem& TPictureItems::Items(int index) const {
    if (index < 0 || index >= Count()) throw EListError(Format(msg::ListBoundsError, index));
    return *Items_[static_cast<size_t>(index)];
}

TPictureItem* TPictureItems::TryFind(const std::string& name) {
    TPictureItem* found = nullptr;
    for (auto& item : Items_) {
        if (SameTextIgnoringCase(item->Name(), name) && (!found || item->NamingOrder() > found->NamingOrder())) found = item.get();
    }
    return found;
}

TPictureItem& TPictureItems::Find(const std::string& name) {
    TPictureItem* item = TryFind(name);
    if (!item) throw EImageListError(Format(msg::ImageNotFound, name.c_str()));
    return *item;
}

TImageList::TImageList(TDisplay* display) { SetDisplay(display); }

TImageList::~TImageList() { SetDisplay(nullptr); }

void TImageList::SetDisplay(TDisplay* display) {
    if (display == Display_) return;
    if (Display_) Display_->UnregisterNotify(this);
    Display_ = display;
    if (Display_) Display_->RegisterNotify([this](TDrawNotify kind, TDisplay& d) { DisplayNotify(kind, d); }, this);
}

void TImageList::DisplayNotify(TDrawNotify kind, TDisplay& display) {
    switch (kind) {
        case TDrawNotify::Destroying:
            Display_ = nullptr;
            break;
        case TDrawNotify::Initialized:
            if (!display.Initialized()) throw EImageListError(Format(msg::CannotInitialize, "TPictureItems"));
            for (int i = 0; i < Items.Count(); ++i) Items.Items(i).Initialize();
            break;
        case TDrawNotify::Finalizing:
            for (int i = 0; i < Items.Count(); ++i) Items.Items(i).Finalize();
            break;
        case TDrawNotify::Restored:
            for (int i = 0; i < Items.Count(); ++i) Items.Items(i).Restore(display.Device());
            break;
        default:
            break;
    }
}

}  // namespace tibo
