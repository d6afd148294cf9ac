// Object3D::animate: evaluating an object's animation tracks, blending the
// tracks of one property and walking on to the objects it references.

#include "render/scene/Object3D.h"

#include "render/animation/AnimationController.h"
#include "render/animation/AnimationTargets.h"
#include "render/animation/AnimationTrack.h"
#include "render/animation/KeyframeSequence.h"

namespace render {

namespace {

// Values of up to this many components are blended on the stack; larger
// ones (morph weights of many targets) in a vector.
constexpr int INLINE_COMPONENTS = 16;

} // namespace

int Object3D::animate(int worldTime)
{
    applyAnimationTracks(worldTime);
    animateReferences(worldTime);
    return 0;
}

void Object3D::applyAnimationTracks(int worldTime)
{
    const int trackCount = m_animationTracks.size();
    for (int first = 0; first < trackCount; ++first) {
        const int property = m_animationTracks[first]->getTargetProperty();
        // A property is handled with the first of its tracks.
        bool handled = false;
        for (int earlier = 0; earlier < first && !handled; ++earlier)
            handled = m_animationTracks[earlier]->getTargetProperty() == property;
        if (handled)
            continue;

        KeyframeSequence* firstSequence = m_animationTracks[first]->getKeyframeSequence();
        ASSERT_MSG(firstSequence, "KeyframeSequence not set to AnimationTrack.");
        const int count = firstSequence->getComponentCount();
        float inlineSum[INLINE_COMPONENTS];
        float inlineValue[INLINE_COMPONENTS];
        core::Vector<float> largeBuffers;
        float* sum = inlineSum;
        float* value = inlineValue;
        if (count > INLINE_COMPONENTS) {
            largeBuffers.setSizeForNativeType(2 * count);
            sum = largeBuffers.data();
            value = sum + count;
        }
        for (int i = 0; i < count; ++i)
            sum[i] = 0.f;

        for (int index = first; index < trackCount; ++index) {
            AnimationTrack* track = m_animationTracks[index].get();
            if (track->getTargetProperty() != property)
                continue;
            AnimationController* controller = track->getController();
            ASSERT_MSG(controller, "AnimationController not set to AnimationTrack.");
            KeyframeSequence* sequence = track->getKeyframeSequence();
            ASSERT_MSG(sequence, "KeyframeSequence not set to AnimationTrack.");
            ASSERT_MSG(sequence->getComponentCount() == count, "Component count too big in KeyFrameSequence");
            // Every track contributes, a track of weight 0 with zeros.
            const float weight = controller->getWeight();
            sequence->evaluate(controller->getPosition(worldTime), value);
            for (int i = 0; i < count; ++i)
                sum[i] += weight * value[i];
        }
        applyAnimatedValue(this, property, sum, count);
    }
}

void Object3D::animateReferences(int worldTime)
{
    // The references cannot lead back here: a track refers only to its
    // controller and sequence, which are no animation targets, and the node
    // tree has no cycles.
    m_animationReferences.clear();
    getReferences(&m_animationReferences);
    for (int i = 0; i < m_animationReferences.size(); ++i)
        m_animationReferences[i]->animate(worldTime);
}

} // namespace render
