// Checks a frame shown scaled (full screen, a resized window) against the same frame shown at its
// own size: the court must fill the largest 4 : 3 area of the screen, centred, black around it,
// and each screen pixel in that area must be the court pixel it samples, nearest-pixel (so that at
// whole multiples every court pixel is an identical block, and at fractional ones no line is
// lost: every court pixel is shown by at least one screen pixel).
//
//   scaled_frame SCREEN.ppm COURT.ppm
//
// Prints the court's area and scale, or the first mismatches; exits 0 only on an exact match.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ppm.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: scaled_frame SCREEN.ppm COURT.ppm\n");
        return 2;
    }
    Image screen;
    Image court;
    std::string error;
    if (!readPpm(argv[1], screen, error) || !readPpm(argv[2], court, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    // The largest 4 : 3 area, centred.
    int w = screen.width;
    int h = screen.height;
    if (w * court.height >= h * court.width) {
        w = h * court.width / court.height;
    } else {
        h = w * court.height / court.width;
    }
    const int x0 = (screen.width - w) / 2;
    const int y0 = (screen.height - h) / 2;
    std::printf("area=%d,%d,%d,%d scale=%.3f\n", x0, y0, w, h,
                static_cast<double>(w) / court.width);

    // The court pixel each screen pixel samples: the one under its centre.
    const auto sample = [](int s, int size, int courtSize) {
        return static_cast<int>((2LL * s + 1) * courtSize / (2LL * size));
    };
    std::vector<char> shown(static_cast<std::size_t>(court.width * court.height), 0);
    long mismatches = 0;
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            const bool inside = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
            const std::uint8_t* want = nullptr;
            static const std::uint8_t black[3] = {0, 0, 0};
            if (inside) {
                const int cx = sample(x - x0, w, court.width);
                const int cy = sample(y - y0, h, court.height);
                shown[static_cast<std::size_t>(cy * court.width + cx)] = 1;
                want = court.at(cx, cy);
            } else {
                want = black;
            }
            if (std::memcmp(screen.at(x, y), want, 3) != 0 && ++mismatches <= 10) {
                std::printf("screen (%d,%d) is %d,%d,%d, not %d,%d,%d%s\n", x, y,
                            screen.at(x, y)[0], screen.at(x, y)[1], screen.at(x, y)[2], want[0],
                            want[1], want[2], inside ? "" : " (outside the court)");
            }
        }
    }
    long lost = 0;
    for (const char seen : shown) {
        lost += seen == 0 ? 1 : 0;
    }
    std::printf("mismatches=%ld court_pixels_not_shown=%ld\n", mismatches, lost);
    return mismatches == 0 && lost == 0 ? 0 : 1;
}
