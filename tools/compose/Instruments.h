#pragma once
// The pitched instruments: basses, pad, chord stab, leads, bell and bubbles.

#include "Canvas.h"
#include "Score.h"

namespace compose {

// Adds one note of a pitched voice. Requires !isDrum(note.voice).
void renderInstrument(const Note& note, Canvas& canvas);
// Seconds the note sounds after its start, release included.
double instrumentSoundingTime(const Note& note);

} // namespace compose
