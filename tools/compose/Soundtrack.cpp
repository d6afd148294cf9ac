#include "Soundtrack.h"

#include "Arrangement.h"
#include "Mixer.h"
#include "Synth.h"

namespace compose {

StereoBuffer renderSoundtrack(SoundtrackReport* report)
{
    const Song song = buildSong();
    StereoBuffer pcm = Mixer(song).render(0.0, song.duration);
    const MasterReport m = master(pcm);
    if (report) {
        report->seconds = static_cast<double>(pcm.frames()) / kSampleRate;
        report->master = m;
    }
    return pcm;
}

} // namespace compose
