#pragma once
// Piecewise-linear automation over song time, used for filter sweeps, send
// levels, sidechain depth and the closing fade.

#include <vector>

namespace compose {

class Curve {
public:
    // A curve that is constant at value everywhere.
    explicit Curve(double value = 0.0);

    // Adds a breakpoint; t must not be earlier than the last breakpoint. Two
    // breakpoints at the same time make a step. Throws std::invalid_argument
    // when t goes backwards.
    void set(double t, double value);
    // Jumps at time t from the curve's current value to value.
    void step(double t, double value);
    // Adds a linear ramp from (t0, v0) to (t1, v1); requires t0 <= t1.
    void ramp(double t0, double v0, double t1, double v1);

    // Value at song time t: linear between breakpoints, held beyond the ends.
    double at(double t) const;

private:
    struct Point {
        double t;
        double v;
    };
    double m_constant;
    std::vector<Point> m_points;
};

} // namespace compose
