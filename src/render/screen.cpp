// The court on the screen: drawn 1:1, or through a court-sized texture scaled by one rule.
#include "render/screen.h"

#include "app/window.h"

namespace {

SDL_Texture* gCourtTexture = nullptr;
bool gScaled = false;  // the output is not 800 × 600: the court goes through its texture
SDL_Rect gCourtRect{}; // where the court is shown on the output, when scaled

} // namespace

SDL_Rect courtArea(int width, int height) {
    SDL_Rect area{0, 0, width, height};
    // Wider than 4 : 3: the full height; otherwise the full width.
    if (width * kWindowHeight >= height * kWindowWidth) {
        area.w = height * kWindowWidth / kWindowHeight;
    } else {
        area.h = width * kWindowHeight / kWindowWidth;
    }
    area.x = (width - area.w) / 2;
    area.y = (height - area.h) / 2;
    return area;
}

SDL_ScaleMode courtScaleMode(const SDL_Rect& area) {
    return area.w < kWindowWidth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
}

int createCourtTexture() {
    gCourtTexture = SDL_CreateTexture(gRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                      kWindowWidth, kWindowHeight);
    return gCourtTexture != nullptr ? 0 : 1;
}

void destroyCourtTexture() {
    if (gCourtTexture != nullptr) {
        SDL_DestroyTexture(gCourtTexture);
        gCourtTexture = nullptr;
    }
    gScaled = false;
}

void fitCourtToOutput() {
    int width = 0;
    int height = 0;
    if (gCourtTexture == nullptr || SDL_GetRendererOutputSize(gRenderer, &width, &height) != 0) {
        gScaled = false;
        return;
    }
    gScaled = width != kWindowWidth || height != kWindowHeight;
    if (gScaled) {
        gCourtRect = courtArea(width, height);
        SDL_SetTextureScaleMode(gCourtTexture, courtScaleMode(gCourtRect));
    }
}

void beginFrame() {
    if (gScaled) {
        SDL_SetRenderTarget(gRenderer, gCourtTexture);
    }
}

void showFrame() {
    if (gScaled) {
        SDL_SetRenderTarget(gRenderer, nullptr);
        SDL_SetRenderDrawColor(gRenderer, 0, 0, 0, 255);
        SDL_RenderClear(gRenderer);
        SDL_RenderCopy(gRenderer, gCourtTexture, nullptr, &gCourtRect);
    }
    SDL_RenderPresent(gRenderer);
}
