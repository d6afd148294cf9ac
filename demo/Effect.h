#pragma once
// One effect of the show: an update, run once per 5 ms step while the
// timeline is in one of the effect's states, and a render routine that
// draws a whole frame. An effect owns what it draws and moves; what the
// effects share (the camera, the backgrounds, the fade overlay and the
// timeline) belongs to the stage.

namespace render {
class Graphics3D;
}

class DemoStage;

class Effect {
public:
    // An effect drawing on `stage`, which must outlive it.
    explicit Effect(DemoStage& stage) : m_stage(stage) { }
    virtual ~Effect() noexcept(false) = default;

    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // One step of `seconds`; the default moves nothing (the timeline keeps
    // the effect time of such effects).
    virtual void update(float seconds) { (void)seconds; }
    // Once per frame of the show, drawn or skipped (a start past the
    // beginning runs the show ahead without drawing), right before render:
    // what moves by frames rather than by time. The default moves nothing.
    virtual void advanceFrame() { }
    // Draws the frame: begins it, draws the effect, adds the fade overlay
    // in the states that carry one, ends it.
    virtual void render(render::Graphics3D& g3d) = 0;

protected:
    DemoStage& m_stage;
};
