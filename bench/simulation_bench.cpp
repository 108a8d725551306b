// Cost of one frame of the game's update without drawing (scoring, the player's step, both corner
// computations, the opponent's step, both paddle-hit steps and the ball's step), linked against
// the real SDL (keyboard state and, on a bounce or a point, a sound that finds no open device).
#include <benchmark/benchmark.h>

#include "game/game.h"
#include "game/paddle.h"
#include "sim_frame.h"

static void BM_SimulationFrame(benchmark::State& state) {
    startSimulation();
    MatchState match;
    for (auto _ : state) {
        simulateFrame(match);
        benchmark::DoNotOptimize(gBallX);
        benchmark::DoNotOptimize(gPaddleApex);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SimulationFrame);

static void BM_ComputePaddleApex(benchmark::State& state) {
    startSimulation();
    float angle = 0.15f;
    for (auto _ : state) {
        computePaddleApex(0, 400, 3000, angle);
        benchmark::DoNotOptimize(gPaddleApex);
    }
}
BENCHMARK(BM_ComputePaddleApex);

BENCHMARK_MAIN();
