// Nothing is allocated during play: every heap allocation made while 100 000 frames run is
// counted, through a replaced operator new and wrapped C allocators.
#include <cstdlib>
#include <new>

#include "test_support.h"

namespace {
bool counting = false;
long long allocations = 0;

void* allocate(std::size_t size) {
    if (counting) {
        ++allocations;
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

extern "C" {
void* __real_malloc(std::size_t);
void* __real_calloc(std::size_t, std::size_t);
void* __real_realloc(void*, std::size_t);

void* __wrap_malloc(std::size_t size) {
    if (counting) {
        ++allocations;
    }
    return __real_malloc(size);
}
void* __wrap_calloc(std::size_t count, std::size_t size) {
    if (counting) {
        ++allocations;
    }
    return __real_calloc(count, size);
}
void* __wrap_realloc(void* p, std::size_t size) {
    if (counting) {
        ++allocations;
    }
    return __real_realloc(p, size);
}
}

namespace {

TEST(Allocation, NoneDuringAHundredThousandFramesOfPlay) {
    fake::reset();
    testing_support::resetGameState();
    fake::state().record = false;
    constexpr long long kFrames = 100'000;
    long long seen = 0;
    testing_support::runFrames(kFrames + 1, [&](long long frame) {
        // Keys change now and then so that every path of the player's step runs.
        fake::state().keys[SDL_SCANCODE_UP] = (frame / 50) % 3 == 0;
        fake::state().keys[SDL_SCANCODE_DOWN] = (frame / 70) % 3 == 1;
        fake::state().keys[SDL_SCANCODE_RIGHT] = (frame / 30) % 4 == 0;
        fake::state().keys[SDL_SCANCODE_LEFT] = (frame / 40) % 4 == 1;
        counting = frame <= kFrames; // from the first present to the last counted one
        seen = frame;
    });
    counting = false;
    EXPECT_EQ(seen, kFrames + 1);
    EXPECT_EQ(allocations, 0);
}

// The counter itself works: an allocation made while counting is seen.
TEST(Allocation, TheCounterSeesAnAllocation) {
    allocations = 0;
    counting = true;
    void* p = std::malloc(16);
    int* q = new int(3);
    counting = false;
    std::free(p);
    delete q;
    EXPECT_EQ(allocations, 2);
}

} // namespace
