// Collision detection. Everything is 32-bit integer arithmetic; the side test compares two squared
// lengths measured from the truncated midpoint of A and B, which is exact for points within
// +-16383 of it.
#include "game/collision.h"

#include <algorithm>

#include "game/game.h"

namespace {

struct Point {
    int x;
    int y;
};

int side(Point a, Point b, Point p) {
    return computeSide(a.x, a.y, b.x, b.y, p.x, p.y);
}

// Whether two segments lying on one line have at least one point in common, ends included.
bool extentsOverlap(Point a1, Point a2, Point b1, Point b2) {
    return std::max(std::min(a1.x, a2.x), std::min(b1.x, b2.x)) <=
               std::min(std::max(a1.x, a2.x), std::max(b1.x, b2.x)) &&
           std::max(std::min(a1.y, a2.y), std::min(b1.y, b2.y)) <=
               std::min(std::max(a1.y, a2.y), std::max(b1.y, b2.y));
}

} // namespace

int computeSide(int ax, int ay, int bx, int by, int px, int py) {
    const int mx = (ax + bx) / 2;
    const int my = (ay + by) / 2;
    const int sax = ax - mx;
    const int say = ay - my;
    const int sbx = bx - mx;
    const int sby = by - my;
    const int spx = px - mx;
    const int spy = py - my;

    const int lenA = (say + spx) * (say + spx) + (spy - sax) * (spy - sax);
    const int lenB = (sby + spx) * (sby + spx) + (spy - sbx) * (spy - sbx);
    if (lenB < lenA) {
        return 0;
    }
    return lenB == lenA ? 1 : 2;
}

int detectSegmentIntersection(int a1x, int a1y, int a2x, int a2y, int b1x, int b1y, int b2x,
                              int b2y) {
    const Point a1{a1x, a1y};
    const Point a2{a2x, a2y};
    const Point b1{b1x, b1y};
    const Point b2{b2x, b2y};

    // With B1 on A's right (code 0), a further code 0 rules contact out; with B1 on the line or
    // on the left, a code 2 does. The tests run in this order and stop at the first that decides.
    const int first = side(a1, a2, b1);
    const int excluding = first == 0 ? 0 : 2;
    const int second = side(a1, a2, b2);
    if (second == excluding || side(a1, b1, b2) == excluding || side(b1, a2, b2) == excluding) {
        return 0;
    }

    // Both ends of B on A's line: the segments touch only where they share a point. Without this a
    // box side far along the line of a paddle edge would count as touching it.
    if (first == 1 && second == 1) {
        return extentsOverlap(a1, a2, b1, b2) ? 1 : 0;
    }
    return 1;
}

int checkCollisionWithPaddle(int paddleIndex) {
    const int(&corner)[kPaddleCorners][2] = gPaddleApex[paddleIndex];
    const int left = gBallX - kBallHalfSize;
    const int right = gBallX + kBallHalfSize;
    const int top = gBallY - kBallHalfSize;
    const int bottom = gBallY + kBallHalfSize;

    // Box sides, each from its first to its second point, running clockwise on screen: lower,
    // left, upper, right.
    const Point boxSides[4][2] = {
        {{right, bottom}, {left, bottom}},
        {{left, bottom}, {left, top}},
        {{left, top}, {right, top}},
        {{right, top}, {right, bottom}},
    };

    // Edge 4, the player's court-facing side, first; then edges 1, 2 and 3.
    constexpr int kEdgeOrder[] = {4, 1, 2, 3};
    for (const int edge : kEdgeOrder) {
        const int(&start)[2] = corner[edge - 1];
        const int(&end)[2] = corner[edge % kPaddleCorners];
        for (const auto& boxSide : boxSides) {
            if (detectSegmentIntersection(start[0], start[1], end[0], end[1], boxSide[0].x,
                                          boxSide[0].y, boxSide[1].x, boxSide[1].y) != 0) {
                return edge;
            }
        }
    }
    return 0;
}
