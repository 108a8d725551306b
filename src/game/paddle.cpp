// Paddle geometry. Corner 0 is bottom right at zero tilt, then 1 bottom left, 2 top left and 3 top
// right; edge k runs from corner k - 1 to corner k mod 4.
#include "game/paddle.h"

#include <cmath>

#include "game/game.h"

namespace {

// The corners of the kPaddleHalfWidth x kPaddleHalfLength half-rectangle: their distance from the
// centre, and the angle whose tangent is kPaddleHalfLength / kPaddleHalfWidth (4), as the
// single-precision values the geometry is defined with; the second angle is its supplement, taken
// with 3.141592 as pi.
constexpr float kPaddleHalfDiagonal = 659.6969f;
constexpr float kPaddleAlpha1 = 1.3258177f;
constexpr double kPi = 3.141592;
constexpr float kCornerDistanceSquared =
    kPaddleHalfWidth * kPaddleHalfWidth + kPaddleHalfLength * kPaddleHalfLength;
static_assert(kPaddleHalfDiagonal * kPaddleHalfDiagonal - kCornerDistanceSquared < 1.0f &&
                  kCornerDistanceSquared - kPaddleHalfDiagonal * kPaddleHalfDiagonal < 1.0f,
              "the half-diagonal belongs to the paddle's half-width and half-length");

} // namespace

void setPaddleShape() {
    gPaddleHalfDiagonal = kPaddleHalfDiagonal;
    gPaddleAlpha1 = kPaddleAlpha1;
    gPaddleAlpha2 = static_cast<float>(kPi - static_cast<double>(gPaddleAlpha1));
}

void computePaddleApex(int paddleIndex, int centreX, int centreY, float orientation) {
    // Angle sums and trigonometry in double precision from the single-precision inputs; each
    // offset truncates toward zero.
    const double a = static_cast<double>(gPaddleAlpha1) + static_cast<double>(orientation);
    const double b = static_cast<double>(gPaddleAlpha2) + static_cast<double>(orientation);
    const double radius = static_cast<double>(gPaddleHalfDiagonal);
    const int dx1 = static_cast<int>(std::cos(a) * radius);
    const int dy1 = static_cast<int>(std::sin(a) * radius);
    const int dx2 = static_cast<int>(std::cos(b) * radius);
    const int dy2 = static_cast<int>(std::sin(b) * radius);

    // Corners 2 and 3 are the point reflections of 0 and 1 through the centre.
    int(&corner)[kPaddleCorners][2] = gPaddleApex[paddleIndex];
    corner[0][0] = centreX + dx1;
    corner[0][1] = centreY + dy1;
    corner[1][0] = centreX + dx2;
    corner[1][1] = centreY + dy2;
    corner[2][0] = centreX - dx1;
    corner[2][1] = centreY - dy1;
    corner[3][0] = centreX - dx2;
    corner[3][1] = centreY - dy2;
}
