// A long deterministic run of the real frame loop with scripted keys: the state must stay within
// its bounds on every frame. QUORVIX_LONG_RUN_FRAMES overrides the number of frames per seed and
// QUORVIX_LONG_RUN_SEEDS (space-separated) the seeds; the soak tests use both.
#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "game/match.h"
#include "test_support.h"

namespace {

long long framesPerSeed() {
    const char* value = std::getenv("QUORVIX_LONG_RUN_FRAMES");
    return value != nullptr ? std::atoll(value) : 1'000'000;
}

std::vector<unsigned> seeds() {
    const char* value = std::getenv("QUORVIX_LONG_RUN_SEEDS");
    std::vector<unsigned> out;
    std::istringstream words(value != nullptr ? value : "1 2");
    unsigned seed = 0;
    while (words >> seed) {
        out.push_back(seed);
    }
    return out;
}

// The fastest the ball can go, squared (42562): an acceleration starts only at a squared speed of
// at most 39999, and makes each component 3 per cent larger, to the nearest integer with halves
// away from zero. For each x component the largest y component under that bound gives the most.
constexpr long long topSquaredSpeed() {
    long long top = 0;
    for (long long vx = 0, vy = 199; vx * vx <= 39999; ++vx) {
        while (vx * vx + vy * vy > 39999) {
            --vy;
        }
        const long long ax = (103 * vx + 50) / 100;
        const long long ay = (103 * vy + 50) / 100;
        top = std::max(top, ax * ax + ay * ay);
    }
    return top;
}
constexpr long long kTopSquaredSpeed = topSquaredSpeed();

struct Tally {
    long long frames = 0;
    long long maxSquaredSpeed = 0;
};

// Plays with a player who mostly follows the ball and sometimes mashes random arrows, holding each
// choice for a random number of frames.
Tally playSeed(unsigned seed, long long frames) {
    fake::reset();
    testing_support::resetGameState();
    fake::state().record = false;
    std::mt19937 random(seed);
    long long holdUntil = 0;
    bool attentive = true;
    Tally tally;

    testing_support::runFrames(frames, [&](long long frame) {
        ++tally.frames;
        // Bounds that hold on every frame.
        ASSERT_GE(gBallY, 160) << "frame " << frame;
        ASSERT_LE(gBallY, 5840) << "frame " << frame;
        ASSERT_GE(gOpponentY, 517) << "frame " << frame;
        ASSERT_LE(gOpponentY, 5483) << "frame " << frame;
        ASSERT_GE(gPlayerY, 640) << "frame " << frame;
        ASSERT_LE(gPlayerY, 5359) << "frame " << frame;
        ASSERT_LE(gPlayerOrientation, 0.78539997f) << "frame " << frame;
        ASSERT_GE(gPlayerOrientation, -0.78539997f) << "frame " << frame;
        ASSERT_EQ(gOpponentOrientation, 0.0f);
        const long long squared = 1LL * gBallVx * gBallVx + 1LL * gBallVy * gBallVy;
        ASSERT_LE(squared, kTopSquaredSpeed) << "frame " << frame;
        ASSERT_GE(gBounceCooldown, 0);
        ASSERT_LE(gBounceCooldown, 20);
        tally.maxSquaredSpeed = std::max(tally.maxSquaredSpeed, squared);

        Uint8* keys = fake::state().keys;
        if (frame >= holdUntil) {
            holdUntil = frame + 1 + static_cast<long long>(random() % 40);
            attentive = random() % 4 != 0;
            keys[SDL_SCANCODE_RIGHT] = random() % 5 == 0;
            keys[SDL_SCANCODE_LEFT] = random() % 5 == 0;
            keys[SDL_SCANCODE_UP] = random() % 3 == 0;
            keys[SDL_SCANCODE_DOWN] = random() % 3 == 0;
        }
        if (attentive) {
            keys[SDL_SCANCODE_UP] = gBallY < gPlayerY - 200;
            keys[SDL_SCANCODE_DOWN] = gBallY > gPlayerY + 200;
        }
    });
    return tally;
}

TEST(LongRun, StateStaysInBoundsThroughAMillionFrames) {
    const long long frames = framesPerSeed();
    const std::vector<unsigned> chosen = seeds();
    ASSERT_FALSE(chosen.empty());
    for (const unsigned seed : chosen) {
        SCOPED_TRACE(seed);
        const Tally tally = playSeed(seed, frames);
        EXPECT_EQ(tally.frames, frames);
        // The ball really was accelerated by rallies, not just served.
        EXPECT_GT(tally.maxSquaredSpeed, 5000);
        if (HasFatalFailure()) {
            return;
        }
    }
}

} // namespace
