#pragma once
// Image lists: named pictures cut into equal patterns on their own surfaces,
// drawn with an optional transparent colour.
#include <memory>
#include <string>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/Display.h"
#include "framework/Surface.h"

namespace tibo {

class TPictureItems;

class TPictureItem {
public:
    explicit TPictureItem(TPictureItems* owner);
    TPictureItem(const TPictureItem&) = delete;
    TPictureItem& operator=(const TPictureItem&) = delete;

    const std::string& Name() const { return Name_; }
    void SetName(const std::string& name);

    TBitmap Picture;
    int PatternWidth = 0, PatternHeight = 0;
    int SkipWidth = 0, SkipHeight = 0;
    bool SystemMemory = false;
    bool Transparent = true;

    TColor TransparentColor() const { return TransparentColor_; }
    void SetTransparentColor(TColor c);

    int Width() const { return PatternWidth > 0 ? PatternWidth : Picture.Width; }
    int Height() const { return PatternHeight > 0 ? PatternHeight : Picture.Height; }
    int PatternTotal() const;
    TRect PatternRect(int index) const;          // within its pattern surface
    const TSurface* PatternSurface(int index) const;
    size_t SurfaceCount() const { return Surfaces_.size(); }

    bool Initialized() const { return Initialized_; }
    // Draws pattern `index` at (x, y); nothing unless initialised and the index is valid.
    void Draw(TSurface* dest, int x, int y, int index) const;

    // Life cycle driven by the image list's display notifications.
    void Initialize();   // release and mark initialised
    void Finalize();     // release patterns and surfaces
    void Restore(TDisplayDevice& device);  // (re)build patterns and surfaces from the picture

    uint64_t NamingOrder() const { return NamingOrder_; }

private:
    void Release();
    struct Pattern { TRect Rect; int SurfaceIndex; };

    TPictureItems* Owner_;
    std::string Name_;
    uint64_t NamingOrder_ = 0;
    TColor TransparentColor_ = 0;
    bool Initialized_ = false;
    std::vector<Pattern> Patterns_;
    std::vector<std::unique_ptr<TSurface>> Surfaces_;
};

class TPictureItems {
public:
    TPictureItems() = default;
    TPictureItems(const TPictureItems&) = delete;
    TPictureItems& operator=(const TPictureItems&) = delete;

    TPictureItem& Add();
    TPictureItem& Add(const std::string& name);
    int Count() const { return static_cast<int>(Items_.size()); }
    TPictureItem& Items(int index);
    const TPictureItem& Items(int index) const;
    // Case-insensitive; among equal names the one named last wins; raises when missing.
    TPictureItem& Find(const std::string& name);
    TPictureItem* TryFind(const std::string& name);

    uint64_t NextNamingOrder() { return ++NamingCounter_; }

private:
    std::vector<std::unique_ptr<TPictureItem>> Items_;
    uint64_t NamingCounter_ = 0;
};

class TImageList {
public:
    explicit TImageList(TDisplay* display);
    TImageList(const TImageList&) = delete;
    TImageList& operator=(const TImageList&) = delete;
    ~TImageList();

    TPictureItems Items;
    TDisplay* Display() const { return Display_; }
    void SetDisplay(TDisplay* display);

private:
    void DisplayNotify(TDrawNotify kind, TDisplay& display);
    TDisplay* Display_ = nullptr;
};

// A component holding one stored bitmap.
struct TStoredDIB {
    TBitmap DIB;
};

}  // namespace tibo
