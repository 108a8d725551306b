// Shared state of the simulation: the ball, both paddles and their corners, the paddle shape
// constants and the bounce cooldown. Every simulation file reads and writes these directly;
// drawing only reads them.
//
// Court units: every position, distance and velocity is a 32-bit signed integer in tenths of a
// window pixel. The court is 8000 x 6000 units, origin top-left, y growing downwards; velocities
// are per frame. Angles are single-precision radians; positive turns a paddle clockwise on screen.
#pragma once

// ---------------------------------------------------------------------------------------------
// Court landmarks
// ---------------------------------------------------------------------------------------------
constexpr int kCourtWidth = 8000;
constexpr int kCourtHeight = 6000;
constexpr int kCentreLineX = 4000;
constexpr int kPlayerPaddleX = 400;
constexpr int kOpponentPaddleX = 7600;
constexpr int kPaddleCentreY = 3000;
constexpr int kBallHalfSize = 160;
// A paddle at zero tilt: a rectangle this far from its centre across and along.
constexpr int kPaddleHalfWidth = 160;
constexpr int kPaddleHalfLength = 640;

// Paddle indices, used in the corner table and every operation taking a paddle.
constexpr int kPlayerPaddle = 0;
constexpr int kOpponentPaddle = 1;
constexpr int kPaddleCount = 2;
constexpr int kPaddleCorners = 4;

// ---------------------------------------------------------------------------------------------
// Ball
// ---------------------------------------------------------------------------------------------
extern int gBallX;  // centre x
extern int gBallY;  // centre y
extern int gBallVx; // velocity per frame, x
extern int gBallVy; // velocity per frame, y

// ---------------------------------------------------------------------------------------------
// Paddles
// ---------------------------------------------------------------------------------------------
extern int gPlayerY;               // centre y of the player's (left) paddle
extern float gPlayerOrientation;   // angle of the player's paddle
extern int gOpponentY;             // centre y of the opponent's (right) paddle
extern float gOpponentOrientation; // angle of the opponent's paddle; stays 0

// Corners of both paddles, recomputed every frame: [paddle][corner][0 = x, 1 = y].
extern int gPaddleApex[kPaddleCount][kPaddleCorners][2];

// Paddle shape, set once at start-up: centre-to-corner distance and the angles of the
// directions to corners 0 and 1 at zero tilt.
extern float gPaddleHalfDiagonal;
extern float gPaddleAlpha1;
extern float gPaddleAlpha2;

// Paddle-hit steps still to skip after a bounce.
extern int gBounceCooldown;
