#include "framework/Sprites.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "framework/Display.h"
#include "framework/Errors.h"
#include "framework/ImageList.h"
#include "framework/Surface.h"

namespace tibo {

namespace {

constexpr int64_t MinInt32 = std::numeric_limits<int32_t>::min();
constexpr int64_t MaxInt32 = std::numeric_limits<int32_t>::max();

int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp(v, MinInt32, MaxInt32)); }

// Truncation toward zero; positions far outside the 32-bit range stick to its
// ends instead of wrapping (and NaN counts as 0).
int32_t Trunc32(long double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<long double>(MaxInt32)) return static_cast<int32_t>(MaxInt32);
    if (v <= static_cast<long double>(MinInt32)) return static_cast<int32_t>(MinInt32);
    return static_cast<int32_t>(v);
}

// A rectangle from 64-bit edges, each edge held inside the 32-bit range.
TRect Rect64(int64_t l, int64_t t, int64_t r, int64_t b) { return {Clamp32(l), Clamp32(t), Clamp32(r), Clamp32(b)}; }

TRect Bounds64(int64_t l, int64_t t, int64_t w, int64_t h) { return Rect64(l, t, l + w, t + h); }

struct TSize { int32_t W = 0, H = 0; };

// Size of one pattern of a picture; an index the picture does not have has no size.
TSize PatternSize(const TPictureItem& item, int32_t index) {
    if (index < 0 || index >= item.PatternTotal()) return {};
    const TRect r = item.PatternRect(index);
    return {r.Width(), r.Height()};
}

// Remainder that is never negative (m > 0).
int64_t Modulo(int64_t a, int64_t m) {
    const int64_t r = a % m;
    return r < 0 ? r + m : r;
}

// Releases a list's storage, so that a sprite without children keeps none.
void Release(std::vector<TSprite*>& list) { std::vector<TSprite*>().swap(list); }

}  // namespace

// ---------------------------------------------------------------- TSprite

TSprite::TSprite(TSprite* parent) : Parent_(parent) {
    if (Parent_ == nullptr) return;
    Parent_->AddChild(this);
    auto* engine = dynamic_cast<TSpriteEngine*>(Parent_);
    Engine_ = engine != nullptr ? engine : Parent_->Engine_;
    if (Engine_ != nullptr) ++Engine_->SpriteCount_;
}

TSprite::~TSprite() {
    Clear();
    if (Parent_ != nullptr) {
        if (Engine_ != nullptr) {
            --Engine_->SpriteCount_;
            auto& retired = Engine_->RetiredList_;
            const auto it = std::find(retired.rbegin(), retired.rend(), this);
            if (it != retired.rend()) retired.erase(std::next(it).base());
        }
        Parent_->RemoveChild(this);
    }
    Release(Children_);
    Release(DepthList_);
}

void TSprite::AddChild(TSprite* child) {
    Children_.push_back(child);
    try {
        InsertByDepth(child);
    } catch (...) {
        Children_.pop_back();
        throw;
    }
}

void TSprite::RemoveChild(TSprite* child) {
    // Sprites are usually freed newest first, so search from the back.
    const auto it = std::find(Children_.rbegin(), Children_.rend(), child);
    if (it != Children_.rend()) Children_.erase(std::next(it).base());
    RemoveFromDepth(child);
    if (Children_.empty()) {
        Release(Children_);
        Release(DepthList_);
    }
}

// The first position whose Z is not below the child's: a sprite inserted
// later goes beneath its siblings of equal Z.
void TSprite::InsertByDepth(TSprite* child) {
    const auto at = std::lower_bound(DepthList_.begin(), DepthList_.end(), child->Z_,
                                     [](const TSprite* s, int32_t z) { return s->Z_ < z; });
    DepthList_.insert(at, child);
}

void TSprite::RemoveFromDepth(TSprite* child) {
    auto it = std::lower_bound(DepthList_.begin(), DepthList_.end(), child->Z_,
                               [](const TSprite* s, int32_t z) { return s->Z_ < z; });
    while (it != DepthList_.end() && *it != child && (*it)->Z_ == child->Z_) ++it;
    if (it == DepthList_.end() || *it != child) it = std::find(DepthList_.begin(), DepthList_.end(), child);
    if (it != DepthList_.end()) DepthList_.erase(it);
}

void TSprite::Collided(TSprite& /*other*/, bool& /*done*/) {}
void TSprite::Render() {}
void TSprite::Advance(int32_t /*moveCount*/) {}

TRect TSprite::ScreenRect() const {
    // Most sprites hang straight under an engine at the origin, at a sane place:
    // their rectangle comes from their own position, without the long sums. Every
    // collision search asks every sprite for it, so this is the hot path.
    constexpr double Sane = 1 << 30;
    constexpr int32_t SaneSize = 1 << 30;
    if (Parent_ != nullptr && Parent_->Parent_ == nullptr && Parent_->X == 0 && Parent_->Y == 0 && std::fabs(X) < Sane &&
        std::fabs(Y) < Sane && Width >= 0 && Width < SaneSize && Height >= 0 && Height < SaneSize) {
        const int32_t left = static_cast<int32_t>(X), top = static_cast<int32_t>(Y);  // truncated toward zero
        return TRect{left, top, left + Width, top + Height};  // no edge can leave the 32-bit range
    }
    return Bounds64(Trunc32(AbsoluteX()), Trunc32(AbsoluteY()), Width, Height);
}

bool TSprite::HitTest(TSprite& /*other*/) { return true; }

void TSprite::Describe(TFieldWriter& w) const {
    w.Field("X", X);
    w.Field("Y", Y);
    w.Field("Z", Z_);
    w.Field("Visible", Visible);
    w.Field("Retired", Retired_);
    w.Field("Moves", Moves);
    w.Field("Collides", Collides);
    w.Field("Width", Width);
    w.Field("Height", Height);
}

long double TSprite::AbsoluteX() const {
    return Parent_ != nullptr ? static_cast<long double>(X) + Parent_->AbsoluteX() : static_cast<long double>(X);
}

long double TSprite::AbsoluteY() const {
    return Parent_ != nullptr ? static_cast<long double>(Y) + Parent_->AbsoluteY() : static_cast<long double>(Y);
}

void TSprite::Move(int32_t moveCount) {
    if (!Moves) return;
    Advance(moveCount);
    // Children attached during the pass wait for the next one.
    const size_t count = Children_.size();
    for (size_t i = 0; i < count && i < Children_.size(); ++i) Children_[i]->Move(moveCount);
}

void TSprite::Draw() {
    if (!Visible) return;
    if (Engine_ != nullptr && OverlapRect(ScreenRect(), Engine_->SurfaceRect_)) {
        Render();
        ++Engine_->DrawnCount_;
    }
    const size_t count = DepthList_.size();
    for (size_t i = 0; i < count && i < DepthList_.size(); ++i) DepthList_[i]->Draw();
}

int32_t TSprite::CheckCollisions() {
    if (Engine_ == nullptr || Retired_ || !Collides) return 0;
    TSpriteEngine& engine = *Engine_;
    engine.HitCount_ = 0;
    engine.HitDone_ = false;
    engine.HitRect_ = ScreenRect();
    engine.HitSprite_ = this;
    // Sprites attached during the search (a score label made in Collided)
    // are not tested in it.
    const size_t count = engine.Children_.size();
    for (size_t i = 0; i < count && i < engine.Children_.size() && !engine.HitDone_; ++i)
        engine.Children_[i]->TestCollision(engine);
    return engine.HitCount_;
}

void TSprite::TestCollision(TSpriteEngine& engine) {
    if (!Collides || engine.HitDone_) return;
    TSprite& asking = *engine.HitSprite_;
    if (this != &asking && OverlapRect(ScreenRect(), engine.HitRect_) && asking.HitTest(*this) && HitTest(asking)) {
        ++engine.HitCount_;
        asking.Collided(*this, engine.HitDone_);
        // Retiring itself or leaving the collisions ends the asker's search.
        if (!asking.Collides || asking.Retired_) engine.HitDone_ = true;
    }
    const size_t count = Children_.size();
    for (size_t i = 0; i < count && i < Children_.size() && !engine.HitDone_; ++i) Children_[i]->TestCollision(engine);
}

void TSprite::Retire() {
    if (Engine_ == nullptr || Retired_) return;
    Retired_ = true;
    Engine_->RetiredList_.push_back(this);
}

void TSprite::Clear() {
    // Each child leaves this sprite's lists as it is freed.
    while (!Children_.empty()) delete Children_.back();
}

TSprite* TSprite::Items(int32_t index) const {
    if (Children_.empty()) throw ESpriteError(Format(msg::ListIndexError, index));
    if (index < 0 || index >= Count()) throw EListError(Format(msg::ListBoundsError, index));
    return Children_[static_cast<size_t>(index)];
}

void TSprite::SetZ(int32_t z) {
    if (z == Z_) return;
    if (Parent_ == nullptr) {
        Z_ = z;
        return;
    }
    Parent_->RemoveFromDepth(this);
    Z_ = z;
    Parent_->InsertByDepth(this);
}

// ----------------------------------------------------------- TImageSprite

TImageSprite::TImageSprite(TSprite* parent) : TSprite(parent) {}

void TImageSprite::Advance(int32_t moveCount) {
    FramePos = FramePos + FrameSpeed * moveCount;
    if (FrameLooped) {
        if (FrameCount > 0) {
            const double q = std::trunc(FramePos / FrameCount);
            if (std::fabs(q) < 9.2e18)  // inside the 64-bit range of the quotient
                FramePos = FramePos - q * FrameCount;
            else if (std::isfinite(FramePos))
                FramePos = std::fmod(FramePos, static_cast<double>(FrameCount));
            else
                FramePos = 0;
            if (FramePos < 0) FramePos += FrameCount;
        } else {
            FramePos = 0;
        }
    } else {
        if (FramePos >= FrameCount) {
            FramePos = FrameCount - 1;
            FrameSpeed = 0;
        }
        if (FramePos < 0) {
            FramePos = 0;
            FrameSpeed = 0;
        }
    }
}

void TImageSprite::ShowPicture(TPictureItem& picture) {
    Image = &picture;
    Width = picture.Width();
    Height = picture.Height();
}

void TImageSprite::PlayAnimation(TPictureItem& picture, bool looped, double speed) {
    ShowPicture(picture);
    FrameCount = picture.PatternTotal();
    FrameLooped = looped;
    FrameSpeed = speed;
    FramePos = 0;
}

int32_t TImageSprite::PatternIndex() const {
    if (!std::isfinite(FramePos)) return -1;
    const double t = std::trunc(FramePos);
    if (t < static_cast<double>(MinInt32) || t > static_cast<double>(MaxInt32)) return -1;
    const int64_t index = static_cast<int64_t>(t) + FrameBase;
    return index < MinInt32 || index > MaxInt32 ? -1 : static_cast<int32_t>(index);
}

TRect TImageSprite::DrawRect() const {
    const TRect r = ScreenRect();
    if (Image == nullptr) return r;
    const int64_t dx = (static_cast<int64_t>(Width) - Image->Width()) / 2;
    const int64_t dy = (static_cast<int64_t>(Height) - Image->Height()) / 2;
    return Rect64(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy);
}

void TImageSprite::Render() {
    // Without a picture there is nothing to draw.
    TSpriteEngine* engine = Engine();
    if (Image == nullptr || engine == nullptr || engine->Surface() == nullptr) return;
    const TRect r = DrawRect();
    Image->Draw(engine->Surface(), r.Left, r.Top, PatternIndex());
}

bool TImageSprite::HitTest(TSprite& other) {
    auto* o = dynamic_cast<TImageSprite*>(&other);
    if (o == nullptr || !ImageCheck) return true;
    // A sprite without a picture has nothing finer to compare: the screen
    // rectangles (already found to overlap) decide.
    if (Image == nullptr || o->Image == nullptr) return true;
    const TRect r1 = DrawRect();
    const TRect r2 = o->DrawRect();
    const TSize own = PatternSize(*Image, PatternIndex());
    const TSize theirs = PatternSize(*o->Image, o->PatternIndex());
    return OverlapRect(TRect{0, 0, own.W, own.H},
                       Bounds64(static_cast<int64_t>(r2.Left) - r1.Left, static_cast<int64_t>(r2.Top) - r1.Top, theirs.W,
                                theirs.H));
}

void TImageSprite::Describe(TFieldWriter& w) const {
    TSprite::Describe(w);
    w.Field("FrameCount", FrameCount);
    w.Field("FrameLooped", FrameLooped);
    w.Field("FramePos", FramePos);
    w.Field("FrameSpeed", FrameSpeed);
    w.Field("FrameBase", FrameBase);
    w.Field("Image", Image != nullptr ? std::string_view(Image->Name()) : std::string_view());
    w.Field("ImageCheck", ImageCheck);
}

// ------------------------------------------------------ TBackgroundSprite

TBackgroundSprite::TBackgroundSprite(TSprite* parent) : TSprite(parent) { Collides = false; }

TBackgroundSprite::~TBackgroundSprite() { SetGrid(0, 0); }

void TBackgroundSprite::SetGrid(int32_t columns, int32_t rows) {
    if (columns == Columns_ && rows == Rows_) return;
    if (columns <= 0 || rows <= 0) {
        std::vector<int32_t>().swap(Cells_);
        std::vector<uint8_t>().swap(Solid_);
        Columns_ = 0;
        Rows_ = 0;
        return;
    }
    const size_t size = static_cast<size_t>(columns) * static_cast<size_t>(rows);
    std::vector<int32_t> cells(size, 0);
    std::vector<uint8_t> solid(size, 1);
    Cells_.swap(cells);
    Solid_.swap(solid);
    Columns_ = columns;
    Rows_ = rows;
}

bool TBackgroundSprite::Inside(int32_t column, int32_t row) const {
    return column >= 0 && column < Columns_ && row >= 0 && row < Rows_;
}

size_t TBackgroundSprite::IndexOf(int32_t column, int32_t row) const {
    return static_cast<size_t>(row) * static_cast<size_t>(Columns_) + static_cast<size_t>(column);
}

int32_t TBackgroundSprite::Cell(int32_t column, int32_t row) const {
    return Inside(column, row) ? Cells_[IndexOf(column, row)] : -1;
}

void TBackgroundSprite::SetCell(int32_t column, int32_t row, int32_t pattern) {
    if (Inside(column, row)) Cells_[IndexOf(column, row)] = pattern;
}

bool TBackgroundSprite::Solid(int32_t column, int32_t row) const {
    return Inside(column, row) && Solid_[IndexOf(column, row)] != 0;
}

void TBackgroundSprite::SetSolid(int32_t column, int32_t row, bool solid) {
    if (Inside(column, row)) Solid_[IndexOf(column, row)] = solid ? 1 : 0;
}

TRect TBackgroundSprite::ScreenRect() const {
    if (Wrap) return Engine() != nullptr ? Engine()->SurfaceRect() : TRect{};
    if (Image == nullptr) return {};
    return Bounds64(Trunc32(AbsoluteX()), Trunc32(AbsoluteY()), static_cast<int64_t>(Image->Width()) * Columns_,
                    static_cast<int64_t>(Image->Height()) * Rows_);
}

void TBackgroundSprite::Render() {
    TSpriteEngine* engine = Engine();
    if (engine == nullptr || engine->Surface() == nullptr || Image == nullptr || Columns_ <= 0 || Rows_ <= 0) return;
    const TSize cell = PatternSize(*Image, 0);
    if (cell.W <= 0 || cell.H <= 0) return;
    const int64_t w = cell.W, h = cell.H;
    const TRect& area = engine->SurfaceRect();
    const int64_t vc = (area.Right + w) / w + 1;  // columns that can be visible
    const int64_t vr = (area.Bottom + h) / h + 1;
    const int64_t x0 = Trunc32(AbsoluteX()), y0 = Trunc32(AbsoluteY());
    const int64_t ox = x0 % w, oy = y0 % h;  // C++ remainders take the dividend's sign
    int64_t sx = x0 / w, sy = y0 / h;
    int64_t kx = 0, ky = 0;
    if (sx < 0) {
        kx = -sx;
        sx = 0;
    }
    if (sy < 0) {
        ky = -sy;
        sy = 0;
    }
    TSurface* dest = engine->Surface();
    const auto drawCell = [&](int64_t c, int64_t r, int64_t column, int64_t row) {
        const int32_t pattern = Cells_[static_cast<size_t>(row) * static_cast<size_t>(Columns_) + static_cast<size_t>(column)];
        if (pattern >= 0) Image->Draw(dest, static_cast<int>(c * w + ox), static_cast<int>(r * h + oy), pattern);
    };
    if (!Wrap) {
        const int64_t ex = std::min(sx + Columns_ - kx, vc);
        const int64_t ey = std::min(sy + Rows_ - ky, vr);
        for (int64_t r = sy; r < ey; ++r)
            for (int64_t c = sx; c < ex; ++c) drawCell(c, r, c - sx + kx, r - sy + ky);
    } else {
        for (int64_t r = -1; r <= vr; ++r)
            for (int64_t c = -1; c <= vc; ++c) drawCell(c, r, Modulo(c - sx + kx, Columns_), Modulo(r - sy + ky, Rows_));
    }
}

void TBackgroundSprite::Describe(TFieldWriter& w) const {
    TSprite::Describe(w);
    w.Field("Columns", Columns_);
    w.Field("Rows", Rows_);
    w.Field("Wrap", Wrap);
    w.Field("Image", Image != nullptr ? std::string_view(Image->Name()) : std::string_view());
}

// ---------------------------------------------------------- TSpriteEngine

TSpriteEngine::TSpriteEngine() : TSprite(nullptr) {}

TSpriteEngine::~TSpriteEngine() {
    // The sprites still reach the retired list and counters while they go.
    Clear();
}

void TSpriteEngine::Describe(TFieldWriter& w) const {
    TSprite::Describe(w);
    w.Field("SpriteCount", SpriteCount_);
    w.Field("DrawnCount", DrawnCount_);
}

void TSpriteEngine::Draw() {
    DrawnCount_ = 0;
    TSprite::Draw();
}

void TSpriteEngine::FreeRetired() {
    while (!RetiredList_.empty()) {
        TSprite* last = RetiredList_.back();
        RetiredList_.pop_back();
        delete last;  // also drops its retired children from the list
    }
}

void TSpriteEngine::SetSurface(TSurface* surface) {
    Surface_ = surface;
    if (surface == nullptr) return;  // the last SurfaceRect stays
    SurfaceRect_ = TRect{0, 0, surface->Width(), surface->Height()};
    Width = surface->Width();
    Height = surface->Height();
}

// --------------------------------------------- TCustomSpriteEngineComponent

TCustomSpriteEngineComponent::TCustomSpriteEngineComponent(TDisplay* display)
    : Engine_(std::make_unique<TSpriteEngine>()) {
    SetDisplay(display);
}

TCustomSpriteEngineComponent::~TCustomSpriteEngineComponent() { SetDisplay(nullptr); }

void TCustomSpriteEngineComponent::SetDisplay(TDisplay* display) {
    if (display == Display_) return;
    if (Display_ != nullptr) Display_->UnregisterNotify(this);  // tells us Finalizing: the surface goes
    Display_ = display;
    if (Display_ != nullptr)
        Display_->RegisterNotify([this](TDrawNotify kind, TDisplay& d) { DisplayNotify(kind, d); }, this);
}

void TCustomSpriteEngineComponent::DisplayNotify(TDrawNotify kind, TDisplay& display) {
    switch (kind) {
        case TDrawNotify::Initialized:
            Engine_->SetSurface(display.Surface());
            break;
        case TDrawNotify::Finalizing:
            Engine_->SetSurface(nullptr);
            break;
        case TDrawNotify::Destroying:
            // The display's surface goes with it.
            Engine_->SetSurface(nullptr);
            Display_ = nullptr;
            break;
        default:
            break;
    }
}

void TCustomSpriteEngineComponent::Move(int32_t moveCount) { Engine_->Move(moveCount); }

void TCustomSpriteEngineComponent::Draw() {
    if (Display_ != nullptr && Display_->Initialized()) Engine_->Draw();
}

void TCustomSpriteEngineComponent::FreeRetired() { Engine_->FreeRetired(); }

}  // namespace tibo
