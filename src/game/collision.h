// Collision detection between the ball's box and a paddle's edges, on integer court units.
#pragma once

// Side of point P relative to the line through A and B: 0 right of A->B as seen on screen,
// 1 on the line, 2 left (within one unit of the line when a coordinate sum of A and B is odd,
// the integer midpoint shifts the decision).
int computeSide(int ax, int ay, int bx, int by, int px, int py);

// 1 if segment A1A2 and segment B1B2 are found touching, else 0.
int detectSegmentIntersection(int a1x, int a1y, int a2x, int a2y, int b1x, int b1y, int b2x,
                              int b2y);

// The first edge (tested 4, 1, 2, 3) of paddle paddleIndex that the ball's box touches, or 0.
int checkCollisionWithPaddle(int paddleIndex);
