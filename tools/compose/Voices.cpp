#include "Voices.h"

#include "Drums.h"
#include "Instruments.h"
#include "Synth.h"

#include <cmath>

namespace compose {

void renderNote(const Note& note, Canvas& canvas)
{
    if (isDrum(note.voice))
        renderDrum(note, canvas);
    else
        renderInstrument(note, canvas);
}

double soundingTime(const Note& note)
{
    return isDrum(note.voice) ? drumSoundingTime(note) : instrumentSoundingTime(note);
}

uint32_t noteSeed(const Note& note)
{
    return hashSeed(static_cast<uint32_t>(frameAt(note.start)), static_cast<uint32_t>(std::lround(note.pitch * 16.0)),
                    static_cast<uint32_t>(note.voice));
}

} // namespace compose
