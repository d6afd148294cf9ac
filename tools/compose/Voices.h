#pragma once
// Entry points of the synthesised voices: drums and effects live in
// Drums.cpp, pitched instruments in Instruments.cpp.

#include "Canvas.h"
#include "Score.h"

namespace compose {

// Adds the sound of one note to the canvas. The result depends only on the
// note (its noise is seeded from the note itself), never on other calls.
void renderNote(const Note& note, Canvas& canvas);

// Seconds the voice keeps sounding after its note starts, including release
// and decay; used to find the notes that reach into a render window.
double soundingTime(const Note& note);

// Seed for a note's noise, from its start, pitch and voice.
uint32_t noteSeed(const Note& note);

} // namespace compose
