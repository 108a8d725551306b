#include "test_support.h"

#include "game/match.h"

namespace testing_support {

int runFrames(long long frames, const std::function<void(long long)>& perFrame) {
    fake::state().onPresent = [frames, perFrame](long long frame) {
        if (perFrame) {
            perFrame(frame);
        }
        if (frame == frames) {
            fake::pushQuit();
        }
    };
    return play();
}

} // namespace testing_support
