// Player control: the key table, the position limits and the single-precision angle sequence.
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "game/gamepad.h"
#include "game/paddle.h"
#include "game/player.h"
#include "test_support.h"

namespace {

class PlayerTest : public GameTest {
  protected:
    // Hands every queued event to the pads, as the match loop's event drain does.
    static void drainEvents() {
        for (; !fake::state().events.empty(); fake::state().events.pop_front()) {
            handleGamepadEvent(fake::state().events.front());
        }
    }

    static void hold(std::initializer_list<SDL_Scancode> keys) {
        std::fill(std::begin(fake::state().keys), std::end(fake::state().keys), Uint8{0});
        for (SDL_Scancode key : keys) {
            fake::state().keys[key] = 1;
        }
    }
};

// Each row: keys held, and whether the paddle moves up (-1), down (+1) or not, and tilts right
// (+1), left (-1) or not. Keys other than the arrows are ignored.
TEST_F(PlayerTest, FirstMatchingKeyRowWins) {
    struct Case {
        std::vector<SDL_Scancode> keys;
        int move;
        int tilt;
    };
    const SDL_Scancode up = SDL_SCANCODE_UP, down = SDL_SCANCODE_DOWN, right = SDL_SCANCODE_RIGHT,
                       left = SDL_SCANCODE_LEFT;
    const Case cases[] = {
        {{up, right}, -1, 1},
        {{up, left}, -1, -1},
        {{down, right}, 1, 1},
        {{down, left}, 1, -1},
        {{up}, -1, 0},
        {{down}, 1, 0},
        {{right}, 0, 1},
        {{left}, 0, -1},
        {{}, 0, 0},
        {{up, down}, -1, 0},
        {{right, left}, 0, 1},
        {{up, down, right, left}, -1, 1},
        {{SDL_SCANCODE_W, SDL_SCANCODE_SPACE}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case with " << c.keys.size() << " keys, move "
                                          << c.move << " tilt " << c.tilt);
        fake::reset();
        std::fill(std::begin(fake::state().keys), std::end(fake::state().keys), Uint8{0});
        for (SDL_Scancode key : c.keys) {
            fake::state().keys[key] = 1;
        }
        gPlayerY = 3000;
        gPlayerOrientation = 0.0f;
        EXPECT_EQ(moveAndRotatePlayer(), c.move != 0 || c.tilt != 0 ? 1 : 0);
        EXPECT_EQ(gPlayerY, 3000 + 90 * c.move);
        EXPECT_EQ(gPlayerOrientation, c.tilt == 0 ? 0.0f : (c.tilt > 0 ? 0.15f : -0.15f));
        EXPECT_EQ(fake::callsNamed("SDL_GetKeyboardState"),
                  (std::vector<fake::Call>{{"SDL_GetKeyboardState", {0}}}));
    }
}

// A pad stands for the arrow keys: its D-pad one to one, its left stick past half of each axis's
// travel, its shoulders tilt; it combines with the keyboard as held keys combine.
TEST_F(PlayerTest, PadsHoldTheArrowKeys) {
    using Axis = std::pair<SDL_GameControllerAxis, Sint16>;
    struct Case {
        const char* what;
        std::vector<SDL_GameControllerButton> buttons;
        std::vector<Axis> axes;
        std::vector<SDL_Scancode> keys;
        int move;
        int tilt;
    };
    const auto x = SDL_CONTROLLER_AXIS_LEFTX, y = SDL_CONTROLLER_AXIS_LEFTY;
    const auto up = SDL_CONTROLLER_BUTTON_DPAD_UP, down = SDL_CONTROLLER_BUTTON_DPAD_DOWN,
               left = SDL_CONTROLLER_BUTTON_DPAD_LEFT, right = SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
    const Case cases[] = {
        {"D-pad up", {up}, {}, {}, -1, 0},
        {"D-pad down and right", {down, right}, {}, {}, 1, 1},
        {"D-pad left", {left}, {}, {}, 0, -1},
        {"left shoulder", {SDL_CONTROLLER_BUTTON_LEFTSHOULDER}, {}, {}, 0, -1},
        {"right shoulder", {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER}, {}, {}, 0, 1},
        {"stick just past half up", {}, {{y, -16385}}, {}, -1, 0},
        {"stick at half up", {}, {{y, -16384}}, {}, 0, 0},
        {"stick at half right", {}, {{x, 16384}}, {}, 0, 0},
        {"stick full up, 20 degrees to the right", {}, {{y, -30791}, {x, 11207}}, {}, -1, 0},
        {"stick down and left", {}, {{y, 20000}, {x, -20000}}, {}, 1, -1},
        {"stick fully right", {}, {{x, 32767}}, {}, 0, 1},
        {"right stick", {}, {{SDL_CONTROLLER_AXIS_RIGHTY, -32768}}, {}, 0, 0},
        {"face button", {SDL_CONTROLLER_BUTTON_A}, {}, {}, 0, 0},
        {"pad down, Up key: Up wins, as with two keys", {down}, {}, {SDL_SCANCODE_UP}, -1, 0},
        {"pad left, Right key: Right wins", {left}, {}, {SDL_SCANCODE_RIGHT}, 0, 1},
        {"pad up, Left key: both", {up}, {}, {SDL_SCANCODE_LEFT}, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        closeGamepads();
        fake::reset();
        fake::Pad& pad = fake::plugPad();
        drainEvents();
        for (SDL_GameControllerButton button : c.buttons) {
            pad.buttons[button] = 1;
        }
        for (const Axis& axis : c.axes) {
            pad.axes[axis.first] = axis.second;
        }
        for (SDL_Scancode key : c.keys) {
            fake::state().keys[key] = 1;
        }
        gPlayerY = 3000;
        gPlayerOrientation = 0.0f;
        moveAndRotatePlayer();
        EXPECT_EQ(gPlayerY, 3000 + 90 * c.move);
        EXPECT_EQ(gPlayerOrientation, c.tilt == 0 ? 0.0f : (c.tilt > 0 ? 0.15f : -0.15f));
    }
}

// Any of several pads plays; an unplugged pad is closed and holds nothing; a joystick that SDL does
// not know as a game controller is never opened.
TEST_F(PlayerTest, PadsComeAndGo) {
    fake::plugPad(false);
    fake::plugPad();
    fake::Pad& second = fake::plugPad();
    drainEvents();
    second.buttons[SDL_CONTROLLER_BUTTON_DPAD_UP] = 1;
    gPlayerY = 3000;
    moveAndRotatePlayer();
    EXPECT_EQ(gPlayerY, 2910);
    fake::unplugPad(2);
    drainEvents();
    second.buttons[SDL_CONTROLLER_BUTTON_DPAD_UP] = 1; // a stale state, were the pad still read
    moveAndRotatePlayer();
    EXPECT_EQ(gPlayerY, 2910);
    const std::deque<fake::Pad>& pads = fake::state().pads;
    EXPECT_EQ(pads[0].opened + pads[1].opened + pads[2].opened, 1);
    closeGamepads();
    EXPECT_EQ(pads[1].opened, 0);
    EXPECT_EQ(fake::callsNamed("SDL_GameControllerOpen"),
              (std::vector<fake::Call>{{"SDL_GameControllerOpen", {1}},
                                       {"SDL_GameControllerOpen", {2}}}));
}

TEST_F(PlayerTest, MovesWithinTheLimits) {
    struct Case {
        int from;
        int up;
        int down;
    };
    const Case cases[] = {
        {731, 641, 821},    {730, 640, 820},    {640, 640, 730},    {5269, 5179, 5359},
        {5270, 5180, 5359}, {5359, 5269, 5359}, {5180, 5090, 5270}, {3000, 2910, 3090},
    };
    for (const Case& c : cases) {
        gPlayerY = c.from;
        movePlayerUp();
        EXPECT_EQ(gPlayerY, c.up) << "up from " << c.from;
        gPlayerY = c.from;
        movePlayerDown();
        EXPECT_EQ(gPlayerY, c.down) << "down from " << c.from;
    }
}

TEST_F(PlayerTest, HoldingAKeyReachesTheLimitInTwentySevenFrames) {
    for (const int direction : {-1, 1}) {
        hold({direction < 0 ? SDL_SCANCODE_UP : SDL_SCANCODE_DOWN});
        gPlayerY = 3000;
        int frames = 0;
        const int limit = direction < 0 ? 640 : 5359;
        while (gPlayerY != limit && frames < 100) {
            moveAndRotatePlayer();
            ++frames;
        }
        EXPECT_EQ(frames, 27);
        moveAndRotatePlayer();
        EXPECT_EQ(gPlayerY, limit);
    }
}

TEST_F(PlayerTest, TiltsInSinglePrecisionUpToTheLimit) {
    const std::vector<float> right = {0.150000006f, 0.300000012f, 0.450000018f, 0.600000024f,
                                      0.75f,        0.785399973f, 0.785399973f};
    gPlayerOrientation = 0.0f;
    for (float want : right) {
        rotatePlayerRight();
        EXPECT_EQ(gPlayerOrientation, want);
    }
    const std::vector<float> left = {0.6354f,  0.4854f,  0.3354f,  0.1854f,  0.0354f,  -0.1146f,
                                     -0.2646f, -0.4146f, -0.5646f, -0.7146f, -0.7854f, -0.7854f};
    for (float want : left) {
        rotatePlayerLeft();
        EXPECT_NEAR(gPlayerOrientation, want, 1e-6f);
    }
    EXPECT_EQ(gPlayerOrientation, -0.78539997f);
}

TEST_F(PlayerTest, TiltEdgeCases) {
    struct Case {
        float from;
        bool toRight;
        float want;
    };
    const Case cases[] = {
        {0.6f, true, 0.75f},
        {0.75f, true, 0.7854f},
        {0.7854f, true, 0.7854f},
        {0.63539999f, true, 0.785399973f}, // below the double threshold: steps onto the limit
        {-0.6f, false, -0.75f},
        {-0.7854f, false, -0.7854f},
    };
    for (const Case& c : cases) {
        gPlayerOrientation = c.from;
        c.toRight ? rotatePlayerRight() : rotatePlayerLeft();
        EXPECT_EQ(gPlayerOrientation, c.want) << c.from;
    }

    // Tilting back to upright can leave the angle a little off 0. The corners are then mostly the
    // same as at 0 (corner 0 at +159, +640 from the centre, corner 1 at -159, +640), not always.
    struct Return {
        const char* tilts; // from 0: R a step right, L a step left
        float residue;
        int dx, dy; // corner 0 from the centre
    };
    const Return returns[] = {
        {"RL", 5.96e-9f, 159, 640},
        {"LR", -5.96e-9f, 159, 640},
        {"LRRRRRLLLL", -5.3644e-8f, 160, 639},
        {"LRRRRRLLLLLLRRRL", -3.8743e-8f, 159, 639},
    };
    for (const Return& r : returns) {
        SCOPED_TRACE(r.tilts);
        gPlayerOrientation = 0.0f;
        for (const char* tilt = r.tilts; *tilt != '\0'; ++tilt) {
            *tilt == 'R' ? rotatePlayerRight() : rotatePlayerLeft();
        }
        EXPECT_NEAR(gPlayerOrientation, r.residue, 0.001e-8f);
        computePaddleApex(kPlayerPaddle, 400, 3000, gPlayerOrientation);
        const int(&k)[4][2] = gPaddleApex[kPlayerPaddle];
        EXPECT_EQ((std::vector<int>{k[0][0], k[0][1], k[1][0], k[1][1], k[2][0], k[2][1], k[3][0],
                                    k[3][1]}),
                  (std::vector<int>{400 + r.dx, 3000 + r.dy, 241, 3640, 400 - r.dx, 3000 - r.dy,
                                    559, 2360}));
    }
}

} // namespace
