// Describes the white pixels inside a rectangle of a captured frame, for tests that cannot know
// the exact picture (e.g. after real key presses) but can tell where a paddle is and its shape.
//
//   frame_region IMAGE.ppm X0 Y0 X1 Y1      (inclusive corners, clipped to the image)
//
// Prints one line of key=value pairs:
//   count=N            white pixels in the region
//   bbox=X0,Y0,X1,Y1   their bounding box (bbox=none when there are none)
//   top=XL,XR          leftmost and rightmost white column on the bbox's top row
//   bottom=XL,XR       the same on the bbox's bottom row
//   parts=N            8-connected groups of white pixels (a paddle outline is one)
//   other=N            pixels that are neither black nor white
//   hash=H             a hash of which pixels are white, to tell whether two regions are the same
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "ppm.h"

int main(int argc, char* argv[]) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s IMAGE.ppm X0 Y0 X1 Y1\n", argv[0]);
        return 2;
    }
    Image image;
    std::string error;
    if (!readPpm(argv[1], image, error)) {
        std::fprintf(stderr, "frame_region: %s\n", error.c_str());
        return 2;
    }
    const int x0 = std::max(0, std::atoi(argv[2]));
    const int y0 = std::max(0, std::atoi(argv[3]));
    const int x1 = std::min(image.width - 1, std::atoi(argv[4]));
    const int y1 = std::min(image.height - 1, std::atoi(argv[5]));
    if (x0 > x1 || y0 > y1) {
        std::fprintf(stderr, "frame_region: empty region\n");
        return 2;
    }

    const int w = x1 - x0 + 1;
    const int h = y1 - y0 + 1;
    std::vector<int> label(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    auto index = [&](int x, int y) {
        return static_cast<std::size_t>(y - y0) * static_cast<std::size_t>(w) +
               static_cast<std::size_t>(x - x0);
    };

    long count = 0, other = 0;
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a over the white/black mask, row by row
    int minX = x1 + 1, minY = y1 + 1, maxX = x0 - 1, maxY = y0 - 1;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const bool white = image.isWhite(x, y);
            hash = (hash ^ (white ? 1u : 0u)) * 1099511628211ull;
            if (white) {
                ++count;
                label[index(x, y)] = -1; // white, not yet grouped
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            } else if (!image.isBlack(x, y)) {
                ++other;
            }
        }
    }
    if (count == 0) {
        std::printf("count=0 bbox=none parts=0 other=%ld hash=%016llx\n", other,
                    static_cast<unsigned long long>(hash));
        return 0;
    }

    int parts = 0;
    std::vector<std::pair<int, int>> stack;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (label[index(x, y)] != -1) {
                continue;
            }
            ++parts;
            label[index(x, y)] = parts;
            stack.emplace_back(x, y);
            while (!stack.empty()) {
                const auto [px, py] = stack.back();
                stack.pop_back();
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = px + dx;
                        const int ny = py + dy;
                        if (nx >= x0 && nx <= x1 && ny >= y0 && ny <= y1 &&
                            label[index(nx, ny)] == -1) {
                            label[index(nx, ny)] = parts;
                            stack.emplace_back(nx, ny);
                        }
                    }
                }
            }
        }
    }

    auto rowExtent = [&](int y, int& left, int& right) {
        left = x1 + 1;
        right = x0 - 1;
        for (int x = x0; x <= x1; ++x) {
            if (image.isWhite(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    };
    int topL, topR, bottomL, bottomR;
    rowExtent(minY, topL, topR);
    rowExtent(maxY, bottomL, bottomR);
    std::printf(
        "count=%ld bbox=%d,%d,%d,%d top=%d,%d bottom=%d,%d parts=%d other=%ld hash=%016llx\n",
        count, minX, minY, maxX, maxY, topL, topR, bottomL, bottomR, parts, other,
        static_cast<unsigned long long>(hash));
    return 0;
}
