// Definitions of the shared simulation state. Everything starts at zero at process start.
#include "game/game.h"

int gBallX = 0;
int gBallY = 0;
int gBallVx = 0;
int gBallVy = 0;

int gPlayerY = 0;
float gPlayerOrientation = 0.0f;
int gOpponentY = 0;
float gOpponentOrientation = 0.0f;

int gPaddleApex[kPaddleCount][kPaddleCorners][2] = {};

float gPaddleHalfDiagonal = 0.0f;
float gPaddleAlpha1 = 0.0f;
float gPaddleAlpha2 = 0.0f;

int gBounceCooldown = 0;
