#pragma once
// PngSequence: captured frames as numbered PNG files in a folder,
// FOLDER/frame_00000.png, frame_00001.png, ..., written as RGB with fast
// compression. Files of an earlier capture beyond the last frame are left
// as they are.

#include <cstdint>
#include <string>

#include "demo/FrameSink.h"

class PngSequence final : public FrameSink {
public:
    // Creates `folder` (and its parents) when missing; the first frame
    // written is numbered `firstIndex`. Throws CaptureException when the
    // folder cannot be made or is not a folder.
    explicit PngSequence(const std::string& folder, uint32_t firstIndex = 0);

    // Writes the next numbered file. Throws core::IOException (from the PNG
    // writer) when it cannot be written.
    void writeFrame(const uint8_t* rgbaBottomUp, int width, int height) override;
    // Every file is complete once written: nothing left to do.
    void finish() override { }

    // The path of frame `index`.
    std::string framePath(uint32_t index) const;
    // The number the next frame written gets.
    uint32_t getNextIndex() const { return m_next; }

private:
    std::string m_folder; // ends with '/'
    uint32_t m_next = 0;
};
