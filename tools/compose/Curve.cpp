#include "Curve.h"

#include <algorithm>
#include <stdexcept>

namespace compose {

Curve::Curve(double value) : m_constant(value)
{
}

void Curve::set(double t, double value)
{
    if (!m_points.empty() && t < m_points.back().t)
        throw std::invalid_argument("automation breakpoints must be in time order");
    m_points.push_back({t, value});
}

void Curve::step(double t, double value)
{
    set(t, at(t));
    set(t, value);
}

void Curve::ramp(double t0, double v0, double t1, double v1)
{
    set(t0, v0);
    set(t1, v1);
}

double Curve::at(double t) const
{
    if (m_points.empty())
        return m_constant;
    if (t < m_points.front().t)
        return m_points.front().v;
    // First breakpoint strictly after t; the one before it is the segment start.
    auto after =
        std::upper_bound(m_points.begin(), m_points.end(), t, [](double x, const Point& p) { return x < p.t; });
    if (after == m_points.end())
        return m_points.back().v;
    const Point& b = *after;
    const Point& a = *(after - 1);
    const double u = (t - a.t) / (b.t - a.t);
    return a.v + (b.v - a.v) * u;
}

} // namespace compose
