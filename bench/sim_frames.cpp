// Runs the given number of simulation frames and prints the final ball position, for counting
// instructions per frame under callgrind (two runs of different lengths; the difference divided
// by the difference in frames leaves start-up out).
#include <cstdio>
#include <cstdlib>

#include "game/game.h"
#include "sim_frame.h"

int main(int argc, char* argv[]) {
    const long frames = argc > 1 ? std::atol(argv[1]) : 1000;
    startSimulation();
    MatchState match;
    for (long i = 0; i < frames; ++i) {
        simulateFrame(match);
    }
    std::printf("%d %d\n", gBallX, gBallY);
    return 0;
}
