#pragma once
// The process's keyboard and mouse state: one entry per key code and one
// float per device and axis. The window procedure writes it as OS events
// arrive; Input handles read it. There is one state per process: it lives in
// the pool while a display or an input handle holds it (acquire), and starts
// cleared when it is created.

#include <cstdint>

#include "core/Object.h"
#include "core/Ref.h"

namespace HAL {

class InputState : public core::Object {
public:
    // Keyboard axes are key codes 0 to 286.
    static constexpr int KEY_STATE_TABLE_SIZE = 287;
    // Axes of the other devices.
    static constexpr int FIRST_DEVICE_AXIS_ID = 255;
    static constexpr int LAST_DEVICE_AXIS_ID = 287;
    static constexpr int DEVICE_COUNT = 8;

    // The process's state; created (cleared) in the pool when nobody holds
    // one. Throws MemoryManagerException when the pool is full.
    static core::Ref<InputState> acquire();
    // The process's state, or null when nobody holds one.
    static InputState* current();

    InputState();
    ~InputState() noexcept(false) override;

    // Stores a new state. Requires a device 0 to 7 and a value in -1..1.
    // Keyboard (device 0): requires axis < 287; the key is down when value > 0.
    // Other devices: requires 255 <= axis <= 287.
    void update(int32_t deviceType, int32_t axis, float value);

    // Whether key `code` is down, or went down since the last read: a tap
    // whose press and release arrive between two reads still reads as one
    // press. Consumes that pending press. Requires 0 <= code < 287.
    bool readKey(int32_t code);

    // The stored value of a device axis. Requires device 1 to 7 and
    // 255 <= axis <= 287.
    float getAxis(int32_t deviceType, int32_t axis) const;
    // Returns the stored value and sets it to 0 (motion since the last read).
    float takeAxis(int32_t deviceType, int32_t axis);

    // The mouse moved to pixel (x, y) of a client area of width x height
    // (both > 0): position axes 255 and 256 (clamped to 0..1), motion since
    // the last read on 258 and 259, and the pointing direction of device 7.
    void mouseMoved(int32_t x, int32_t y, int32_t width, int32_t height);
    // Mouse wheel by `delta` units (120 per notch, positive away from the
    // user): axis 257 moves by delta / 32767, saturating at -1 and 1.
    void mouseWheel(int32_t delta);

    // Clears every key and axis (the window lost the focus).
    void clear();

private:
    static int axisIndex(int32_t axis);

    // Bit 0: the key is down. Bit 1: it went down and nobody has read it yet.
    uint8_t m_keys[KEY_STATE_TABLE_SIZE];
    float m_axes[DEVICE_COUNT][LAST_DEVICE_AXIS_ID - FIRST_DEVICE_AXIS_ID + 1];
};

} // namespace HAL
