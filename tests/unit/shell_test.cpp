// Start-up, media loading, release and the program's exit status, observed through the fake.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/shell.h"
#include "test_support.h"

namespace {

using fake::Call;

class ShellTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        gWindow = nullptr;
        gRenderer = nullptr;
        for (Mix_Music*& music : gMus) {
            music = nullptr;
        }
        for (Mix_Chunk*& chunk : gSnd) {
            chunk = nullptr;
        }
    }

    void TearDown() override {
        // Whatever happened, nothing may be left allocated or open.
        closeSDL();
    }

    static int runProgram(std::string* output) {
        char name[] = "quorvix";
        char* argv[] = {name, nullptr};
        ::testing::internal::CaptureStdout();
        const int status = SDL_main(1, argv);
        *output = ::testing::internal::GetCapturedStdout();
        return status;
    }
};

// Which of the fake's failure switches a case turns on.
using FailureSwitch = bool fake::State::*;

TEST_F(ShellTest, StartsEverythingInOrderWithTheExactArguments) {
    ASSERT_EQ(initializeSDL(), 0);
    const std::vector<Call> expected = {
        {"SDL_Init", {0x30}},
        {"SDL_CreateWindow",
         {SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 800, 600,
          SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI},
         {"Quorvix"}},
        {"SDL_CreateRenderer", {1, -1, 6}},
        {"SDL_SetRenderDrawColor", {1, 0, 0, 0, 255}},
        {"Mix_OpenAudio", {44100, 0x8010, 2, 2048}},
        {"SDL_InitSubSystem", {SDL_INIT_GAMECONTROLLER}},
        {"SDL_CreateTexture", {1, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, 800, 600}},
        {"SDL_GetRendererOutputSize", {}},
    };
    EXPECT_EQ(fake::state().calls, expected);
    EXPECT_EQ(gWindow, fake::kWindow);
    EXPECT_EQ(gRenderer, fake::kRenderer);

    // Without controller support or a texture to scale the court with, the game starts all the
    // same, without pads or scaling.
    fake::reset();
    fake::state().failGamepads = true;
    fake::state().failTexture = true;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(initializeSDL(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(ShellTest, StartUpStopsAtTheFirstFailingStepWithItsMessage) {
    struct Case {
        FailureSwitch failure;
        const char* lastCall;
        const char* message;
        int windows;
        int renderers;
    };
    const Case cases[] = {
        {&fake::State::failInit, "SDL_Init", "SDL could not initialize! SDL Error: boom\n", 0, 0},
        {&fake::State::failWindow, "SDL_CreateWindow",
         "Window could not be created! SDL Error: boom\n", 0, 0},
        {&fake::State::failRenderer, "SDL_CreateRenderer",
         "Renderer could not be created! SDL Error: boom\n", 1, 0},
        {&fake::State::failAudio, "Mix_OpenAudio",
         "SDL_mixer could not initialize! SDL_mixer Error: boom\n", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastCall);
        fake::reset();
        fake::state().*c.failure = true;
        fake::state().error = "boom";
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(initializeSDL(), 1);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.message);
        // After a failed SDL_Init the shell asks SDL whether video could start; that is no step.
        std::vector<std::string> steps = fake::callNames();
        steps.erase(std::remove_if(steps.begin(), steps.end(),
                                   [](const std::string& name) {
                                       return name == "SDL_InitSubSystem" ||
                                              name == "SDL_QuitSubSystem" || name == "SDL_SetError";
                                   }),
                    steps.end());
        EXPECT_EQ(steps.back(), c.lastCall);
        EXPECT_EQ(fake::state().liveWindows, c.windows);
        EXPECT_EQ(fake::state().liveRenderers, c.renderers);
        closeSDL();
        EXPECT_EQ(fake::state().liveWindows, 0);
        EXPECT_EQ(fake::state().liveRenderers, 0);
        EXPECT_EQ(gWindow, nullptr);
        EXPECT_EQ(gRenderer, nullptr);
    }
}

TEST_F(ShellTest, RefusesAVideoDriverThatShowsNothingUnlessTheUserNamedOne) {
    struct Case {
        const char* driver;
        const char* hint; // SDL_VIDEODRIVER as the user set it
        bool starts;
    };
    // SDL falls back to offscreen or dummy when no display is reachable; an empty variable names
    // no driver; a list naming the driver counts as a choice.
    const Case cases[] = {
        {"x11", nullptr, true},           {"wayland", nullptr, true},   {"kmsdrm", nullptr, true},
        {"offscreen", nullptr, false},    {"dummy", nullptr, false},    {"offscreen", "", false},
        {"offscreen", "offscreen", true}, {"dummy", "x11,dummy", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.driver) + " / " + (c.hint == nullptr ? "unset" : c.hint));
        fake::reset();
        fake::state().videoDriver = c.driver;
        fake::state().videoDriverHint = c.hint;
        ::testing::internal::CaptureStdout();
        const int result = initializeSDL();
        const std::string output = ::testing::internal::GetCapturedStdout();
        if (c.starts) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(output, "");
            EXPECT_EQ(fake::callsNamed("Mix_OpenAudio").size(), 1u); // every step ran
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(output, "SDL could not initialize! SDL Error: No display could be opened "
                              "(check DISPLAY or WAYLAND_DISPLAY); SDL_VIDEODRIVER=" +
                                  std::string(c.driver) + " runs the game without one\n");
            EXPECT_TRUE(fake::callsNamed("SDL_CreateWindow").empty());
            closeSDL();
            EXPECT_FALSE(fake::state().sdlUp) << "SDL is shut down again";
        }
    }
}

// SDL 3 has no fallback driver: with no display SDL_Init fails. The user reads the same message as
// with SDL 2, unless they named a driver (then SDL's own text says which one failed), and a
// failure that is not the video's keeps SDL's text, with the probed video shut down again.
TEST_F(ShellTest, SaysNoDisplayWhenSdlInitFailsForWantOfOne) {
    struct Case {
        bool noDisplay;
        const char* hint;
        const char* error;
    };
    const std::string noDisplay = "No display could be opened (check DISPLAY or WAYLAND_DISPLAY); "
                                  "SDL_VIDEODRIVER=offscreen runs the game without one";
    const Case cases[] = {
        {true, nullptr, noDisplay.c_str()},
        {true, "", noDisplay.c_str()},
        {true, "x11", "No available video device"},
        {false, nullptr, "fake error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.noDisplay ? "no display" : "audio fails") + " / " +
                     (c.hint == nullptr ? "unset" : c.hint));
        fake::reset();
        fake::state().failVideo = c.noDisplay;
        fake::state().failInit = !c.noDisplay;
        fake::state().videoDriverHint = c.hint;
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(initializeSDL(), 1);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(),
                  "SDL could not initialize! SDL Error: " + std::string(c.error) + "\n");
        EXPECT_EQ(fake::state().liveVideoSubsystems, 0);
        EXPECT_TRUE(fake::callsNamed("SDL_CreateWindow").empty());
    }
}

TEST_F(ShellTest, LoadsEveryMediaFileIntoItsSlot) {
    ASSERT_EQ(loadMedia(), 0);
    // Each effect's stream is handed to the loader, which closes it (the second argument).
    const std::vector<Call> expected = {
        {"Mix_LoadMUS", {}, {"res/mus00.mid"}},
        {"SDL_RWFromFile", {}, {"res/snd00.wav", "rb"}},
        {"Mix_LoadWAV_RW", {1, 1}},
        {"SDL_RWFromFile", {}, {"res/snd01.wav", "rb"}},
        {"Mix_LoadWAV_RW", {1, 1}},
        {"SDL_RWFromFile", {}, {"res/snd02.wav", "rb"}},
        {"Mix_LoadWAV_RW", {1, 1}},
    };
    EXPECT_EQ(fake::state().calls, expected);
    for (int i = 0; i < kMusicCount; ++i) {
        EXPECT_EQ(gMus[i], fake::musicHandle(i));
    }
    for (int i = 0; i < kSoundCount; ++i) {
        EXPECT_EQ(gSnd[i], &fake::kChunks[i]);
    }
}

TEST_F(ShellTest, ReportsEachMissingFileInOrderAndStillTriesTheRest) {
    struct Case {
        std::vector<std::string> missing;
        std::string output;
    };
    const std::string music = "Failed to load music 00! SDL_mixer Error: Couldn't open "
                              "'res/mus00.mid'\n";
    auto effect = [](int i) {
        return "Failed to load snd0" + std::to_string(i) +
               " sound effect! SDL_mixer Error: Mix_LoadWAV_RW with NULL src\n";
    };
    const Case cases[] = {
        {{"res/mus00.mid"}, music},
        {{"res/snd00.wav"}, effect(0)},
        {{"res/snd01.wav"}, effect(1)},
        {{"res/snd02.wav"}, effect(2)},
        {{"res/snd02.wav", "res/mus00.mid", "res/snd00.wav", "res/snd01.wav"},
         music + effect(0) + effect(1) + effect(2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        fake::reset();
        fake::state().missingFiles.insert(c.missing.begin(), c.missing.end());
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(loadMedia(), 1);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.output);
        EXPECT_EQ(fake::callsNamed("Mix_LoadWAV_RW").size(), 3u) << "every effect is tried";
        EXPECT_EQ(fake::state().liveMusic + fake::state().liveChunks, 4 - int(c.missing.size()));
        closeSDL();
        EXPECT_EQ(fake::state().liveMusic + fake::state().liveChunks, 0);
    }
}

// A directory (or any other file that is not a regular one) in a media file's place fails with its
// own line and is never handed to the mixer, whose MIDI loader would crash on a directory.
TEST_F(ShellTest, RefusesMediaThatAreNotRegularFiles) {
    const std::filesystem::path previous = std::filesystem::current_path();
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() /
        ("quorvix-shell-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch / "res" / "mus00.mid");
    std::filesystem::create_directories(scratch / "res" / "snd01.wav");
    std::filesystem::current_path(scratch);

    ::testing::internal::CaptureStdout();
    const int result = loadMedia();
    const std::string output = ::testing::internal::GetCapturedStdout();
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(scratch);

    EXPECT_EQ(result, 1);
    EXPECT_EQ(output,
              "Failed to load music 00! SDL_mixer Error: 'res/mus00.mid' is not a regular "
              "file\n"
              "Failed to load snd01 sound effect! SDL_mixer Error: 'res/snd01.wav' is not a "
              "regular file\n");
    EXPECT_TRUE(fake::callsNamed("Mix_LoadMUS").empty());
    const std::vector<Call> opened = fake::callsNamed("SDL_RWFromFile");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].text[0], "res/snd00.wav");
    EXPECT_EQ(opened[1].text[0], "res/snd02.wav");
    EXPECT_EQ(fake::callsNamed("Mix_LoadWAV_RW").size(), 2u) << "the other effects still load";
    EXPECT_EQ(gSnd[1], nullptr);
    EXPECT_EQ(gSnd[2], &fake::kChunks[2]);
}

TEST_F(ShellTest, ReleasesInReverseOrderAndClearsEveryHandle) {
    ASSERT_EQ(initializeSDL(), 0);
    ASSERT_EQ(loadMedia(), 0);
    fake::state().calls.clear();
    closeSDL();
    const std::vector<Call> expected = {
        {"Mix_FreeMusic", {0}},
        {"Mix_FreeChunk", {0}},
        {"Mix_FreeChunk", {1}},
        {"Mix_FreeChunk", {2}},
        {"SDL_DestroyTexture", {1}},
        {"SDL_DestroyRenderer", {1}},
        {"SDL_DestroyWindow", {1}},
        {"Mix_Quit", {}},
        {"SDL_Quit", {}},
    };
    EXPECT_EQ(fake::state().calls, expected);
    EXPECT_EQ(gWindow, nullptr);
    EXPECT_EQ(gRenderer, nullptr);
    for (Mix_Music* music : gMus) {
        EXPECT_EQ(music, nullptr);
    }
    for (Mix_Chunk* chunk : gSnd) {
        EXPECT_EQ(chunk, nullptr);
    }
    EXPECT_FALSE(fake::state().sdlUp);
}

TEST_F(ShellTest, ProgramPlaysUntilQuitThenReleasesAndExitsZero) {
    fake::pushEvent(SDL_KEYDOWN);
    fake::pushQuit();
    std::string output;
    EXPECT_EQ(runProgram(&output), 0);
    EXPECT_EQ(output, "");
    const std::vector<std::string> names = fake::callNames();
    // The loop ran (its first tick read and event drain) between loading and release.
    const auto loop = std::find(names.begin(), names.end(), "SDL_GetTicks");
    const auto release = std::find(names.begin(), names.end(), "Mix_FreeMusic");
    EXPECT_LT(std::find(names.begin(), names.end(), "Mix_LoadWAV_RW"), loop);
    EXPECT_LT(loop, release);
    EXPECT_EQ(names.back(), "SDL_Quit");
    EXPECT_EQ(fake::state().liveWindows + fake::state().liveRenderers + fake::state().liveMusic +
                  fake::state().liveChunks,
              0);
}

TEST_F(ShellTest, FailedStartsExitOneWithoutPlaying) {
    struct Case {
        FailureSwitch failure;
        std::string missing;
        std::string lastLine;
    };
    const Case cases[] = {
        {&fake::State::failInit, "", "Failed to initialize!\n"},
        {&fake::State::failAudio, "", "Failed to initialize!\n"},
        {nullptr, "res/snd01.wav", "Failed to load media!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastLine + c.missing);
        fake::reset();
        if (c.failure != nullptr) {
            fake::state().*c.failure = true;
        }
        if (!c.missing.empty()) {
            fake::state().missingFiles.insert(c.missing);
        }
        std::string output;
        EXPECT_EQ(runProgram(&output), 1);
        ASSERT_GE(output.size(), c.lastLine.size());
        EXPECT_EQ(output.substr(output.size() - c.lastLine.size()), c.lastLine);
        EXPECT_TRUE(fake::callsNamed("SDL_GetTicks").empty()) << "no match may start";
        EXPECT_TRUE(fake::callsNamed("SDL_RenderPresent").empty());
        EXPECT_EQ(fake::callNames().back(), "SDL_Quit");
        EXPECT_EQ(fake::state().liveWindows + fake::state().liveRenderers +
                      fake::state().liveMusic + fake::state().liveChunks,
                  0);
    }
}

TEST_F(ShellTest, SetsThePaddleShapeBeforeAnythingElse) {
    gPaddleHalfDiagonal = gPaddleAlpha1 = gPaddleAlpha2 = 0.0f;
    int callsBeforeTheShape = 0;
    fake::state().onCall = [&](const Call&) {
        const bool unset =
            gPaddleHalfDiagonal == 0.0f || gPaddleAlpha1 == 0.0f || gPaddleAlpha2 == 0.0f;
        callsBeforeTheShape += unset ? 1 : 0;
    };
    fake::state().failInit = true; // the shape is set even when nothing else starts
    std::string output;
    runProgram(&output);
    fake::state().onCall = nullptr;
    EXPECT_EQ(callsBeforeTheShape, 0);
    EXPECT_EQ(gPaddleHalfDiagonal, 659.6969f);
    EXPECT_EQ(gPaddleAlpha1, 1.3258177f);
    EXPECT_EQ(gPaddleAlpha2, 1.8157743f);
}

} // namespace
