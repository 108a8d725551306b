// The match loop: start of play, the frame order, scoring, serves, pauses and frame pacing.
#pragma once

// Runs frames until the window's quit event arrives, then returns 0.
int play();

// The moving part of a frame: the player's and the opponent's steps, each followed by its paddle's
// corners, then the ball's step between two paddle-hit steps on the given paddle.
void advanceSimulation(int paddleUnderTest);

// Puts the ball on the centre line at height y, moving vx sideways and upwards.
void serveBall(int y, int vx);
