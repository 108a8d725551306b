// Shared set-up for the unit tests: a clean fake, a clean game state, and the paddle shape the
// program sets at start-up.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "app/shell.h"
#include "game/game.h"
#include "game/gamepad.h"
#include "game/hold.h"
#include "game/paddle.h"
#include "render/screen.h"
#include "sdl_fake.h"

namespace testing_support {

inline void resetGameState() {
    gBallX = gBallY = gBallVx = gBallVy = 0;
    gPlayerY = gOpponentY = 0;
    gPlayerOrientation = gOpponentOrientation = 0.0f;
    for (auto& paddle : gPaddleApex) {
        for (auto& corner : paddle) {
            corner[0] = corner[1] = 0;
        }
    }
    gBounceCooldown = 0;
    gHold = HoldState{};
    setPaddleShape();
    // As after a successful start-up: the fake's renderer, and every media slot holds the fake's
    // handle for that slot.
    gWindow = fake::kWindow;
    gRenderer = fake::kRenderer;
    for (int i = 0; i < kMusicCount; ++i) {
        gMus[i] = fake::musicHandle(i);
    }
    for (int i = 0; i < kSoundCount; ++i) {
        gSnd[i] = &fake::kChunks[i];
    }
}

// Runs play() for the given number of frames: after each present, perFrame sees the frame number
// (1-based); after the last one a quit event ends the loop at the next frame's event drain.
int runFrames(long long frames, const std::function<void(long long)>& perFrame = {});

} // namespace testing_support

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        closeGamepads();       // before the fake forgets the pads they are
        destroyCourtTexture(); // the court drawn unscaled again
        fake::reset();
        testing_support::resetGameState();
    }
};
