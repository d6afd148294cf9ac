#pragma once
// The synthesised drum kit and the transition effects (riser, swell, impact).

#include "Canvas.h"
#include "Score.h"

namespace compose {

// True for the voices rendered here (Kick .. Impact).
bool isDrum(Voice voice);
// Adds one drum hit or effect; the note's length matters for open hats,
// risers and swells, its pitch for toms. Requires isDrum(note.voice).
void renderDrum(const Note& note, Canvas& canvas);
// Seconds the hit sounds after its start. Requires isDrum(note.voice).
double drumSoundingTime(const Note& note);

} // namespace compose
