// Score digits: one score value (0 to 10) for one side, as filled seven-segment style bars.
#pragma once

// Fills the glyph of value for side 0 (the player's, left of the centre line) or side 1 (the
// opponent's, right of it) in the renderer's current colour. Values outside 0 to 10 draw nothing.
void renderScore(int value, int side);
