// Score digits. Each glyph is a short list of filled rectangles, kept as data for the left side;
// the right side is the same moved 100 pixels to the right.
#include "render/score.h"

#include <SDL.h>

#include "app/window.h"

namespace {

constexpr int kSideOffset = 100;
constexpr int kMaxSegments = 5;

// ---------------------------------------------------------------------------------------------
// Segments of the left cell (columns 340 to 367, rows 20 to 67), 8 pixels thick
// ---------------------------------------------------------------------------------------------
constexpr SDL_Rect kLeftBar{340, 20, 8, 48};
constexpr SDL_Rect kRightBar{360, 20, 8, 48};
constexpr SDL_Rect kUpperLeftBar{340, 20, 8, 24};
constexpr SDL_Rect kLowerLeftBar{340, 44, 8, 24};
constexpr SDL_Rect kUpperRightBar{360, 20, 8, 24};
constexpr SDL_Rect kLowerRightBar{360, 44, 8, 24};
constexpr SDL_Rect kTopBar{340, 20, 28, 8};
constexpr SDL_Rect kMiddleBar{340, 40, 28, 8};
constexpr SDL_Rect kBottomBar{340, 60, 28, 8};
constexpr SDL_Rect kShortTopBar{340, 20, 20, 8};
constexpr SDL_Rect kShortBottomBar{340, 60, 20, 8};
constexpr SDL_Rect kCentreBar{350, 20, 8, 48};
constexpr SDL_Rect kTensBar{320, 20, 8, 48};

struct Glyph {
    int count;
    SDL_Rect segments[kMaxSegments];
};

// Glyphs for 0 to 10, each segment in drawing order.
constexpr Glyph kGlyphs[] = {
    {4, {kRightBar, kLeftBar, kShortTopBar, kShortBottomBar}},
    {1, {kCentreBar}},
    {5, {kUpperRightBar, kLowerLeftBar, kTopBar, kMiddleBar, kBottomBar}},
    {4, {kRightBar, kTopBar, kMiddleBar, kBottomBar}},
    {3, {kRightBar, kUpperLeftBar, kMiddleBar}},
    {5, {kLowerRightBar, kUpperLeftBar, kTopBar, kMiddleBar, kBottomBar}},
    {5, {kLowerRightBar, kLeftBar, kTopBar, kMiddleBar, kBottomBar}},
    {2, {kRightBar, kTopBar}},
    {5, {kRightBar, kLeftBar, kTopBar, kMiddleBar, kBottomBar}},
    {5, {kRightBar, kUpperLeftBar, kTopBar, kMiddleBar, kBottomBar}},
    {5, {kRightBar, kTensBar, kLeftBar, kShortTopBar, kShortBottomBar}},
};

constexpr int kGlyphCount = static_cast<int>(sizeof kGlyphs / sizeof kGlyphs[0]);

} // namespace

void renderScore(int value, int side) {
    if (value < 0 || value >= kGlyphCount) {
        return;
    }
    const int shift = kSideOffset * side;
    const Glyph& glyph = kGlyphs[value];
    for (int i = 0; i < glyph.count; ++i) {
        SDL_Rect rect = glyph.segments[i];
        rect.x += shift;
        SDL_RenderFillRect(gRenderer, &rect);
    }
}
