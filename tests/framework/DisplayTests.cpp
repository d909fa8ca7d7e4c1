#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Display.h"
#include "framework/Errors.h"

namespace tibo {
namespace {

class FakePresenter final : public IPresenter {
public:
    bool Present(const TSurface& s) override { ++Presented; LastPixel = s.Pixel(0, 0); return !IsLost; }
    bool Lost() const override { return IsLost; }
    bool Restore() override { ++Restores; if (CanRestore) IsLost = false; return !IsLost; }
    bool Active() const override { return IsActive; }
    bool IsLost = false, CanRestore = true, IsActive = true;
    int Presented = 0, Restores = 0;
    TDeviceColor LastPixel = 0;
};

const char* Name(TDrawNotify k) {
    switch (k) {
        case TDrawNotify::Destroying: return "Destroying";
        case TDrawNotify::Initializing: return "Initializing";
        case TDrawNotify::Initialized: return "Initialized";
        case TDrawNotify::SurfaceInitialized: return "SurfaceInitialized";
        case TDrawNotify::Finalizing: return "Finalizing";
        case TDrawNotify::SurfaceFinalizing: return "SurfaceFinalizing";
        case TDrawNotify::Restored: return "Restored";
        case TDrawNotify::SizeChanged: return "SizeChanged";
    }
    return "?";
}

TEST(DisplayTest, InitialisingWithoutAFormFails) {
    TDisplay display(nullptr);
    try {
        display.Initialize();
        FAIL();
    } catch (const EDisplayError& e) {
        EXPECT_STREQ(e.what(), "Form not found");
    }
    EXPECT_FALSE(display.Initialized());
    EXPECT_FALSE(display.CanDraw());
}

TEST(DisplayTest, NotificationsInOrderLastListenerFirst) {
    int owner = 0, first = 0, second = 0;
    std::vector<std::string> log;
    TDisplay display(&owner);
    display.OnInitialize = [&] { log.push_back("OnInitialize"); };
    display.OnFinalize = [&] { log.push_back("OnFinalize"); };
    display.RegisterNotify([&](TDrawNotify k, TDisplay&) { log.push_back(std::string("1:") + Name(k)); }, &first);
    display.RegisterNotify([&](TDrawNotify k, TDisplay&) { log.push_back(std::string("2:") + Name(k)); }, &second);
    log.clear();
    display.Initialize();
    EXPECT_EQ(log, (std::vector<std::string>{"2:Initializing", "1:Initializing", "2:SizeChanged", "1:SizeChanged",
                                             "2:Initialized", "1:Initialized", "OnInitialize", "2:SurfaceInitialized",
                                             "1:SurfaceInitialized", "2:Restored", "1:Restored"}));
    EXPECT_EQ(display.SurfaceWidth(), 640);
    EXPECT_EQ(display.SurfaceHeight(), 480);
    log.clear();
    display.Finalize();
    EXPECT_EQ(log, (std::vector<std::string>{"2:SurfaceFinalizing", "1:SurfaceFinalizing", "2:Finalizing", "1:Finalizing", "OnFinalize"}));
    EXPECT_EQ(display.Surface(), nullptr);
}

TEST(DisplayTest, LateListenersCatchUp) {
    int owner = 0, late = 0;
    std::vector<std::string> log;
    TDisplay display(&owner);
    display.Initialize();
    display.RegisterNotify([&](TDrawNotify k, TDisplay&) { log.push_back(Name(k)); }, &late);
    EXPECT_EQ(log, (std::vector<std::string>{"SizeChanged", "Initialized", "SurfaceInitialized", "Restored"}));
    log.clear();
    display.UnregisterNotify(&late);
    EXPECT_EQ(log, (std::vector<std::string>{"SurfaceFinalizing", "Finalizing"}));
    log.clear();
    display.Finalize();
    EXPECT_TRUE(log.empty()) << "an unregistered listener hears nothing more";
}

TEST(DisplayTest, FlipShowsTheBackSurfaceOnlyWhenItCan) {
    int owner = 0;
    FakePresenter presenter;
    TDisplay display(&owner);
    display.SetPresenter(&presenter);
    display.Flip();
    EXPECT_EQ(presenter.Presented, 0) << "not initialised";
    display.Initialize();
    display.Surface()->Fill(0x1234);
    display.Flip();
    EXPECT_EQ(presenter.Presented, 1);
    EXPECT_EQ(presenter.LastPixel, 0x1234u);
    EXPECT_EQ(display.FlipCount(), 1u);
    presenter.IsActive = false;
    display.Flip();
    EXPECT_EQ(presenter.Presented, 1) << "no flip while another window is active";
    presenter.IsActive = true;
    presenter.IsLost = true;
    presenter.CanRestore = false;
    EXPECT_FALSE(display.CanDraw());
    display.Flip();
    EXPECT_EQ(presenter.Presented, 1) << "nothing is shown while the device is lost";
}

TEST(DisplayTest, RestoringALostDeviceTellsTheListeners) {
    int owner = 0, listener = 0, restored = 0, callbacks = 0;
    FakePresenter presenter;
    TDisplay display(&owner);
    display.SetPresenter(&presenter);
    display.OnRestoreSurface = [&] { ++callbacks; };
    display.RegisterNotify([&](TDrawNotify k, TDisplay&) { if (k == TDrawNotify::Restored) ++restored; }, &listener);
    display.Initialize();
    EXPECT_EQ(restored, 1);
    presenter.IsLost = true;
    EXPECT_TRUE(display.CanDraw());
    EXPECT_EQ(restored, 2);
    EXPECT_EQ(callbacks, 2);
}

TEST(DisplayTest, AFailedInitialisationLeavesNothingBehind) {
    int owner = 0, listener = 0;
    std::vector<std::string> log;
    TDisplay display(&owner);
    display.OnInitialize = [] { throw EFrameworkError("boom"); };
    display.RegisterNotify([&](TDrawNotify k, TDisplay&) { log.push_back(Name(k)); }, &listener);
    log.clear();
    EXPECT_THROW(display.Initialize(), EFrameworkError);
    EXPECT_FALSE(display.Initialized());
    EXPECT_EQ(display.Surface(), nullptr);
    EXPECT_EQ(log.back(), "Finalizing") << "the partly made surface was finalised";
}

}  // namespace
}  // namespace tibo
