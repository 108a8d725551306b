// The match loop: start of play, the frame order, scoring, serves, pauses and frame pacing.
#pragma once

// Runs frames until the window's quit event arrives, then returns 0.
int play();

// Puts the ball on the centre line at height y, moving vx sideways and upwards.
void serveBall(int y, int vx);
