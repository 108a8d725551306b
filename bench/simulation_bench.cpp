// Cost of one frame of simulation without drawing: the player's step, both corner computations,
// the opponent's step, both paddle-hit steps and the ball's step, in the loop's order, linked
// against the real SDL (keyboard state and, on a bounce, a sound that finds no open device).
#include <benchmark/benchmark.h>

#include "game/game.h"
#include "game/paddle.h"
#include "sim_frame.h"

static void BM_SimulationFrame(benchmark::State& state) {
    startSimulation();
    for (auto _ : state) {
        simulateFrame();
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
