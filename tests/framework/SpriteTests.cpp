// The sprite tree: attachment, depth order, moving, drawing, collisions,
// retiring and freeing, the animation step, image and background drawing,
// and the component that ties an engine to the drawing surface.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "framework/Display.h"
#include "framework/Errors.h"
#include "framework/ImageList.h"
#include "framework/Sprites.h"
#include "framework/Surface.h"

namespace tibo {
namespace {

using Lines = std::vector<std::string>;

// A sprite that writes what happens to it into a log.
class TProbe : public TSprite {
public:
    TProbe(TSprite* parent, Lines* log, std::string name) : TSprite(parent), Log(log), Name(std::move(name)) {}
    ~TProbe() override { Log->push_back("free " + Name); }

    void Render() override { Log->push_back("render " + Name); }
    void Advance(int32_t moveCount) override {
        Log->push_back("advance " + Name + " " + std::to_string(moveCount));
        if (OnAdvance) OnAdvance();
    }
    void Collided(TSprite& other, bool& done) override {
        Log->push_back("hit " + Name + ">" + NameOf(other));
        if (OnCollided) OnCollided(other, done);
    }
    bool HitTest(TSprite& other) override {
        if (LogHitTests) Log->push_back("test " + Name + "?" + NameOf(other));
        return AcceptHits;
    }

    static std::string NameOf(const TSprite& s) {
        const auto* p = dynamic_cast<const TProbe*>(&s);
        return p != nullptr ? p->Name : std::string(s.ClassName());
    }

    Lines* Log;
    std::string Name;
    bool AcceptHits = true;
    bool LogHitTests = false;
    std::function<void()> OnAdvance;
    std::function<void(TSprite&, bool&)> OnCollided;
};

class SpriteTree : public ::testing::Test {
protected:
    SpriteTree() {
        Surface.SetSize(64, 48);
        Engine.SetSurface(&Surface);
    }

    TProbe* Make(TSprite* parent, const std::string& name, double x = 0, double y = 0, int w = 10, int h = 10, int z = 0) {
        auto* s = new TProbe(parent, &Log, name);
        s->X = x;
        s->Y = y;
        s->Width = w;
        s->Height = h;
        s->SetZ(z);
        return s;
    }
    TProbe* Make(const std::string& name, double x = 0, double y = 0, int w = 10, int h = 10, int z = 0) {
        return Make(&Engine, name, x, y, w, h, z);
    }

    // Only the lines starting with `prefix`.
    Lines Only(const std::string& prefix) const {
        Lines out;
        for (const auto& l : Log)
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }

    Lines Log;  // outlives the engine, whose sprites log their freeing
    TDisplayDevice Device;
    TSurface Surface{&Device};
    TSpriteEngine Engine;
};

// ------------------------------------------------------------ attachment

TEST_F(SpriteTree, ConstructorAttachesToParentAndEngine) {
    EXPECT_EQ(Engine.Engine(), nullptr);
    EXPECT_EQ(Engine.Parent(), nullptr);
    TProbe* a = Make("a");
    TProbe* b = Make("b");
    TProbe* child = Make(a, "child");
    TProbe* grandchild = Make(child, "grandchild");

    EXPECT_EQ(Engine.Count(), 2);
    EXPECT_EQ(Engine.Items(0), a);
    EXPECT_EQ(Engine.Items(1), b);
    EXPECT_EQ(a->Items(0), child);
    EXPECT_EQ(child->Parent(), a);
    EXPECT_EQ(child->Engine(), &Engine);
    EXPECT_EQ(grandchild->Engine(), &Engine);
    EXPECT_EQ(Engine.SpriteCount(), 4);
    EXPECT_TRUE(a->Visible && a->Moves && a->Collides);
    EXPECT_FALSE(a->Retired());

    auto* bg = new TBackgroundSprite(&Engine);
    EXPECT_FALSE(bg->Collides);
    EXPECT_TRUE(bg->Visible && bg->Moves);
}

TEST_F(SpriteTree, AbsolutePositionAddsUpTheParents) {
    TProbe* a = Make("a", 10.5, -3);
    TProbe* b = Make(a, "b", 0.25, 7);
    TProbe* c = Make(b, "c", -20, 1);
    EXPECT_DOUBLE_EQ(static_cast<double>(c->AbsoluteX()), -9.25);
    EXPECT_DOUBLE_EQ(static_cast<double>(c->AbsoluteY()), 5.0);
    // Truncated toward zero, not rounded down.
    c->Width = 4;
    c->Height = 4;
    EXPECT_EQ(c->ScreenRect(), (TRect{-9, 5, -5, 9}));
}

TEST_F(SpriteTree, ItemsRaisesItsTwoErrors) {
    try {
        Engine.Items(3);
        FAIL() << "no error";
    } catch (const ESpriteError& e) {
        EXPECT_STREQ(e.what(), "Index of the list exceeds the range. (3)");
    }
    TProbe* a = Make("a");
    try {
        Engine.Items(5);
        FAIL() << "no error";
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (5)");
    }
    EXPECT_THROW(Engine.Items(-1), EListError);
    // When the last child leaves, the sprite has no child list again.
    a->Retire();
    Engine.FreeRetired();
    EXPECT_EQ(Engine.Count(), 0);
    EXPECT_THROW(Engine.Items(0), ESpriteError);
}

// ------------------------------------------------------------ depth order

TEST_F(SpriteTree, DrawsByDepthAndEqualDepthLaterInsertedBeneath) {
    Make("a", 0, 0, 10, 10, 1);
    Make("b", 0, 0, 10, 10, 0);
    Make("c", 0, 0, 10, 10, 1);
    Make("d", 0, 0, 10, 10, -5);
    Engine.Draw();
    EXPECT_EQ(Only("render"), (Lines{"render d", "render b", "render c", "render a"}));
    EXPECT_EQ(Engine.DrawnCount(), 4);
}

TEST_F(SpriteTree, ChangingDepthResortsAndSameValueChangesNothing) {
    TProbe* a = Make("a", 0, 0, 10, 10, 2);
    TProbe* b = Make("b", 0, 0, 10, 10, 2);  // beneath a
    Make("c", 0, 0, 10, 10, 3);
    a->SetZ(2);  // same value: order kept
    Engine.Draw();
    EXPECT_EQ(Only("render"), (Lines{"render b", "render a", "render c"}));

    Log.clear();
    a->SetZ(1);
    a->SetZ(2);  // set later than b: now a lies beneath b
    Engine.Draw();
    EXPECT_EQ(Only("render"), (Lines{"render a", "render b", "render c"}));

    Log.clear();
    b->SetZ(7);
    Engine.Draw();
    EXPECT_EQ(Only("render"), (Lines{"render a", "render c", "render b"}));
}

TEST_F(SpriteTree, ExtremeDepthsStillSortCorrectly) {
    const int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    Make("hi", 0, 0, 10, 10, hi);
    Make("zero", 0, 0, 10, 10, 0);
    Make("lo", 0, 0, 10, 10, lo);
    Make("one", 0, 0, 10, 10, 1);
    Engine.Draw();
    EXPECT_EQ(Only("render"), (Lines{"render lo", "render zero", "render one", "render hi"}));
}

TEST_F(SpriteTree, MoveFollowsAttachmentOrderDrawFollowsDepthParentsFirst) {
    TProbe* a = Make("a", 0, 0, 10, 10, 5);
    Make(a, "a1", 0, 0, 10, 10, -100);
    Make("b", 0, 0, 10, 10, 0);
    Engine.Move(10);
    EXPECT_EQ(Only("advance"), (Lines{"advance a 10", "advance a1 10", "advance b 10"}));
    Engine.Draw();
    EXPECT_EQ(Only("render"), (Lines{"render b", "render a", "render a1"}));
}

// ------------------------------------------------------------ subtree flags

TEST_F(SpriteTree, MovesFalseFreezesTheSubtree) {
    TProbe* a = Make("a");
    Make(a, "a1");
    Make("b");
    a->Moves = false;
    Engine.Move(10);
    EXPECT_EQ(Only("advance"), (Lines{"advance b 10"}));
}

TEST_F(SpriteTree, SpritesAttachedDuringMoveWaitForTheNextPass) {
    TProbe* a = Make("a");
    int made = 0;
    a->OnAdvance = [&] {
        if (made++ == 0) Make("late");
    };
    Engine.Move(10);
    EXPECT_EQ(Only("advance"), (Lines{"advance a 10"}));
    Log.clear();
    Engine.Move(10);
    EXPECT_EQ(Only("advance"), (Lines{"advance a 10", "advance late 10"}));
}

TEST_F(SpriteTree, VisibleFalseHidesTheSubtree) {
    TProbe* a = Make("a");
    Make(a, "a1");
    Make("b");
    a->Visible = false;
    Engine.Draw();
    EXPECT_EQ(Only("render"), (Lines{"render b"}));
    EXPECT_EQ(Engine.DrawnCount(), 1);
}

TEST_F(SpriteTree, OffSurfaceAndEdgeTouchingSpritesAreNotRendered) {
    Make("left", -10, 0);     // right edge on x = 0
    Make("top", 0, -10);      // bottom edge on y = 0
    Make("right", 64, 5);     // starts at the surface's right edge
    Make("below", 5, 48);
    Make("corner", -9, -9);   // one pixel inside
    TProbe* parentOff = Make("parentOff", 500, 500);
    Make(parentOff, "childOn", -495, -495);  // children are drawn even when the parent is off-screen
    Engine.Draw();
    // Equal depths: the later sprite lies beneath, so parentOff (with its child) comes first.
    EXPECT_EQ(Only("render"), (Lines{"render childOn", "render corner"}));
    EXPECT_EQ(Engine.DrawnCount(), 2);
    Engine.Draw();
    EXPECT_EQ(Engine.DrawnCount(), 2);  // counted afresh each time
}

TEST_F(SpriteTree, SurfaceAttachAndDetach) {
    EXPECT_EQ(Engine.SurfaceRect(), (TRect{0, 0, 64, 48}));
    EXPECT_EQ(Engine.Width, 64);
    EXPECT_EQ(Engine.Height, 48);
    Engine.SetSurface(nullptr);
    EXPECT_EQ(Engine.Surface(), nullptr);
    EXPECT_EQ(Engine.SurfaceRect(), (TRect{0, 0, 64, 48}));  // the last size stays

    Lines log;
    TSpriteEngine fresh;
    auto* s = new TProbe(&fresh, &log, "s");
    s->Width = s->Height = 10;
    fresh.Draw();  // no surface was ever attached: nothing is on screen
    EXPECT_EQ(fresh.DrawnCount(), 0);
    EXPECT_TRUE(log.empty());
    s->Retire();
    fresh.FreeRetired();
}

// ------------------------------------------------------------ collisions

TEST_F(SpriteTree, CollisionsRunInTreeOrderAndIncludeOwnChildren) {
    TProbe* hero = Make("hero", 0, 0, 10, 10);
    Make(hero, "shield", 2, 2, 4, 4);
    TProbe* b = Make("b", 5, 5);
    Make(b, "b1", 0, 0, 3, 3);
    Make("far", 30, 30);
    Make("touching", 10, 0);  // shares only an edge
    EXPECT_EQ(hero->CheckCollisions(), 3);
    EXPECT_EQ(Only("hit"), (Lines{"hit hero>shield", "hit hero>b", "hit hero>b1"}));
    EXPECT_EQ(Engine.HitSprite(), hero);
    EXPECT_EQ(Engine.HitRect(), hero->ScreenRect());
    EXPECT_EQ(Engine.CheckCollisions(), 0);  // the engine has no engine
}

TEST_F(SpriteTree, CollidesFalseRemovesSubtreeAndStopsTheAsker) {
    TProbe* hero = Make("hero");
    TProbe* a = Make("a");
    Make(a, "a1");
    Make("b");
    a->Collides = false;
    EXPECT_EQ(hero->CheckCollisions(), 1);
    EXPECT_EQ(Only("hit"), (Lines{"hit hero>b"}));
    hero->Collides = false;
    EXPECT_EQ(hero->CheckCollisions(), 0);

    TProbe* ghost = Make("ghost");
    ghost->Retire();
    EXPECT_EQ(ghost->CheckCollisions(), 0);  // a retired sprite asks no more
}

TEST_F(SpriteTree, HitTestRunsOnBothSidesBeforeCollided) {
    TProbe* hero = Make("hero");
    TProbe* a = Make("a");
    TProbe* b = Make("b");
    hero->LogHitTests = a->LogHitTests = b->LogHitTests = true;
    b->AcceptHits = false;
    EXPECT_EQ(hero->CheckCollisions(), 1);
    EXPECT_EQ(Log, (Lines{"test hero?a", "test a?hero", "hit hero>a", "test hero?b", "test b?hero"}));
    Log.clear();
    hero->AcceptHits = false;
    EXPECT_EQ(hero->CheckCollisions(), 0);
    EXPECT_EQ(Log, (Lines{"test hero?a", "test hero?b"}));
}

TEST_F(SpriteTree, DoneEndsTheSearch) {
    TProbe* hero = Make("hero");
    Make("a");
    Make("b");
    hero->OnCollided = [](TSprite&, bool& done) { done = true; };
    EXPECT_EQ(hero->CheckCollisions(), 1);
    EXPECT_EQ(Only("hit"), (Lines{"hit hero>a"}));
}

TEST_F(SpriteTree, RetiringItselfInCollidedEndsTheSearch) {
    TProbe* hero = Make("hero");
    TProbe* a = Make("a");
    Make(a, "a1");
    Make("b");
    int calls = 0;
    hero->OnCollided = [&](TSprite&, bool&) {
        if (++calls == 2) hero->Retire();
    };
    EXPECT_EQ(hero->CheckCollisions(), 2);
    EXPECT_EQ(Only("hit"), (Lines{"hit hero>a", "hit hero>a1"}));
    EXPECT_TRUE(Engine.HitDone());
}

TEST_F(SpriteTree, ClearingCollidesInCollidedEndsTheSearch) {
    TProbe* hero = Make("hero");
    Make("a");
    Make("b");
    hero->OnCollided = [&](TSprite&, bool&) { hero->Collides = false; };
    EXPECT_EQ(hero->CheckCollisions(), 1);
    EXPECT_EQ(Only("hit"), (Lines{"hit hero>a"}));
}

TEST_F(SpriteTree, RetiredSpritesAreStillFound) {
    TProbe* hero = Make("hero");
    TProbe* a = Make("a");
    a->Retire();
    EXPECT_EQ(hero->CheckCollisions(), 1);
}

TEST_F(SpriteTree, SpriteMadeInCollidedIsNotTestedInTheSameSearch) {
    TProbe* hero = Make("hero");
    Make("a");
    bool made = false;
    hero->OnCollided = [&](TSprite&, bool&) {
        if (!made) {
            made = true;
            Make("label");  // lies on the hero, like a score label
        }
    };
    EXPECT_EQ(hero->CheckCollisions(), 1);
    EXPECT_EQ(Only("hit"), (Lines{"hit hero>a"}));
    Log.clear();
    EXPECT_EQ(hero->CheckCollisions(), 2);
    EXPECT_EQ(Only("hit"), (Lines{"hit hero>a", "hit hero>label"}));
}

// ------------------------------------------------------------ retiring and freeing

TEST_F(SpriteTree, RetireTwiceListsOnceAndEmptyFreeDoesNothing) {
    Engine.FreeRetired();
    TProbe* a = Make("a");
    a->Retire();
    a->Retire();
    EXPECT_TRUE(a->Retired());
    EXPECT_EQ(Engine.RetiredCount(), 1);
    Engine.Retire();  // the engine has no engine: nothing happens
    EXPECT_FALSE(Engine.Retired());
    Engine.FreeRetired();
    EXPECT_EQ(Only("free"), (Lines{"free a"}));
    EXPECT_EQ(Engine.SpriteCount(), 0);
    EXPECT_EQ(Engine.RetiredCount(), 0);
    Engine.FreeRetired();
}

TEST_F(SpriteTree, FreeRetiredFreesLastMarkedFirstWithChildrenLastFirst) {
    TProbe* a = Make("a");
    TProbe* b = Make("b");
    Make(b, "b1");
    Make(b, "b2");
    TProbe* c = Make("c");
    a->Retire();
    b->Retire();
    c->Retire();
    Engine.FreeRetired();
    // A sprite's own destructor runs before it frees its children, the last first.
    EXPECT_EQ(Only("free"), (Lines{"free c", "free b", "free b2", "free b1", "free a"}));
    EXPECT_EQ(Engine.SpriteCount(), 0);
    EXPECT_EQ(Engine.Count(), 0);
}

TEST_F(SpriteTree, RetiredChildGoesWithItsParentOnce) {
    TProbe* a = Make("a");
    TProbe* a1 = Make(a, "a1");
    TProbe* b = Make("b");
    TProbe* b1 = Make(b, "b1");
    a1->Retire();
    a->Retire();  // child first, then parent
    b->Retire();
    b1->Retire();  // parent first, then child
    Engine.FreeRetired();
    EXPECT_EQ(Only("free"), (Lines{"free b1", "free b", "free a", "free a1"}));
    EXPECT_EQ(Engine.SpriteCount(), 0);
}

TEST_F(SpriteTree, SpriteFreedDirectlyLeavesTheRetiredList) {
    TProbe* a = Make("a");
    TProbe* b = Make(a, "b");
    b->Retire();
    delete a;  // frees b as well
    EXPECT_EQ(Engine.RetiredCount(), 0);
    Engine.FreeRetired();
    EXPECT_EQ(Only("free"), (Lines{"free a", "free b"}));
    EXPECT_EQ(Engine.SpriteCount(), 0);
}

TEST_F(SpriteTree, RetiringEveryChildByIndexEmptiesTheEngine) {
    for (int i = 0; i < 5; ++i) Make(Make("s" + std::to_string(i)), "c" + std::to_string(i));
    EXPECT_EQ(Engine.SpriteCount(), 10);
    const int32_t count = Engine.Count();
    for (int32_t i = 0; i < count; ++i) Engine.Items(i)->Retire();  // retiring does not shorten the list
    Engine.FreeRetired();
    EXPECT_EQ(Engine.Count(), 0);
    EXPECT_EQ(Engine.SpriteCount(), 0);
    EXPECT_EQ(Only("free").size(), 10u);
}

TEST(SpriteEngineLife, EngineFreesTheWholeTreeLastFirst) {
    Lines log;
    {
        TSpriteEngine engine;
        auto* a = new TProbe(&engine, &log, "a");
        new TProbe(a, &log, "a1");
        (new TProbe(&engine, &log, "b"))->Retire();
    }
    EXPECT_EQ(log, (Lines{"free b", "free a", "free a1"}));
}

TEST(SpriteEngineLife, TreeWithoutEngineCannotRetire) {
    Lines log;
    TProbe root(nullptr, &log, "root");
    auto* child = new TProbe(&root, &log, "child");
    EXPECT_EQ(child->Engine(), nullptr);
    child->Retire();
    EXPECT_FALSE(child->Retired());
    EXPECT_EQ(child->CheckCollisions(), 0);
}

// ------------------------------------------------------------ animation

TEST(ImageSpriteAnimation, OneShotStopsOnLastPattern) {
    TSpriteEngine engine;
    auto* s = new TImageSprite(&engine);
    s->FrameCount = 5;
    s->FrameSpeed = 0.015;
    int firstAtFour = 0;
    for (int frame = 1; frame <= 40; ++frame) {
        engine.Move(10);
        if (firstAtFour == 0 && s->PatternIndex() == 4) firstAtFour = frame;
    }
    EXPECT_EQ(firstAtFour, 27);
    EXPECT_EQ(s->FramePos, 4.0);
    EXPECT_EQ(s->FrameSpeed, 0.0);
}

TEST(ImageSpriteAnimation, NonLoopedClampsAtBothEnds) {
    TSpriteEngine engine;
    auto* s = new TImageSprite(&engine);
    s->FrameSpeed = 0.02;  // FrameCount 0
    s->Advance(10);
    EXPECT_EQ(s->FramePos, 0.0);
    EXPECT_EQ(s->FrameSpeed, 0.0);

    s->FrameCount = 3;
    s->FramePos = 0.5;
    s->FrameSpeed = -0.1;
    s->Advance(10);
    EXPECT_EQ(s->FramePos, 0.0);
    EXPECT_EQ(s->FrameSpeed, 0.0);
}

TEST(ImageSpriteAnimation, LoopedWrapsBothWays) {
    TSpriteEngine engine;
    auto* s = new TImageSprite(&engine);
    s->FrameLooped = true;
    s->FrameCount = 4;
    s->FramePos = 3.9;
    s->FrameSpeed = 0.015;
    s->Advance(10);
    EXPECT_NEAR(s->FramePos, 0.05, 1e-12);
    EXPECT_EQ(s->FrameSpeed, 0.015);

    s->FramePos = 0.1;
    s->FrameSpeed = -0.03;
    s->Advance(10);
    EXPECT_NEAR(s->FramePos, 3.8, 1e-12);

    s->FramePos = 0;
    s->FrameSpeed = 1.05;  // many patterns in one step
    s->Advance(10);
    EXPECT_NEAR(s->FramePos, 2.5, 1e-12);

    s->FramePos = 1e300;  // beyond any whole quotient: still lands inside the loop
    s->FrameSpeed = 0;
    s->Advance(10);
    EXPECT_GE(s->FramePos, 0.0);
    EXPECT_LT(s->FramePos, 4.0);

    s->FrameCount = 0;
    s->FramePos = 2.5;
    s->Advance(10);
    EXPECT_EQ(s->FramePos, 0.0);
}

// ------------------------------------------------------------ pictures

constexpr TColor Red = 0xF80000, Green = 0x00FC00, Blue = 0x0000F8, White = 0xF8FCF8, Grey = 0x808080;
constexpr TColor Backdrop = 0x101010;

// Builds a picture of equal patterns in one row, each filled with its colour.
TPictureItem& MakePicture(TPictureItems& items, TDisplayDevice& device, const std::string& name, int pw, int ph,
                          const std::vector<TColor>& colours) {
    TPictureItem& item = items.Add(name);
    const int n = static_cast<int>(colours.size());
    item.Picture.Resize(pw * n, ph);
    for (int i = 0; i < n; ++i)
        for (int y = 0; y < ph; ++y)
            for (int x = 0; x < pw; ++x)
                item.Picture.Pixels[static_cast<size_t>(y * pw * n + i * pw + x)] = colours[static_cast<size_t>(i)];
    item.PatternWidth = pw;
    item.PatternHeight = ph;
    item.Transparent = false;
    item.Initialize();
    item.Restore(device);
    return item;
}

class SpritePictures : public ::testing::Test {
protected:
    SpritePictures() {
        Surface.SetSize(20, 16);
        Surface.Fill(ToRgb565(Backdrop));
        Engine.SetSurface(&Surface);
    }
    TColor At(int x, int y) const { return FromRgb565(static_cast<uint16_t>(Surface.Pixel(x, y))); }
    static TColor Device(TColor c) { return FromRgb565(ToRgb565(c)); }

    TImageSprite* MakeImageSprite(TPictureItem* image, double x, double y, int w, int h) {
        auto* s = new TImageSprite(&Engine);
        s->Image = image;
        s->X = x;
        s->Y = y;
        s->Width = w;
        s->Height = h;
        return s;
    }

    TDisplayDevice Device_;
    TSurface Surface{&Device_};
    TPictureItems Items;
    TSpriteEngine Engine;
};

TEST_F(SpritePictures, ImageSpriteDrawsItsPatternCentred) {
    TPictureItem& pic = MakePicture(Items, Device_, "Quad", 4, 4, {Red, Green, Blue});
    TImageSprite* s = MakeImageSprite(&pic, 2, 3, 8, 9);  // picture offset by (2, 2)
    s->FramePos = 0.7;
    s->FrameBase = 1;  // pattern 1: green
    Engine.Draw();
    EXPECT_EQ(s->DrawRect(), (TRect{4, 5, 12, 14}));
    EXPECT_EQ(At(3, 5), Device(Backdrop));
    EXPECT_EQ(At(4, 5), Device(Green));
    EXPECT_EQ(At(7, 8), Device(Green));
    EXPECT_EQ(At(8, 8), Device(Backdrop));
    EXPECT_EQ(At(4, 9), Device(Backdrop));

    s->FramePos = 1.99;  // pattern 2: blue
    Engine.Draw();
    EXPECT_EQ(At(4, 5), Device(Blue));
    s->FramePos = 2.0;  // pattern 3 does not exist: nothing drawn
    Surface.Fill(ToRgb565(Backdrop));
    Engine.Draw();
    EXPECT_EQ(At(4, 5), Device(Backdrop));
    EXPECT_EQ(Engine.DrawnCount(), 1);
}

TEST_F(SpritePictures, CentringTruncatesTowardZero) {
    TPictureItem& pic = MakePicture(Items, Device_, "Quad", 4, 4, {Red});
    TImageSprite* s = MakeImageSprite(&pic, 10, 10, 1, 2);
    // (1 - 4) div 2 = -1 and (2 - 4) div 2 = -1.
    EXPECT_EQ(s->DrawRect(), (TRect{9, 9, 10, 11}));
    Engine.Draw();
    EXPECT_EQ(At(9, 9), Device(Red));
    EXPECT_EQ(At(12, 12), Device(Red));
    EXPECT_EQ(At(13, 13), Device(Backdrop));
}

TEST_F(SpritePictures, ColourKeyedPixelsAreSkipped) {
    TPictureItem& pic = MakePicture(Items, Device_, "Keyed", 4, 4, {Red});
    pic.Picture.Pixels[5] = White;  // (1, 1)
    pic.Transparent = true;
    pic.SetTransparentColor(White);
    pic.Restore(Device_);
    MakeImageSprite(&pic, 0, 0, 4, 4);
    Engine.Draw();
    EXPECT_EQ(At(0, 0), Device(Red));
    EXPECT_EQ(At(1, 1), Device(Backdrop));
}

TEST_F(SpritePictures, SpriteWithoutPictureDrawsNothingAndHitsByRectangle) {
    TPictureItem& pic = MakePicture(Items, Device_, "Quad", 4, 4, {Red});
    TImageSprite* blank = MakeImageSprite(nullptr, 0, 0, 8, 8);
    TImageSprite* other = MakeImageSprite(&pic, 6, 6, 4, 4);
    blank->ImageCheck = true;
    Engine.Draw();
    EXPECT_EQ(At(0, 0), Device(Backdrop));
    EXPECT_TRUE(blank->HitTest(*other));
    EXPECT_EQ(blank->CheckCollisions(), 1);
}

TEST_F(SpritePictures, RenderWithoutSurfaceDrawsNothing) {
    TPictureItem& pic = MakePicture(Items, Device_, "Quad", 4, 4, {Red});
    MakeImageSprite(&pic, 0, 0, 4, 4);
    Engine.SetSurface(nullptr);
    Engine.Draw();  // the last surface rectangle still says "on screen"
    EXPECT_EQ(At(0, 0), Device(Backdrop));
}

TEST_F(SpritePictures, ImageCheckComparesTheDrawnPatterns) {
    TPictureItem& pic = MakePicture(Items, Device_, "Anim", 4, 4, {Red, Green, Blue});
    // Large sprite rectangles, small centred pictures.
    TImageSprite* a = MakeImageSprite(&pic, 0, 0, 12, 12);   // picture at (4, 4)
    TImageSprite* b = MakeImageSprite(&pic, 10, 0, 12, 12);  // picture at (14, 4)
    a->ImageCheck = b->ImageCheck = true;
    EXPECT_TRUE(OverlapRect(a->ScreenRect(), b->ScreenRect()));
    EXPECT_FALSE(a->HitTest(*b));
    EXPECT_EQ(a->CheckCollisions(), 0);

    for (int pa = 0; pa < 3; ++pa) {
        for (int pb = 0; pb < 3; ++pb) {
            a->FramePos = pa;
            b->FramePos = pb;
            b->X = 3;  // pictures at (4, 4) and (7, 4): one column shared
            EXPECT_TRUE(a->HitTest(*b)) << pa << "," << pb;
            EXPECT_TRUE(b->HitTest(*a)) << pa << "," << pb;
            EXPECT_EQ(a->CheckCollisions(), 1);
            b->X = 4;  // pictures only touch
            EXPECT_FALSE(a->HitTest(*b)) << pa << "," << pb;
        }
    }

    // Without ImageCheck, or against a sprite that is no image sprite, only the rectangles count.
    b->X = 10;
    a->ImageCheck = false;
    EXPECT_TRUE(a->HitTest(*b));
    EXPECT_FALSE(b->HitTest(*a));
    TSprite plain(&Engine);
    EXPECT_TRUE(b->HitTest(plain));
}

TEST_F(SpritePictures, ImageCheckWithAMissingPatternNeverHits) {
    TPictureItem& pic = MakePicture(Items, Device_, "Anim", 4, 4, {Red, Green});
    TImageSprite* a = MakeImageSprite(&pic, 0, 0, 4, 4);
    TImageSprite* b = MakeImageSprite(&pic, 1, 1, 4, 4);
    a->ImageCheck = true;
    a->FrameBase = 5;  // no such pattern: nothing is drawn, nothing can hit
    EXPECT_FALSE(a->HitTest(*b));
}

// ------------------------------------------------------------ backgrounds

TEST(BackgroundGrid, SetGridResetsAndOutsideReadsAreEmpty) {
    TSpriteEngine engine;
    auto* bg = new TBackgroundSprite(&engine);
    bg->SetGrid(3, 2);
    EXPECT_EQ(bg->Columns(), 3);
    EXPECT_EQ(bg->Rows(), 2);
    EXPECT_EQ(bg->Cell(2, 1), 0);
    EXPECT_TRUE(bg->Solid(2, 1));
    bg->SetCell(2, 1, 7);
    bg->SetSolid(2, 1, false);
    bg->SetGrid(3, 2);  // same size: kept
    EXPECT_EQ(bg->Cell(2, 1), 7);
    EXPECT_FALSE(bg->Solid(2, 1));
    bg->SetGrid(2, 3);  // new size: reset
    EXPECT_EQ(bg->Cell(1, 2), 0);
    EXPECT_TRUE(bg->Solid(1, 2));

    for (auto [c, r] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 3}}) {
        EXPECT_EQ(bg->Cell(c, r), -1);
        EXPECT_FALSE(bg->Solid(c, r));
        bg->SetCell(c, r, 4);  // ignored
    }
    bg->SetGrid(5, 0);
    EXPECT_EQ(bg->Columns(), 0);
    EXPECT_EQ(bg->Rows(), 0);
    EXPECT_EQ(bg->Cell(0, 0), -1);
}

TEST_F(SpritePictures, BackgroundScreenRect) {
    auto* bg = new TBackgroundSprite(&Engine);
    bg->X = -5.5;
    bg->Y = 3;
    bg->SetGrid(3, 2);
    EXPECT_EQ(bg->ScreenRect(), TRect{});  // no picture
    TPictureItem& pic = MakePicture(Items, Device_, "Tile", 4, 3, {Red});
    bg->Image = &pic;
    EXPECT_EQ(bg->ScreenRect(), (TRect{-5, 3, 7, 9}));
    bg->Wrap = true;
    EXPECT_EQ(bg->ScreenRect(), Engine.SurfaceRect());
}

// The colour every pixel should get, worked out per pixel: the grid cell
// under it (wrapped or not) and that cell's pattern colour.
class BackgroundDrawing : public SpritePictures, public ::testing::WithParamInterface<std::tuple<double, double, bool>> {
protected:
    void Check() {
        const auto [x, y, wrap] = GetParam();
        const std::vector<TColor> colours{Red, Green, Blue, White};
        TPictureItem& pic = MakePicture(Items, Device_, "Tile", 3, 2, colours);
        auto* bg = new TBackgroundSprite(&Engine);
        bg->Image = &pic;
        bg->SetGrid(3, 2);
        const int pattern[2][3] = {{0, 1, -1}, {2, 3, 1}};  // -1: an empty cell
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c) bg->SetCell(c, r, pattern[r][c]);
        bg->X = x;
        bg->Y = y;
        bg->Wrap = wrap;
        Engine.Draw();
        const long x0 = static_cast<long>(std::trunc(x)), y0 = static_cast<long>(std::trunc(y));
        for (int py = 0; py < Surface.Height(); ++py) {
            for (int px = 0; px < Surface.Width(); ++px) {
                long c = static_cast<long>(std::floor((px - x0) / 3.0));
                long r = static_cast<long>(std::floor((py - y0) / 2.0));
                TColor want = Backdrop;
                if (wrap) {
                    c = ((c % 3) + 3) % 3;
                    r = ((r % 2) + 2) % 2;
                }
                if (c >= 0 && c < 3 && r >= 0 && r < 2 && pattern[r][c] >= 0)
                    want = colours[static_cast<size_t>(pattern[r][c])];
                ASSERT_EQ(At(px, py), Device(want)) << "pixel " << px << "," << py;
            }
        }
    }
};

TEST_P(BackgroundDrawing, EveryPixelShowsTheCellUnderIt) { Check(); }

INSTANTIATE_TEST_SUITE_P(Positions, BackgroundDrawing,
                         ::testing::Values(std::tuple{0.0, 0.0, false}, std::tuple{5.0, 4.0, false},
                                           std::tuple{-4.0, -3.0, false}, std::tuple{-1.7, 1.9, false},
                                           std::tuple{19.0, 15.0, false}, std::tuple{-9.0, -4.0, false},
                                           std::tuple{0.0, 0.0, true}, std::tuple{5.0, 4.0, true},
                                           std::tuple{-4.0, -3.0, true}, std::tuple{-1.7, 1.9, true},
                                           std::tuple{1003.0, -771.0, true}, std::tuple{-100001.0, 50001.0, true}));

TEST_F(SpritePictures, WrappedLogoCoversTheScreen) {
    // Like the intro: one big cell picture repeated over a grid as large as the picture.
    TPictureItem& pic = MakePicture(Items, Device_, "Logo", 7, 5, {Grey});
    pic.Picture.Pixels[0] = Red;  // the picture's top-left corner
    pic.Restore(Device_);
    auto* logo = new TBackgroundSprite(&Engine);
    logo->Image = &pic;
    logo->SetGrid(7, 5);
    logo->Wrap = true;
    for (int frame = 0; frame < 12; ++frame) {
        Surface.Fill(ToRgb565(Backdrop));
        Engine.Draw();
        for (int py = 0; py < Surface.Height(); ++py)
            for (int px = 0; px < Surface.Width(); ++px) {
                const bool corner = (px - frame) % 7 == 0 && (py - frame) % 5 == 0;
                ASSERT_EQ(At(px, py), Device(corner ? Red : Grey)) << frame << ": " << px << "," << py;
            }
        logo->X += 1;
        logo->Y += 1;
    }
}

TEST_F(SpritePictures, BackgroundWithoutPictureOrGridDrawsNothing) {
    TPictureItem& pic = MakePicture(Items, Device_, "Tile", 3, 2, {Red});
    auto* bg = new TBackgroundSprite(&Engine);
    bg->Wrap = true;
    bg->SetGrid(2, 2);
    Engine.Draw();  // no picture
    bg->Image = &pic;
    bg->SetGrid(0, 0);
    Engine.Draw();  // no grid
    TPictureItems others;
    TPictureItem& unbuilt = others.Add("Unbuilt");  // no patterns made yet
    unbuilt.Picture.Resize(3, 2, Red);
    bg->Image = &unbuilt;
    bg->SetGrid(2, 2);
    Engine.Draw();
    EXPECT_EQ(At(0, 0), Device(Backdrop));
    EXPECT_EQ(At(19, 15), Device(Backdrop));
}

// ------------------------------------------------------------ field listing

class TNameCollector : public TFieldWriter {
public:
    void Field(std::string_view name, int64_t) override { Names.emplace_back(name); }
    void Field(std::string_view name, double) override { Names.emplace_back(name); }
    void Field(std::string_view name, bool) override { Names.emplace_back(name); }
    void Field(std::string_view name, std::string_view value) override {
        Names.emplace_back(name);
        Texts.emplace_back(value);
    }
    using TFieldWriter::Field;
    Lines Names, Texts;
};

TEST(SpriteDescription, ClassesNameThemselvesAndTheirFields) {
    TPictureItems items;
    TSpriteEngine engine;
    auto* image = new TImageSprite(&engine);
    auto* bg = new TBackgroundSprite(&engine);
    const Lines base{"X", "Y", "Z", "Visible", "Retired", "Moves", "Collides", "Width", "Height"};

    EXPECT_STREQ(engine.ClassName(), "TSpriteEngine");
    EXPECT_STREQ(image->ClassName(), "TImageSprite");
    EXPECT_STREQ(bg->ClassName(), "TBackgroundSprite");
    EXPECT_STREQ(TSprite(&engine).ClassName(), "TSprite");

    TNameCollector imageFields;
    image->Image = &items.Add("OminoDx0");
    image->Describe(imageFields);
    Lines want = base;
    want.insert(want.end(), {"FrameCount", "FrameLooped", "FramePos", "FrameSpeed", "FrameBase", "Image", "ImageCheck"});
    EXPECT_EQ(imageFields.Names, want);
    EXPECT_EQ(imageFields.Texts, (Lines{"OminoDx0"}));

    TNameCollector bgFields;
    bg->Describe(bgFields);
    want = base;
    want.insert(want.end(), {"Columns", "Rows", "Wrap", "Image"});
    EXPECT_EQ(bgFields.Names, want);
    EXPECT_EQ(bgFields.Texts, (Lines{""}));
}

// ------------------------------------------------------------ the component

class SpriteComponent : public ::testing::Test {
protected:
    const int FormTag = 0;  // stands for the form the display sits on
    Lines Log;
};

TEST_F(SpriteComponent, FollowsTheDisplaysSurface) {
    TDisplay display(&FormTag, 64, 48);
    TSpriteEngineComponent component(&display);
    auto* s = new TProbe(component.Engine(), &Log, "s");
    s->Width = s->Height = 10;

    component.Draw();  // not initialised yet
    EXPECT_EQ(component.Engine()->Surface(), nullptr);
    EXPECT_TRUE(Log.empty());

    display.Initialize();
    EXPECT_EQ(component.Engine()->Surface(), display.Surface());
    EXPECT_EQ(component.Engine()->Width, 64);
    component.Move(10);
    component.Draw();
    EXPECT_EQ(Log, (Lines{"advance s 10", "render s"}));

    display.Finalize();
    EXPECT_EQ(component.Engine()->Surface(), nullptr);
    Log.clear();
    component.Draw();
    EXPECT_TRUE(Log.empty());

    s->Retire();
    component.FreeRetired();
    EXPECT_EQ(Log, (Lines{"free s"}));
    EXPECT_EQ(component.Engine()->Count(), 0);
}

TEST_F(SpriteComponent, JoiningAnInitialisedDisplayTakesItsSurface) {
    TDisplay first(&FormTag, 32, 24), second(&FormTag, 16, 8);
    first.Initialize();
    second.Initialize();
    TSpriteEngineComponent component(&first);
    EXPECT_EQ(component.Engine()->Surface(), first.Surface());
    component.SetDisplay(&second);
    EXPECT_EQ(component.Engine()->Surface(), second.Surface());
    EXPECT_EQ(component.Engine()->SurfaceRect(), (TRect{0, 0, 16, 8}));
    first.Finalize();  // no longer listened to
    EXPECT_EQ(component.Engine()->Surface(), second.Surface());
    component.SetDisplay(nullptr);
    EXPECT_EQ(component.Engine()->Surface(), nullptr);
}

TEST_F(SpriteComponent, DisplayGoingFirstOrComponentGoingFirst) {
    auto component = std::make_unique<TSpriteEngineComponent>();
    {
        TDisplay display(&FormTag, 32, 24);
        component->SetDisplay(&display);
        display.Initialize();
    }
    EXPECT_EQ(component->Display(), nullptr);
    EXPECT_EQ(component->Engine()->Surface(), nullptr);
    component->Draw();

    TDisplay display(&FormTag, 32, 24);
    component->SetDisplay(&display);
    new TProbe(component->Engine(), &Log, "s");
    component.reset();  // leaves the display's listeners
    EXPECT_EQ(Log, (Lines{"free s"}));
    display.Initialize();
    display.Finalize();
}

}  // namespace
}  // namespace tibo
