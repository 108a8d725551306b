// Opponent control: the right paddle follows the approaching ball or returns to the middle.
#pragma once

// Moves the opponent's paddle one step of 70 up or down, or leaves it.
void moveOpponent();
