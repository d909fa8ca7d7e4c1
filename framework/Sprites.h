#pragma once
// The sprite tree: every moving or animated thing on the screen is a sprite
// below one TSpriteEngine. Once per frame the game moves the tree (each sprite
// runs its own behaviour), frees the sprites that retired themselves and draws
// the tree onto the back surface in depth order. Sprites find what they touch
// by asking the engine for collisions.
//
// Ownership: a sprite owns its children and frees them when it is freed. A
// sprite is created with `new TXxxSprite(parent)` and from then on belongs to
// its parent; it leaves the tree by `Retire` and is freed by the engine's next
// `FreeRetired` (or when its parent or the engine is freed). Never free a
// sprite while `Move`, `Draw` or `CheckCollisions` walks the tree.
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/FieldWriter.h"
#include "framework/Geometry.h"

namespace tibo {

class TSurface;
class TPictureItem;
class TDisplay;
enum class TDrawNotify;
class TSpriteEngine;

// Whatever owns an engine (the game's main form); game sprites reach it
// through `Engine()->Owner()`.
class TSpriteOwner {
public:
    virtual ~TSpriteOwner() = default;
};

class TSprite {
public:
    // Attaches the new sprite to `parent` (nullptr only for the engine).
    explicit TSprite(TSprite* parent);
    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;
    // Frees the children (last first) and leaves the parent's lists and the
    // engine's retired list.
    virtual ~TSprite();

    // Called on the sprite that asked for collisions, once per sprite it
    // touches; setting `done` ends the search.
    virtual void Collided(TSprite& other, bool& done);
    // Draws the sprite onto the engine's surface.
    virtual void Render();
    // Behaviour for one frame.
    virtual void Advance(int32_t moveCount);
    // Where the sprite lies on the screen.
    virtual TRect ScreenRect() const;
    // Finer test after the screen rectangles overlap; runs on both sides.
    virtual bool HitTest(TSprite& other);

    virtual const char* ClassName() const { return "TSprite"; }
    virtual void Describe(TFieldWriter& w) const;

    // Advance over the subtree (unless Moves is false).
    void Move(int32_t moveCount);
    // Render over the subtree in depth order (unless Visible is false).
    void Draw();
    // Tests this sprite against the engine's whole tree; returns the hits.
    int32_t CheckCollisions();
    // Marks the sprite for the engine's next FreeRetired.
    void Retire();
    // Frees every child, the last one first.
    void Clear();

    int32_t Count() const { return static_cast<int32_t>(Children_.size()); }
    // The child at `index` in order of attachment.
    TSprite* Items(int32_t index) const;

    int32_t Z() const { return Z_; }
    void SetZ(int32_t z);

    bool Retired() const { return Retired_; }
    TSprite* Parent() const { return Parent_; }
    TSpriteEngine* Engine() const { return Engine_; }
    long double AbsoluteX() const;
    long double AbsoluteY() const;

    double X = 0;
    double Y = 0;
    bool Visible = true;
    bool Moves = true;
    bool Collides = true;
    int32_t Width = 0;
    int32_t Height = 0;

private:
    void AddChild(TSprite* child);
    void RemoveChild(TSprite* child);
    void InsertByDepth(TSprite* child);
    void RemoveFromDepth(TSprite* child);
    void TestCollision(TSpriteEngine& engine);

    TSpriteEngine* Engine_ = nullptr;
    TSprite* Parent_ = nullptr;
    std::vector<TSprite*> Children_;   // owned, in order of attachment
    bool Retired_ = false;
    std::vector<TSprite*> DepthList_;  // the same children by Z ascending
    int32_t Z_ = 0;
};

// Shows one pattern of a picture and animates through its patterns.
class TImageSprite : public TSprite {
public:
    explicit TImageSprite(TSprite* parent);

    // The animation step: FramePos moves by FrameSpeed x moveCount and wraps
    // (FrameLooped) or stops on the last pattern with FrameSpeed 0.
    void Advance(int32_t moveCount) override;
    // Draws the current pattern centred in the sprite's rectangle.
    void Render() override;
    // With ImageCheck, against another image sprite: do the two drawn
    // pattern rectangles overlap? Otherwise true.
    bool HitTest(TSprite& other) override;

    const char* ClassName() const override { return "TImageSprite"; }
    void Describe(TFieldWriter& w) const override;

    // Shows `picture`, the sprite taking its size.
    void ShowPicture(TPictureItem& picture);
    // Shows `picture` and runs through all its patterns from the first, at
    // `speed` patterns per move count, once or round and round.
    void PlayAnimation(TPictureItem& picture, bool looped, double speed);

    // The pattern shown now: Trunc(FramePos) + FrameBase (-1 when out of range).
    int32_t PatternIndex() const;
    // The screen rectangle moved so that the picture is centred in it.
    TRect DrawRect() const;

    int32_t FrameCount = 0;
    bool FrameLooped = false;
    double FramePos = 0;
    double FrameSpeed = 0;
    int32_t FrameBase = 0;
    TPictureItem* Image = nullptr;
    bool ImageCheck = false;
};

// A grid of cells, each drawn with a pattern of one picture; with Wrap the
// grid repeats over the whole surface.
class TBackgroundSprite : public TSprite {
public:
    explicit TBackgroundSprite(TSprite* parent);
    ~TBackgroundSprite() override;

    void Render() override;
    TRect ScreenRect() const override;

    const char* ClassName() const override { return "TBackgroundSprite"; }
    void Describe(TFieldWriter& w) const override;

    // Resizes the grid (every cell 0 and solid); a size <= 0 empties it.
    void SetGrid(int32_t columns, int32_t rows);
    int32_t Columns() const { return Columns_; }
    int32_t Rows() const { return Rows_; }

    // Cell reads outside the grid give -1 (Cells) or false (Solid); writes
    // outside the grid do nothing. A negative cell is left empty.
    int32_t Cell(int32_t column, int32_t row) const;
    void SetCell(int32_t column, int32_t row, int32_t pattern);
    bool Solid(int32_t column, int32_t row) const;
    void SetSolid(int32_t column, int32_t row, bool solid);

    TPictureItem* Image = nullptr;
    bool Wrap = false;

private:
    bool Inside(int32_t column, int32_t row) const;
    size_t IndexOf(int32_t column, int32_t row) const;

    std::vector<uint8_t> Solid_;
    std::vector<int32_t> Cells_;
    int32_t Columns_ = 0;
    int32_t Rows_ = 0;
};

// The root of the tree: keeps the retired list, the hit-test state of the
// running collision search and the surface the sprites draw on.
class TSpriteEngine : public TSprite {
public:
    TSpriteEngine();
    ~TSpriteEngine() override;

    const char* ClassName() const override { return "TSpriteEngine"; }
    void Describe(TFieldWriter& w) const override;

    // DrawnCount := 0, then draws the tree.
    void Draw();
    // Frees every retired sprite, the last marked first.
    void FreeRetired();
    // Attaches (or with nullptr detaches) the target surface; attaching sets
    // SurfaceRect and the engine's Width and Height to the surface size.
    void SetSurface(TSurface* surface);

    TSurface* Surface() const { return Surface_; }
    const TRect& SurfaceRect() const { return SurfaceRect_; }
    int32_t SpriteCount() const { return SpriteCount_; }
    int32_t DrawnCount() const { return DrawnCount_; }
    int32_t RetiredCount() const { return static_cast<int32_t>(RetiredList_.size()); }
    int32_t HitCount() const { return HitCount_; }
    bool HitDone() const { return HitDone_; }
    const TRect& HitRect() const { return HitRect_; }
    TSprite* HitSprite() const { return HitSprite_; }

    TSpriteOwner* Owner() const { return Owner_; }
    void SetOwner(TSpriteOwner* owner) { Owner_ = owner; }

private:
    friend class TSprite;

    int32_t SpriteCount_ = 0;
    int32_t HitCount_ = 0;
    bool HitDone_ = false;
    TRect HitRect_;
    TSprite* HitSprite_ = nullptr;
    std::vector<TSprite*> RetiredList_;  // not owning, in marking order
    int32_t DrawnCount_ = 0;
    TSurface* Surface_ = nullptr;
    TRect SurfaceRect_;
    TSpriteOwner* Owner_ = nullptr;
};

// The component that owns one engine and links it to a drawing surface: the
// engine draws on the display's back surface while the display is initialised.
class TCustomSpriteEngineComponent {
public:
    explicit TCustomSpriteEngineComponent(TDisplay* display);
    TCustomSpriteEngineComponent(const TCustomSpriteEngineComponent&) = delete;
    TCustomSpriteEngineComponent& operator=(const TCustomSpriteEngineComponent&) = delete;
    virtual ~TCustomSpriteEngineComponent();

    TSpriteEngine* Engine() const { return Engine_.get(); }
    TDisplay* Display() const { return Display_; }
    // Leaves the previous display's notifications and joins the new one's.
    void SetDisplay(TDisplay* display);

    void Move(int32_t moveCount);
    // Draws the engine only while the display is assigned and initialised.
    void Draw();
    void FreeRetired();

private:
    void DisplayNotify(TDrawNotify kind, TDisplay& display);

    std::unique_ptr<TSpriteEngine> Engine_;
    TDisplay* Display_ = nullptr;
};

class TSpriteEngineComponent : public TCustomSpriteEngineComponent {
public:
    explicit TSpriteEngineComponent(TDisplay* display = nullptr) : TCustomSpriteEngineComponent(display) {}
};

}  // namespace tibo
