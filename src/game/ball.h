// Ball motion: one step per frame, reflected off the top and bottom walls.
#pragma once

// Advances the ball by its velocity and mirrors it off a wall it passed, with the wall sound.
// Always returns 1.
int moveBall();
