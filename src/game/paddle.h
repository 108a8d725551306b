// Paddle geometry: the four corners of a tilted paddle.
#pragma once

// Overwrites the corners of paddle paddleIndex in gPaddleApex for a paddle centred on
// (centreX, centreY) and turned by orientation radians (clockwise on screen).
void computePaddleApex(int paddleIndex, int centreX, int centreY, float orientation);

// Sets the paddle shape (gPaddleHalfDiagonal, gPaddleAlpha1, gPaddleAlpha2), once, before anything
// else runs.
void setPaddleShape();
