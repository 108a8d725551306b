// Court drawing: one complete frame from the game state, in white lines on black.
#pragma once

// Clears, draws the centre line, both scores, both paddles and the ball, and presents (scaled to
// the window as render/screen.h has it).
void renderFrame(int playerScore, int opponentScore);

// The same frame with the hold sign over it: two bars either side of the centre line.
void renderHeldFrame(int playerScore, int opponentScore);

// Outlines of both paddles from their corners, in the renderer's current colour.
void renderPaddles();

// Outline of the ball, in the renderer's current colour.
void renderBall();

// Court units to pixels: truncating toward zero (the ball's centre), and to the nearest pixel with
// halves away from zero (paddle corners).
int courtToPixelTruncated(int v);
int courtToPixelNearest(int v);
