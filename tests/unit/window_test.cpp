// The window: the court scaled to any output by one rule, and the full-screen keys.
#include <string>
#include <vector>

#include "app/window.h"
#include "render/court.h"
#include "render/screen.h"
#include "test_support.h"

namespace {

using fake::Call;

class WindowTest : public GameTest {};

// The largest 4 : 3 area, centred; nearest-pixel from one screen pixel per court pixel up, smooth
// below.
TEST_F(WindowTest, TheCourtTakesTheLargestFourByThreeArea) {
    struct Case {
        int width, height;
        SDL_Rect area;
        SDL_ScaleMode mode;
    };
    const Case cases[] = {
        {1600, 1200, {0, 0, 1600, 1200}, SDL_ScaleModeNearest},
        {1920, 1080, {240, 0, 1440, 1080}, SDL_ScaleModeNearest},
        {2560, 1600, {213, 0, 2133, 1600}, SDL_ScaleModeNearest},
        {800, 700, {0, 50, 800, 600}, SDL_ScaleModeNearest},
        {1000, 600, {100, 0, 800, 600}, SDL_ScaleModeNearest},
        {700, 600, {0, 37, 700, 525}, SDL_ScaleModeLinear},
        {640, 480, {0, 0, 640, 480}, SDL_ScaleModeLinear},
        {1, 1, {0, 0, 1, 0}, SDL_ScaleModeLinear},
    };
    for (const Case& c : cases) {
        const SDL_Rect area = courtArea(c.width, c.height);
        EXPECT_EQ(std::vector<int>({area.x, area.y, area.w, area.h}),
                  std::vector<int>({c.area.x, c.area.y, c.area.w, c.area.h}))
            << c.width << " x " << c.height;
        EXPECT_EQ(courtScaleMode(area), c.mode) << c.width << " x " << c.height;
    }
}

// At 800 x 600 a frame is drawn as it always was; on any other output it goes through the
// court's texture into the court's area, black around it.
TEST_F(WindowTest, AFrameIsScaledOnlyOffItsOwnSize) {
    ASSERT_EQ(createCourtTexture(), 0);
    for (const bool scaled : {false, true}) {
        fake::state().outputWidth = scaled ? 1920 : 800;
        fake::state().outputHeight = scaled ? 1080 : 600;
        fitCourtToOutput();
        fake::state().calls.clear();
        renderFrame(0, 0);
        const std::vector<Call>& calls = fake::state().calls;
        ASSERT_GE(calls.size(), 5u);
        const std::vector<Call> first(calls.begin(), calls.begin() + 1);
        const std::vector<Call> last(calls.end() - 5, calls.end());
        if (scaled) {
            EXPECT_EQ(first, (std::vector<Call>{{"SDL_SetRenderTarget", {1}}}));
            EXPECT_EQ(last, (std::vector<Call>{{"SDL_SetRenderTarget", {0}},
                                               {"SDL_SetRenderDrawColor", {1, 0, 0, 0, 255}},
                                               {"SDL_RenderClear", {}},
                                               {"SDL_RenderCopy", {1, 0, 240, 0, 1440, 1080}},
                                               {"SDL_RenderPresent", {}}}));
        } else {
            EXPECT_TRUE(fake::callsNamed("SDL_SetRenderTarget").empty());
            EXPECT_TRUE(fake::callsNamed("SDL_RenderCopy").empty());
        }
    }
}

// F11 and Alt+Enter switch, Escape only leaves; held keys repeating change nothing; full screen
// refused leaves the window and the pointer as they were.
TEST_F(WindowTest, TheFullScreenKeys) {
    struct Case {
        const char* what;
        bool fullscreen;
        SDL_Keycode key;
        Uint16 mod;
        Uint8 repeat;
        bool refused;
        bool after;
        std::vector<long long> cursor; // SDL_ShowCursor's arguments
    };
    const Case cases[] = {
        {"F11 in the window", false, SDLK_F11, KMOD_NONE, 0, false, true, {SDL_DISABLE}},
        {"F11 in full screen", true, SDLK_F11, KMOD_NONE, 0, false, false, {SDL_ENABLE}},
        {"Alt+Enter", false, SDLK_RETURN, KMOD_LALT, 0, false, true, {SDL_DISABLE}},
        {"Alt+keypad Enter", true, SDLK_KP_ENTER, KMOD_RALT, 0, false, false, {SDL_ENABLE}},
        {"Enter alone", false, SDLK_RETURN, KMOD_NONE, 0, false, false, {}},
        {"Escape in full screen", true, SDLK_ESCAPE, KMOD_NONE, 0, false, false, {SDL_ENABLE}},
        {"Escape in the window", false, SDLK_ESCAPE, KMOD_NONE, 0, false, false, {}},
        {"F11 repeating", false, SDLK_F11, KMOD_NONE, 1, false, false, {}},
        {"F11 refused", false, SDLK_F11, KMOD_NONE, 0, true, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake::reset();
        fake::state().fullscreen = c.fullscreen;
        fake::state().failFullscreen = c.refused;
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = c.key;
        event.key.keysym.mod = c.mod;
        event.key.repeat = c.repeat;
        handleWindowEvent(event);
        EXPECT_EQ(fake::state().fullscreen, c.after);
        std::vector<long long> cursor;
        for (const Call& call : fake::callsNamed("SDL_ShowCursor")) {
            cursor.push_back(call.args[0]);
        }
        EXPECT_EQ(cursor, c.cursor);
    }
}

} // namespace
