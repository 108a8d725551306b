// The paddle-hit step: collision test, bounce on the touched edge, acceleration and cooldown.
#pragma once

// Tests paddle paddleIndex unless the cooldown is running, and bounces the ball off the edge it
// touches.
void resolvePaddleHit(int paddleIndex);

// Mirrors the ball's velocity on the line of the given edge (1 to 4) and plays the paddle sound.
void bounceOnPaddle(int paddleIndex, int edge);

// Makes the ball 3 per cent faster, each component to the nearest integer with halves away from
// zero, while its squared speed is at most 39999.
void accelerateBall();
