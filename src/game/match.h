// The match loop: start of play, the frame order, scoring, serves, pauses and frame pacing.
#pragma once

// What the match loop keeps for one call of play(): both scores and the two pause flags.
struct MatchState {
    int playerScore = 0;
    int opponentScore = 0;
    int pointPause = 0; // a point was scored: pause 500 ms after the frame
    int matchOver = 0;  // a score reached 10: pause 2500 ms after the frame, then reset the scores
};

// Runs frames until the window's quit event arrives, then returns 0. Each frame: drain the
// events, update the game, draw it, hold the frame rate, pause after a point or a match. A frame
// of a held game (game/hold.h) neither updates nor pauses: it shows the game as it stands.
int play();

// The start of play: the opening serve, both paddles upright at mid-height, and their corners.
void startPlay();

// One frame's update: scores a ball that has left the court (with its sound or music, and a new
// serve), then moves the player's paddle, the opponent's and the ball, the ball between two
// paddle-hit steps on the paddle of the side the ball was on.
void updateGame(MatchState& match);

// After a finished match: the next one, from 0 to 0 with neither pause due. The ball, the paddles
// and the bounce cooldown play on as they are.
void startNextMatch(MatchState& match);

// Puts the ball on the centre line at height y, moving vx sideways and upwards.
void serveBall(int y, int vx);
