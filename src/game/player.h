// Player control: the arrow keys move and tilt the left paddle.
#pragma once

// Reads the held arrow keys and applies at most one move and one tilt. Returns 1 if any arrow key
// was acted on, 0 if none is held.
int moveAndRotatePlayer();

void movePlayerUp();
void movePlayerDown();
void rotatePlayerRight();
void rotatePlayerLeft();
