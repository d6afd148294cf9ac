#include "slmath/mat4.h"

namespace slmath {

namespace {

// A double narrowed to float, with values beyond the float range turned into
// the matching infinity (so the caller's finite check reports them) instead
// of relying on an out-of-range conversion.
float narrow(double d)
{
    if (d > FLT_MAX)
        return HUGE_VALF;
    if (d < -FLT_MAX)
        return -HUGE_VALF;
    return float(d);
}

// The elements of a matrix widened to double, a[row][column].
struct Wide {
    double a[4][4];

    explicit Wide(const mat4& m)
    {
        float e[16];
        m.toRowMajor(e);
        for (size_t i = 0; i < 4; ++i)
            for (size_t j = 0; j < 4; ++j)
                a[i][j] = e[4 * i + j];
    }
};

// The 2x2 minors of the upper two rows (s) and of the lower two rows (c).
// Expanding the determinant along the two row pairs (Laplace) gives
// det = s0 c5 - s1 c4 + s2 c3 + s3 c2 - s4 c1 + s5 c0, and the same minors
// give every cofactor of the adjugate.
struct Minors {
    double s[6];
    double c[6];

    explicit Minors(const double (&a)[4][4])
    {
        s[0] = a[0][0] * a[1][1] - a[1][0] * a[0][1];
        s[1] = a[0][0] * a[1][2] - a[1][0] * a[0][2];
        s[2] = a[0][0] * a[1][3] - a[1][0] * a[0][3];
        s[3] = a[0][1] * a[1][2] - a[1][1] * a[0][2];
        s[4] = a[0][1] * a[1][3] - a[1][1] * a[0][3];
        s[5] = a[0][2] * a[1][3] - a[1][2] * a[0][3];

        c[5] = a[2][2] * a[3][3] - a[3][2] * a[2][3];
        c[4] = a[2][1] * a[3][3] - a[3][1] * a[2][3];
        c[3] = a[2][1] * a[3][2] - a[3][1] * a[2][2];
        c[2] = a[2][0] * a[3][3] - a[3][0] * a[2][3];
        c[1] = a[2][0] * a[3][2] - a[3][0] * a[2][2];
        c[0] = a[2][0] * a[3][1] - a[3][0] * a[2][1];
    }

    double determinant() const
    {
        return s[0] * c[5] - s[1] * c[4] + s[2] * c[3] + s[3] * c[2] - s[4] * c[1] + s[5] * c[0];
    }
};

} // namespace

mat4& mat4::operator*=(float s)
{
    ASSERT(check(s));
    ASSERT(check(*this));
    const vec4* r = m_rows;
    *this = mat4(
        vec4(r[0].x * s, r[0].y * s, r[0].z * s, r[0].w * s), vec4(r[1].x * s, r[1].y * s, r[1].z * s, r[1].w * s),
        vec4(r[2].x * s, r[2].y * s, r[2].z * s, r[2].w * s), vec4(r[3].x * s, r[3].y * s, r[3].z * s, r[3].w * s));
    return *this;
}

bool mat4::operator==(const mat4& o) const
{
    ASSERT(check(*this));
    ASSERT(check(o));
    for (size_t i = 0; i < 4; ++i) {
        const vec4& a = m_rows[i];
        const vec4& b = o.m_rows[i];
        if (!(a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w))
            return false;
    }
    return true;
}

mat4 mat4::fromRowMajor(const float* values)
{
    ASSERT(values);
    return mat4(vec4(values[0], values[1], values[2], values[3]), vec4(values[4], values[5], values[6], values[7]),
                vec4(values[8], values[9], values[10], values[11]),
                vec4(values[12], values[13], values[14], values[15]));
}

void mat4::toRowMajor(float* out) const
{
    ASSERT(out);
    ASSERT(check(*this));
    for (size_t i = 0; i < 4; ++i) {
        out[4 * i + 0] = m_rows[i].x;
        out[4 * i + 1] = m_rows[i].y;
        out[4 * i + 2] = m_rows[i].z;
        out[4 * i + 3] = m_rows[i].w;
    }
}

void mat4::toColumnMajor(float* out) const
{
    ASSERT(out);
    ASSERT(check(*this));
    for (size_t i = 0; i < 4; ++i) {
        out[i + 0] = m_rows[i].x;
        out[i + 4] = m_rows[i].y;
        out[i + 8] = m_rows[i].z;
        out[i + 12] = m_rows[i].w;
    }
}

mat4 transpose(const mat4& m)
{
    ASSERT(check(m));
    float e[16];
    m.toColumnMajor(e);
    return mat4::fromRowMajor(e);
}

float det(const mat4& m)
{
    ASSERT(check(m));
    const Wide w(m);
    const double res = Minors(w.a).determinant();
    ASSERT(res >= -FLT_MAX && res <= FLT_MAX);
    return float(res);
}

mat4 inverse(const mat4& m)
{
    ASSERT(check(m));
    const Wide w(m);
    const auto& a = w.a;
    const Minors minors(a);
    const double* s = minors.s;
    const double* c = minors.c;
    const double D = minors.determinant();
    ASSERT(D > FLT_MIN || D < -FLT_MIN);
    const double k = 1.0 / D;

    // Adjugate (transposed cofactors) times 1/D.
    mat4 res;
    vec4* r = res.m_rows;
    r[0].x = narrow((a[1][1] * c[5] - a[1][2] * c[4] + a[1][3] * c[3]) * k);
    r[0].y = narrow((-a[0][1] * c[5] + a[0][2] * c[4] - a[0][3] * c[3]) * k);
    r[0].z = narrow((a[3][1] * s[5] - a[3][2] * s[4] + a[3][3] * s[3]) * k);
    r[0].w = narrow((-a[2][1] * s[5] + a[2][2] * s[4] - a[2][3] * s[3]) * k);

    r[1].x = narrow((-a[1][0] * c[5] + a[1][2] * c[2] - a[1][3] * c[1]) * k);
    r[1].y = narrow((a[0][0] * c[5] - a[0][2] * c[2] + a[0][3] * c[1]) * k);
    r[1].z = narrow((-a[3][0] * s[5] + a[3][2] * s[2] - a[3][3] * s[1]) * k);
    r[1].w = narrow((a[2][0] * s[5] - a[2][2] * s[2] + a[2][3] * s[1]) * k);

    r[2].x = narrow((a[1][0] * c[4] - a[1][1] * c[2] + a[1][3] * c[0]) * k);
    r[2].y = narrow((-a[0][0] * c[4] + a[0][1] * c[2] - a[0][3] * c[0]) * k);
    r[2].z = narrow((a[3][0] * s[4] - a[3][1] * s[2] + a[3][3] * s[0]) * k);
    r[2].w = narrow((-a[2][0] * s[4] + a[2][1] * s[2] - a[2][3] * s[0]) * k);

    r[3].x = narrow((-a[1][0] * c[3] + a[1][1] * c[1] - a[1][2] * c[0]) * k);
    r[3].y = narrow((a[0][0] * c[3] - a[0][1] * c[1] + a[0][2] * c[0]) * k);
    r[3].z = narrow((-a[3][0] * s[3] + a[3][1] * s[1] - a[3][2] * s[0]) * k);
    r[3].w = narrow((a[2][0] * s[3] - a[2][1] * s[1] + a[2][2] * s[0]) * k);

    ASSERT(check(res));
    return res;
}

mat4 translation(const vec3& t)
{
    return mat4(vec4(1.f, 0.f, 0.f, t.x), vec4(0.f, 1.f, 0.f, t.y), vec4(0.f, 0.f, 1.f, t.z), vec4(0.f, 0.f, 0.f, 1.f));
}

mat4 scaling(const vec3& s)
{
    return mat4(vec4(s.x, 0.f, 0.f, 0.f), vec4(0.f, s.y, 0.f, 0.f), vec4(0.f, 0.f, s.z, 0.f), vec4(0.f, 0.f, 0.f, 1.f));
}

mat4 rotation(float degrees, const vec3& axis)
{
    ASSERT(check(degrees));
    const vec3 u = normalize(axis);
    const float theta = degrees * DEG_TO_RAD;
    const float k = cosf(theta);
    const float s = sinf(theta);
    const float t = 1.f - k;
    return mat4(vec4(u.x * u.x * t + k, u.x * u.y * t - u.z * s, u.x * u.z * t + u.y * s, 0.f),
                vec4(u.x * u.y * t + u.z * s, u.y * u.y * t + k, u.y * u.z * t - u.x * s, 0.f),
                vec4(u.x * u.z * t - u.y * s, u.y * u.z * t + u.x * s, u.z * u.z * t + k, 0.f),
                vec4(0.f, 0.f, 0.f, 1.f));
}

} // namespace slmath
