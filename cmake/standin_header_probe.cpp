// Compiled only by the check that the plug-in's production code cannot reach
// the stand-in: with the plug-in's include paths this line must not compile.
#include "player_model.h"
