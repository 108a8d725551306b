// The match loop, observed through the fake and through a recording step in front of each
// operation of the frame (see CMakeLists.txt): each records its call, with its arguments and the
// ball as it stood, into the fake's call list and then runs the real operation.
#include <algorithm>
#include <string>
#include <vector>

#include "game/ball.h"
#include "game/bounce.h"
#include "game/game.h"
#include "game/hold.h"
#include "game/match.h"
#include "game/opponent.h"
#include "game/paddle.h"
#include "game/player.h"
#include "render/court.h"
#include "test_support.h"

using fake::Call;

// ---------------------------------------------------------------------------------------------
// The frame's operations as the loop calls them; real_* are the game's own
// ---------------------------------------------------------------------------------------------
int real_moveAndRotatePlayer();
void real_computePaddleApex(int paddleIndex, int centreX, int centreY, float orientation);
void real_moveOpponent();
void real_resolvePaddleHit(int paddleIndex);
int real_moveBall();
void real_renderFrame(int playerScore, int opponentScore);

int moveAndRotatePlayer() {
    fake::state().calls.push_back({"moveAndRotatePlayer", {}});
    return real_moveAndRotatePlayer();
}
void computePaddleApex(int paddleIndex, int centreX, int centreY, float orientation) {
    fake::state().calls.push_back(
        {"computePaddleApex",
         {paddleIndex, centreX, centreY, static_cast<long long>(orientation * 1000.0f)}});
    real_computePaddleApex(paddleIndex, centreX, centreY, orientation);
}
void moveOpponent() {
    fake::state().calls.push_back({"moveOpponent", {gBallX, gBallY, gBallVx, gBallVy}});
    real_moveOpponent();
}
void resolvePaddleHit(int paddleIndex) {
    fake::state().calls.push_back({"resolvePaddleHit", {paddleIndex}});
    real_resolvePaddleHit(paddleIndex);
}
int moveBall() {
    fake::state().calls.push_back({"moveBall", {gBallX, gBallY, gBallVx, gBallVy}});
    return real_moveBall();
}
void renderFrame(int playerScore, int opponentScore) {
    fake::state().calls.push_back({"renderFrame", {playerScore, opponentScore}});
    real_renderFrame(playerScore, opponentScore);
}

namespace {

using testing_support::runFrames;

const Call kPointLost{"Mix_PlayChannelTimed", {-1, 2, 0, -1}};
const Call kVictory{"Mix_PlayMusic", {0, 0}};

// The calls of one frame (1-based), from its first tick read to the last call before the next
// frame's first tick read.
std::vector<Call> frameCalls(int frame) {
    // Split the full list at every tick read that is followed by an event poll.
    std::vector<std::vector<Call>> frames;
    const auto& calls = fake::state().calls;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].name == "SDL_GetTicks" && i + 1 < calls.size() &&
            calls[i + 1].name == "SDL_PollEvent") {
            frames.emplace_back();
        }
        if (!frames.empty()) {
            frames.back().push_back(calls[i]);
        }
    }
    const int seen = static_cast<int>(frames.size());
    return frame <= seen ? frames[static_cast<size_t>(frame - 1)] : std::vector<Call>{};
}

std::vector<std::string> names(const std::vector<Call>& calls) {
    std::vector<std::string> out;
    for (const Call& call : calls) {
        out.push_back(call.name);
    }
    return out;
}

const Call* find(const std::vector<Call>& calls, const std::string& name) {
    const auto it = std::find_if(calls.begin(), calls.end(),
                                 [&](const Call& call) { return call.name == name; });
    return it == calls.end() ? nullptr : &*it;
}

std::vector<long long> delays(const std::vector<Call>& calls) {
    std::vector<long long> out;
    for (const Call& call : calls) {
        if (call.name == "SDL_Delay") {
            out.push_back(call.args[0]);
        }
    }
    return out;
}

class MatchTest : public GameTest {};

TEST_F(MatchTest, SetsUpTheStartOfPlayBeforeTheFirstFrame) {
    gBounceCooldown = 7; // play() leaves the cooldown alone
    gPlayerY = 123;
    gPlayerOrientation = 0.5f;
    runFrames(1);
    const std::vector<Call>& calls = fake::state().calls;
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], (Call{"computePaddleApex", {0, 400, 3000, 0}}));
    EXPECT_EQ(calls[1], (Call{"computePaddleApex", {1, 7600, 3000, 0}}));
    EXPECT_EQ(calls[2].name, "SDL_GetTicks");
    // The first frame's ball, before it moves, is the opening serve.
    EXPECT_EQ(*find(frameCalls(1), "moveBall"), (Call{"moveBall", {4000, 5400, -50, -50}}));
    EXPECT_EQ(*find(frameCalls(1), "resolvePaddleHit"), (Call{"resolvePaddleHit", {0}}));
    EXPECT_EQ(gBounceCooldown, 5);
    EXPECT_EQ(gOpponentOrientation, 0.0f);
}

TEST_F(MatchTest, RunsEachFrameInItsFixedOrder) {
    fake::state().now = 1000;
    fake::state().ticksPerRead = 3; // each frame's work appears to take 3 ms
    fake::pushEvent(SDL_KEYDOWN);
    fake::pushEvent(SDL_MOUSEMOTION);
    runFrames(2);
    const std::vector<std::string> expected = {
        "SDL_GetTicks",
        "SDL_PollEvent",
        "SDL_PollEvent",
        "SDL_PollEvent",
        "moveAndRotatePlayer",
        "SDL_GetKeyboardState",
        "computePaddleApex",
        "moveOpponent",
        "computePaddleApex",
        "resolvePaddleHit",
        "moveBall",
        "resolvePaddleHit",
        "renderFrame",
        "SDL_SetRenderDrawColor",
        "SDL_RenderClear",
        "SDL_SetRenderDrawColor",
        "SDL_RenderDrawLine",
    };
    const std::vector<Call> frame = frameCalls(1);
    ASSERT_GE(frame.size(), expected.size());
    EXPECT_EQ(names(std::vector<Call>(frame.begin(), frame.begin() + long(expected.size()))),
              expected);
    // Pacing is measured after the present: 3 ms of work leaves a 17 ms wait.
    EXPECT_EQ(frame[frame.size() - 3].name, "SDL_RenderPresent");
    EXPECT_EQ(frame[frame.size() - 2].name, "SDL_GetTicks");
    EXPECT_EQ(frame.back(), (Call{"SDL_Delay", {17}}));
}

TEST_F(MatchTest, PacesFramesToTwentyMillisecondsAcrossATickWrap) {
    struct Case {
        Uint32 start;
        Uint32 elapsed;
        std::vector<long long> delays;
    };
    const Case cases[] = {
        {0, 0, {20}}, {0, 19, {1}},           {0, 20, {}},
        {0, 250, {}}, {0xFFFFFFF5u, 14, {6}}, {0xFFFFFFFFu, 1, {19}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elapsed);
        fake::reset();
        fake::state().now = c.start;
        fake::state().ticksPerRead = c.elapsed;
        runFrames(1);
        EXPECT_EQ(delays(frameCalls(1)), c.delays);
    }
}

TEST_F(MatchTest, ScoresOnlyBeyondTheCourtAndServesAccordingly) {
    struct Case {
        int ballX;
        std::vector<long long> served; // the ball before it moves in the scoring frame
        std::vector<long long> scores;
        bool pointLostSound;
        std::vector<long long> delays;
    };
    const Case cases[] = {
        {8000, {8000, 3000, 50, 10}, {0, 0}, false, {20}},
        {8001, {4000, 4800, -50, -50}, {1, 0}, false, {20, 500}},
        {0, {0, 3000, 50, 10}, {0, 0}, false, {20}},
        {-1, {4000, 1800, 50, -50}, {0, 1}, true, {20, 500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ballX);
        fake::reset();
        runFrames(2, [&](long long frame) {
            if (frame == 1) {
                gBallX = c.ballX;
                gBallY = 3000;
                gBallVx = 50;
                gBallVy = 10;
                fake::state().calls.clear();
            }
        });
        const std::vector<Call> frame = frameCalls(1);
        EXPECT_EQ(find(frame, "moveBall")->args, c.served);
        EXPECT_EQ(find(frame, "renderFrame")->args, c.scores);
        EXPECT_EQ(find(frame, "Mix_PlayChannelTimed") != nullptr, c.pointLostSound);
        EXPECT_EQ(find(frame, "Mix_PlayMusic"), nullptr);
        EXPECT_EQ(delays(frame), c.delays);
        // Right after a serve the player's paddle is tested.
        if (c.served[0] == 4000) {
            EXPECT_EQ(find(frame, "resolvePaddleHit")->args[0], 0);
        }
    }
}

TEST_F(MatchTest, PointLostSoundComesFirstInItsFrame) {
    runFrames(2, [](long long frame) {
        if (frame == 1) {
            gBallX = -1;
            fake::state().calls.clear();
        }
    });
    const std::vector<std::string> frame = names(frameCalls(1));
    const auto sound = std::find(frame.begin(), frame.end(), "Mix_PlayChannelTimed");
    ASSERT_NE(sound, frame.end());
    EXPECT_EQ(sound - frame.begin(), 2) << "right after the event drain, before anything moves";
}

// Both sides score every frame until one wins: the score shown, the sounds, the pauses and the
// reset to 0 to 0 after the winning frame's long pause.
TEST_F(MatchTest, PlaysAMatchToTenWithPausesMusicAndReset) {
    struct Case {
        int ballX;
        std::vector<long long> tenthScores;
        bool music;
        int pointLostSounds;
    };
    const Case cases[] = {
        {8001, {10, 0}, true, 0},
        {-1, {0, 10}, false, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ballX);
        fake::reset();
        testing_support::resetGameState();
        runFrames(12, [&](long long frame) {
            if (frame <= 10) {
                gBallX = c.ballX;
            }
            gBounceCooldown = 40; // keep paddles out of it
        });
        for (int frame = 2; frame <= 10; ++frame) {
            SCOPED_TRACE(frame);
            const std::vector<Call> calls = frameCalls(frame);
            const long long points = frame - 1;
            const std::vector<long long> scores =
                c.ballX > 0 ? std::vector<long long>{points, 0} : std::vector<long long>{0, points};
            EXPECT_EQ(find(calls, "renderFrame")->args, scores);
            EXPECT_EQ(delays(calls), (std::vector<long long>{20, 500}));
            EXPECT_EQ(find(calls, "Mix_PlayMusic"), nullptr);
        }
        const std::vector<Call> tenth = frameCalls(11);
        EXPECT_EQ(find(tenth, "renderFrame")->args, c.tenthScores);
        EXPECT_EQ(delays(tenth), (std::vector<long long>{20, 2500}));
        EXPECT_EQ(find(tenth, "Mix_PlayMusic") != nullptr, c.music);
        if (c.music) {
            EXPECT_EQ(*find(tenth, "Mix_PlayMusic"), kVictory);
        }
        EXPECT_EQ(find(frameCalls(12), "renderFrame")->args, (std::vector<long long>{0, 0}));
        EXPECT_EQ(delays(frameCalls(12)), (std::vector<long long>{20}));
        EXPECT_EQ(static_cast<int>(fake::callsNamed("Mix_PlayChannelTimed").size()),
                  c.pointLostSounds);
        for (const Call& call : fake::callsNamed("Mix_PlayChannelTimed")) {
            EXPECT_EQ(call, kPointLost);
        }
    }
}

TEST_F(MatchTest, PointsAndMatchesResetOnlyTheBallAndScores) {
    runFrames(3, [](long long frame) {
        if (frame == 1) {
            gPlayerY = 1234;
            gPlayerOrientation = 0.3f;
            gOpponentY = 4321;
            gBallX = 8001;
        }
        if (frame == 2) {
            gBounceCooldown = 9;
        }
    });
    // The paddles carried over the point: the third frame computes them from where they were.
    EXPECT_EQ(find(frameCalls(3), "computePaddleApex")->args,
              (std::vector<long long>{0, 400, 1234, 300}));
    EXPECT_EQ(gOpponentY, 4321 - 2 * 70); // drifting back to the middle
    EXPECT_EQ(gBounceCooldown, 7);
}

TEST_F(MatchTest, ChoosesThePaddleOnceFromTheBallBeforeItMoves) {
    struct Case {
        int ballX;
        int vx;
        long long paddle;
    };
    const Case cases[] = {{4000, 50, 0}, {4001, -50, 1}, {3990, 50, 0}, {4020, -50, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ballX);
        fake::reset();
        runFrames(2, [&](long long frame) {
            if (frame == 1) {
                gBallX = c.ballX;
                gBallY = 1000;
                gBallVx = c.vx;
                fake::state().calls.clear();
            }
        });
        const std::vector<Call> frame = frameCalls(1);
        int tested = 0;
        for (const Call& call : frame) {
            if (call.name == "resolvePaddleHit") {
                EXPECT_EQ(call.args[0], c.paddle);
                ++tested;
            }
        }
        EXPECT_EQ(tested, 2);
    }
}

TEST_F(MatchTest, TheOpponentSeesTheBallAsThePreviousFrameLeftIt) {
    runFrames(2, [](long long frame) {
        if (frame == 1) {
            gBallX = 6000;
            gBallY = 2000;
            gBallVx = 60;
            gBallVy = 30;
            fake::state().calls.clear();
        }
    });
    EXPECT_EQ(find(frameCalls(1), "moveOpponent")->args,
              (std::vector<long long>{6000, 2000, 60, 30}));
}

TEST_F(MatchTest, QuitEndsThePlayAtOnceLeavingLaterEventsQueued) {
    runFrames(1, [](long long) {
        gBallX = 8001; // would score if the frame went on
        fake::pushEvent(SDL_KEYDOWN);
        fake::pushQuit(); // runFrames queues a second quit behind these
        fake::pushEvent(SDL_KEYUP);
        fake::state().calls.clear();
    });
    EXPECT_EQ(names(fake::state().calls),
              (std::vector<std::string>{"SDL_GetTicks", "SDL_Delay", "SDL_GetTicks",
                                        "SDL_PollEvent", "SDL_PollEvent"}));
    EXPECT_EQ(fake::state().events.size(), 2u);
    EXPECT_EQ(gBallX, 8001);
}

TEST_F(MatchTest, QuitDuringAPauseTakesEffectAtTheNextDrain) {
    runFrames(2, [](long long frame) {
        if (frame == 1) {
            gBallX = -1;
        }
    });
    // The quit, queued when the pausing frame was presented, waits out the frame's wait and the
    // pause and is seen by the very next drain: nothing else runs.
    const std::vector<std::string> all = names(fake::state().calls);
    ASSERT_GE(all.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(all.end() - 6, all.end()),
              (std::vector<std::string>{"SDL_RenderPresent", "SDL_GetTicks", "SDL_Delay",
                                        "SDL_Delay", "SDL_GetTicks", "SDL_PollEvent"}));
}

// The hold and mute as each drain leaves them, from the events queued after each frame (frame 2
// scores and pauses 500 ms): the frames held ('H': drawn with the pause sign), the sound calls,
// each frame's 20 ms, and the frames played, which are those of a run without these events.
TEST_F(MatchTest, HoldsAndMutesAsEachDrainLeavesThem) {
    // Each field is where its event has it: a key, a window's change, a pad's button.
    const auto event = [](Uint32 type, int what, Uint16 mod = 0) {
        SDL_Event e{type};
        e.key.keysym = {SDL_SCANCODE_UNKNOWN, what, mod, 0};
        e.window.event = e.cbutton.button = Uint8(what);
        return e;
    };
    const auto key = [&](int sym, Uint16 mod = 0) { return event(SDL_KEYDOWN, sym, mod); };
    const auto window = [&](int change) { return event(SDL_WINDOWEVENT, change); };
    const SDL_Event p = key(SDLK_p), ctrlP = key(SDLK_p, KMOD_LCTRL), pauseKey = key(SDLK_PAUSE),
                    m = key(SDLK_m),
                    start = event(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_START),
                    lost = window(SDL_WINDOWEVENT_FOCUS_LOST),
                    back = window(SDL_WINDOWEVENT_FOCUS_GAINED),
                    hidden = window(SDL_WINDOWEVENT_HIDDEN), shown = window(SDL_WINDOWEVENT_SHOWN),
                    minimised = window(SDL_WINDOWEVENT_MINIMIZED),
                    restored = window(SDL_WINDOWEVENT_RESTORED);
    const std::string pause = "Pause(-1) PauseMusic() ", resume = "Resume(-1) ResumeMusic() ";
    const std::string mute = "Volume(-1, 0) VolumeMusic(0) ",
                      unmute = "Volume(-1, 128) VolumeMusic(128) ";
    const struct {
        std::vector<std::vector<SDL_Event>> events;
        std::string frames, sound;
    } cases[] = {
        {{{}, {p}, {ctrlP}, {pauseKey}, {start}}, "..HH.HH", pause + resume + pause},
        // Held until the player says so, even with the focus still away; held again as it goes.
        {{{back}, {lost}, {p}, {back}, {lost}}, "..H..HH", pause + resume + pause},
        {{{back}, {minimised}, {restored}, {p}, {hidden}}, "..HH.HH", pause + resume + pause},
        // A window manager adopting a new window, over two drains; a focus change within one.
        {{{shown, hidden}, {shown, back}, {lost, back}}, ".......", ""},
        {{{}, {m}, {p, m}}, "...HHHH", mute + pause + unmute},
    };
    std::string frames;
    const auto run = [&](const std::vector<std::vector<SDL_Event>>& events) {
        fake::reset();
        testing_support::resetGameState();
        frames.clear();
        runFrames(7, [&](long long frame) {
            const Call& beforePresent = fake::state().calls.end()[-2];
            frames += beforePresent == Call{"SDL_RenderFillRect", {408, 270, 16, 60}} ? 'H' : '.';
            gBallX = frame == 1 ? -1 : gBallX;
            for (const SDL_Event& e : size_t(frame) <= events.size() ? events[size_t(frame) - 1]
                                                                     : std::vector<SDL_Event>{}) {
                fake::state().events.push_back(e);
            }
        });
        return fake::callsNamed("moveBall");
    };
    const std::vector<Call> unheld = run({});
    for (const auto& c : cases) {
        std::string sound;
        const std::vector<Call> played = run(c.events);
        for (const Call& call : fake::state().calls) {
            sound +=
                call.name.rfind("Mix_", 0) == 0 ? testing::PrintToString(call).substr(4) + " " : "";
        }
        EXPECT_EQ(frames, c.frames);
        EXPECT_EQ(sound, "PlayChannelTimed(-1, 2, 0, -1) " + c.sound) << c.frames;
        EXPECT_EQ(fake::state().now, 7 * 20 + 500u) << c.frames;
        EXPECT_EQ(played, std::vector<Call>(unheld.begin(), unheld.begin() + long(played.size())));
    }
}

} // namespace
