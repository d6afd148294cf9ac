#include "Pictures.h"

#include <cmath>

#include "Lettering.h"
#include "Paint.h"

namespace bake {

namespace {

constexpr int SCREEN_W = 1024;
constexpr int SCREEN_H = 768;

// The 80s chrome ramp: t = 0 at the top of the letters, 1 at their feet.
Color chromeRamp(float t)
{
    struct Stop {
        float t;
        uint32_t color;
    };
    static const Stop stops[] = {{0.00f, 0xF4FBFF}, {0.22f, 0xA9D8F5}, {0.47f, 0x2E5F9E}, {0.50f, 0x101830},
                                 {0.53f, 0x5A2A12}, {0.70f, 0xD9782B}, {0.88f, 0xFFD27A}, {1.00f, 0xFFF6D8}};
    if (t <= stops[0].t)
        return rgb(stops[0].color);
    for (size_t i = 1; i < sizeof stops / sizeof stops[0]; ++i)
        if (t <= stops[i].t) {
            const float k = (t - stops[i - 1].t) / (stops[i].t - stops[i - 1].t);
            return mix(rgb(stops[i - 1].color), rgb(stops[i].color), k);
        }
    return rgb(stops[sizeof stops / sizeof stops[0] - 1].color);
}

// The picture painted for the screen, stretched to the square texture the
// demo draws over the whole screen.
Canvas toSquareTexture(const Canvas& screen)
{
    return screen.resized(1024, 1024);
}

void paintStars(Canvas& c, float bottom, uint32_t seed, int count)
{
    for (int i = 0; i < count; ++i) {
        const float x = hash01(i, 1, seed) * static_cast<float>(c.width());
        const float y = hash01(i, 2, seed) * bottom;
        const float size = 0.6f + 1.6f * std::pow(hash01(i, 3, seed), 4.f);
        const float fade = 1.f - y / bottom;
        const float brightness = (0.35f + 0.65f * hash01(i, 4, seed)) * fade;
        const Color tint = mix(rgb(0xCFE0FF), rgb(0xFFE8D0), hash01(i, 5, seed));
        paintShape(
            c, static_cast<int>(x - 3.f), static_cast<int>(y - 3.f), static_cast<int>(x + 4.f),
            static_cast<int>(y + 4.f), [&](float px, float py) { return sdCircle(px, py, x, y, size * 0.5f); },
            [&](float, float) { return faded(tint, brightness); });
        if (size > 1.6f)
            glow(c, x, y, size * 3.f, tint, 0.35f * brightness);
    }
}

} // namespace

Canvas paintTitle(const Typeface& face)
{
    Canvas c(SCREEN_W, SCREEN_H);
    const float horizon = 560.f;
    const float sunX = 512.f, sunY = 486.f, sunR = 172.f;

    // Sky: deep indigo overhead, violet and rose towards the horizon.
    paintEach(c, [&](float x, float y) {
        const float t = clampf(y / horizon, 0.f, 1.f);
        Color sky = mix(rgb(0x07061C), rgb(0x2A0F4F), smoothstep(0.f, 0.6f, t));
        sky = mix(sky, rgb(0x9C2B6E), smoothstep(0.55f, 1.f, t));
        // Faint banded haze.
        const float haze = fbm(x / 260.f, y / 60.f, 4, 0.5f, 11u) * 0.5f + 0.5f;
        sky = mix(sky, rgb(0xC04A8A), haze * 0.18f * smoothstep(0.4f, 1.f, t));
        return sky;
    });
    paintStars(c, horizon - 120.f, 77u, 420);

    // The sun: yellow to hot pink, cut by widening slits towards its foot.
    glow(c, sunX, sunY, sunR * 2.2f, rgb(0xFF5FA0), 0.55f);
    paintShape(
        c, static_cast<int>(sunX - sunR - 2), static_cast<int>(sunY - sunR - 2), static_cast<int>(sunX + sunR + 2),
        static_cast<int>(horizon),
        [&](float x, float y) {
            float d = sdCircle(x, y, sunX, sunY, sunR);
            const float rel = (y - (sunY - sunR * 0.25f)) / (sunR * 1.25f); // 0 from a quarter above the centre
            if (rel > 0.f) {
                // Slits every 22 px, each wider than the one above: a
                // slit removes the rows [0, gap) of its period.
                const float period = 22.f;
                const float phase = std::fmod(y - (sunY - sunR * 0.25f), period);
                const float gap = 1.5f + rel * 9.f;
                const float insideSlit =
                    phase < gap ? std::min(phase, gap - phase) : -std::min(phase - gap, period - phase);
                d = std::max(d, insideSlit);
            }
            return d;
        },
        [&](float, float y) {
            const float t = clampf((y - (sunY - sunR)) / (horizon - (sunY - sunR)), 0.f, 1.f);
            return mix(mix(rgb(0xFFF3A0), rgb(0xFFA040), smoothstep(0.f, 0.5f, t)), rgb(0xFF2E7E),
                       smoothstep(0.4f, 1.f, t));
        });

    // Distant mountains in front of the sun's foot.
    paintEach(c, [&](float x, float y) {
        const float ridge = horizon - 6.f - 22.f * (fbm(x / 180.f, 0.5f, 5, 0.55f, 23u) * 0.5f + 0.5f) -
            46.f * std::exp(-std::pow((x - 170.f) / 120.f, 2.f)) - 34.f * std::exp(-std::pow((x - 880.f) / 100.f, 2.f));
        const float cov = clampf(y - ridge + 0.5f, 0.f, 1.f) * (y < horizon + 1.f ? 1.f : 0.f);
        const Color rock = mix(rgb(0x1A0830), rgb(0x3B0F4A), clampf((y - ridge) / 50.f, 0.f, 1.f));
        return faded(rock, cov);
    });

    // Ground: dark glass with a glowing grid seen in perspective: a row
    // `depth` pixels below the horizon shows the floor at distance
    // z = H f / depth, and one screen pixel there covers z / f floor units.
    paintEach(c, [&](float x, float y) {
        if (y < horizon)
            return Color{0.f, 0.f, 0.f, 0.f};
        const float depth = y - horizon + 0.5f;
        const float f = 700.f, camHeight = 60.f, cell = 70.f;
        const float z = camHeight * f / depth;
        const float ground = 1.f - std::exp(-depth / 90.f);
        Color base = mix(rgb(0x3A0C45), rgb(0x05030C), ground);
        // Distance to the nearest line in pixels, across and along.
        const float wx = (x - sunX) * z / f;
        const float pxPerUnitX = f / z;
        const float distX = std::fabs(wx / cell - std::round(wx / cell)) * cell * pxPerUnitX;
        const float wz = z + 25.f;
        const float pxPerUnitZ = depth * depth / (camHeight * f);
        const float distZ = std::fabs(wz / cell - std::round(wz / cell)) * cell * pxPerUnitZ;
        // Lines closer together than a few pixels fade out instead of shimmering.
        const float keepX = clampf(cell * pxPerUnitX / 10.f - 0.5f, 0.f, 1.f);
        const float keepZ = clampf(cell * pxPerUnitZ / 10.f - 0.5f, 0.f, 1.f);
        const float width = 0.6f + 1.4f * ground;
        const float line = std::max(coverage(distX - width * 0.5f) * keepX, coverage(distZ - width * 0.5f) * keepZ);
        const float halo = std::max(std::exp(-distX * distX / (8.f * width * width)) * keepX,
                                    std::exp(-distZ * distZ / (8.f * width * width)) * keepZ);
        base = mix(base, rgb(0x9A2FA8), halo * 0.5f);
        base = mix(base, rgb(0xFF6FE0), line * (0.45f + 0.55f * ground));
        // The sun mirrored in the glass.
        const float reflect = std::exp(-std::pow((x - sunX) / 110.f, 2.f)) * std::exp(-depth / 60.f);
        base = mix(base, rgb(0xFF7A6A), reflect * 0.55f);
        return base;
    });
    // Horizon glow line.
    paintEach(
        c, [&](float, float y) { return faded(rgb(0xFF8AD0), std::exp(-std::pow((y - horizon) / 3.f, 2.f)) * 0.9f); });

    // "SULVANTO": chrome letters with a dark rim and a magenta glow.
    const float titleSize = 150.f;
    const PlacedText title = placeText(face, "SULVANTO", titleSize, 4.f, 512.f, 250.f, 24);
    const int capTop = 250 - face.capHeight(titleSize);
    const float capHeight = static_cast<float>(face.capHeight(titleSize));
    title.mask.dilated(10.f).blurred(8).paint(
        c, title.x, title.y, [](float, float) { return rgb(0xFF3FB4); }, 0.75f);
    title.mask.dilated(5.f).paint(c, title.x, title.y, [](float, float) { return rgb(0x0A0618); });
    title.mask.dilated(2.f).paint(c, title.x, title.y, [&](float, float y) {
        return mix(rgb(0xFFFFFF), rgb(0xFF9AE0), clampf((y - static_cast<float>(capTop)) / capHeight, 0.f, 1.f));
    });
    title.mask.paint(c, title.x, title.y, [&](float x, float y) {
        const float t = clampf((y - static_cast<float>(capTop)) / capHeight, 0.f, 1.f);
        // A slight tilt of the horizon line and a brushed grain.
        const float tilt = (x - 512.f) / 1400.f * 0.08f;
        const float grain = fbm(x / 6.f, y / 140.f, 2, 0.5f, 5u) * 0.012f;
        return chromeRamp(clampf(t + tilt + grain, 0.f, 1.f));
    });
    // Star glints on the chrome.
    const float glints[][2] = {{250.f, float(capTop) + 12.f}, {640.f, float(capTop) + 8.f}, {846.f, 240.f}};
    for (const auto& g : glints) {
        glow(c, g[0], g[1], 26.f, rgb(0xFFFFFF), 0.9f);
        paintShape(
            c, static_cast<int>(g[0] - 40), static_cast<int>(g[1] - 40), static_cast<int>(g[0] + 40),
            static_cast<int>(g[1] + 40),
            [&](float x, float y) {
                const float dx = std::fabs(x - g[0]), dy = std::fabs(y - g[1]);
                return std::min(dx * 8.f + dy, dy * 8.f + dx) - 36.f;
            },
            [](float, float) { return rgb(0xFFFFFF, 0.9f); }, 4.f);
    }

    // "BY NORVALLI PRODUCTIONS": spaced capitals in cool white with a soft shadow.
    const PlacedText by = placeText(face, "BY NORVALLI PRODUCTIONS", 34.f, 9.f, 512.f, 318.f, 12);
    by.mask.dilated(3.f).blurred(4).paint(
        c, by.x + 2, by.y + 3, [](float, float) { return rgb(0x12061E); }, 0.9f);
    by.mask.blurred(5).paint(
        c, by.x, by.y, [](float, float) { return rgb(0x7FE8FF); }, 0.8f);
    by.mask.paint(c, by.x, by.y, [](float, float y) {
        return mix(rgb(0xFFFFFF), rgb(0xBFF3FF), clampf((y - 290.f) / 30.f, 0.f, 1.f));
    });

    return toSquareTexture(c);
}

Canvas paintUnderwater()
{
    Canvas c(SCREEN_W, SCREEN_H);
    // Depth gradient: bright turquoise under the surface to deep blue.
    paintEach(c, [&](float x, float y) {
        const float t = y / static_cast<float>(SCREEN_H);
        Color water = mix(rgb(0x58C6E6), rgb(0x167EB4), smoothstep(0.f, 0.45f, t));
        water = mix(water, rgb(0x06254A), smoothstep(0.4f, 1.f, t));
        const float cloud = fbm(x / 300.f, y / 200.f, 4, 0.5f, 31u);
        return scaled(water, 1.f + cloud * 0.08f);
    });

    // The surface seen from below: a bright rippled band at the top.
    paintEach(c, [&](float x, float y) {
        const float wave = 14.f + 6.f * fbm(x / 70.f, 0.3f, 3, 0.5f, 41u);
        const float band = 1.f - smoothstep(wave - 6.f, wave + 10.f, y);
        const float ripple = fbm(x / 25.f, y / 8.f, 3, 0.5f, 43u) * 0.5f + 0.5f;
        return faded(rgb(0xE9FCFF), band * (0.45f + 0.4f * ripple));
    });

    // Light rays fanning down from a sun above the top left.
    const float sourceX = 330.f, sourceY = -260.f;
    paintEach(c, [&](float x, float y) {
        const float angle = std::atan2(x - sourceX, y - sourceY); // 0 straight down
        const float rays = std::pow(clampf(fbm(angle * 7.f, 0.7f, 4, 0.55f, 53u) * 0.7f + 0.45f, 0.f, 1.f), 2.5f);
        const float shimmer = 0.7f + 0.3f * fbm(angle * 30.f, y / 500.f, 2, 0.5f, 59u);
        const float depth = clampf(1.f - y / 720.f, 0.f, 1.f);
        const float spread = std::exp(-std::pow(angle / 0.8f, 2.f));
        return faded(rgb(0xD8FAFF), rays * shimmer * depth * spread * 0.6f);
    });

    // Caustics: soft bright veins of a warped cell pattern, only near the surface.
    paintEach(c, [&](float x, float y) {
        const float fade = std::exp(-y / 120.f);
        if (fade < 0.01f)
            return Color{0.f, 0.f, 0.f, 0.f};
        const float wx = x + 30.f * fbm(x / 120.f, y / 120.f, 3, 0.5f, 61u);
        const float wy = y + 30.f * fbm(x / 120.f + 7.f, y / 120.f, 3, 0.5f, 67u);
        float f1, f2;
        cells(wx / 80.f, wy / 46.f, 71u, f1, f2);
        const float gap = f2 - f1;
        const float vein = std::exp(-gap * gap / (2.f * 0.045f * 0.045f));
        return faded(rgb(0xE0FFFF), vein * fade * 0.34f);
    });

    // Sea floor: sandy dunes lit by caustics, fading into the blue.
    paintEach(c, [&](float x, float y) {
        const float floor = 652.f + 40.f * fbm(x / 260.f, 0.2f, 4, 0.5f, 73u) + 14.f * std::sin(x / 90.f);
        if (y < floor - 1.f)
            return Color{0.f, 0.f, 0.f, 0.f};
        const float cov = clampf(y - floor + 0.5f, 0.f, 1.f);
        float f1, f2;
        cells((x + 20.f * fbm(x / 60.f, y / 30.f, 2, 0.5f, 81u)) / 44.f, y / 16.f, 79u, f1, f2);
        const float caustic = std::exp(-(f2 - f1) * (f2 - f1) / (2.f * 0.06f * 0.06f));
        const float grain = hash01(static_cast<int>(x), static_cast<int>(y), 83u) * 0.06f;
        Color sand = mix(rgb(0x2F6E86), rgb(0x6FA7A8), clampf((y - floor) / 90.f, 0.f, 1.f));
        sand = mix(sand, rgb(0xBFF1E8), caustic * 0.22f * (1.f - clampf((y - floor) / 120.f, 0.f, 1.f)));
        return faded(scaled(sand, 0.95f + grain), cov);
    });

    // Rocks and swaying weed in silhouette.
    const float rocks[][3] = {{120.f, 700.f, 70.f}, {210.f, 724.f, 46.f}, {860.f, 690.f, 88.f}, {960.f, 730.f, 54.f}};
    for (const auto& r : rocks)
        paintShape(
            c, static_cast<int>(r[0] - r[2] * 1.6f), static_cast<int>(r[1] - r[2]),
            static_cast<int>(r[0] + r[2] * 1.6f), SCREEN_H,
            [&](float x, float y) {
                return sdEllipse(x, y, r[0], r[1], r[2] * 1.4f, r[2] * 0.8f) +
                    6.f * fbm(x / 20.f, y / 20.f, 3, 0.5f, 89u);
            },
            [&](float, float y) {
                return mix(rgb(0x0E3A52), rgb(0x06202F), clampf((y - r[1] + r[2]) / r[2], 0.f, 1.f));
            });
    for (int i = 0; i < 26; ++i) {
        const float baseX = 40.f + 38.f * static_cast<float>(i) + 20.f * hash01(i, 7, 97u);
        if (baseX > 330.f && baseX < 700.f && hash01(i, 8, 97u) < 0.7f)
            continue; // keep the middle open
        const float height = 90.f + 150.f * hash01(i, 9, 97u);
        const float baseY = 700.f + 40.f * hash01(i, 10, 97u);
        const float sway = 26.f + 24.f * hash01(i, 11, 97u);
        const Color weed = mix(rgb(0x0B4A4A), rgb(0x1F6B4A), hash01(i, 12, 97u));
        for (int s = 0; s < 24; ++s) {
            const float t0 = static_cast<float>(s) / 24.f, t1 = static_cast<float>(s + 1) / 24.f;
            const float ax = baseX + sway * std::sin(t0 * 4.f + static_cast<float>(i)) * t0;
            const float bx = baseX + sway * std::sin(t1 * 4.f + static_cast<float>(i)) * t1;
            const float ay = baseY - height * t0, by = baseY - height * t1;
            const float w =
                9.f * (1.f - t0 * 0.85f) * (0.8f + 0.4f * std::sin(t0 * 9.f + static_cast<float>(i)) * 0.5f);
            paintShape(
                c, static_cast<int>(std::min(ax, bx) - w - 2), static_cast<int>(by - w - 2),
                static_cast<int>(std::max(ax, bx) + w + 2), static_cast<int>(ay + w + 2),
                [&](float x, float y) { return sdCapsule(x, y, ax, ay, bx, by, w); },
                [&](float, float) { return mix(weed, rgb(0x0A3046), 0.3f * (1.f - t0)); });
        }
    }

    // Blue haze over everything low, and marine snow.
    paintEach(c, [&](float, float y) { return faded(rgb(0x0C3D66), smoothstep(520.f, 768.f, y) * 0.35f); });
    for (int i = 0; i < 260; ++i) {
        const float x = hash01(i, 1, 101u) * SCREEN_W, y = hash01(i, 2, 101u) * SCREEN_H;
        const float r = 0.6f + 1.4f * hash01(i, 3, 101u);
        const float a = 0.15f + 0.35f * hash01(i, 4, 101u);
        paintShape(
            c, static_cast<int>(x - 4), static_cast<int>(y - 4), static_cast<int>(x + 5), static_cast<int>(y + 5),
            [&](float px, float py) { return sdCircle(px, py, x, y, r); },
            [&](float, float) { return rgb(0xE0FAFF, a); }, 1.5f);
    }
    return toSquareTexture(c);
}

Canvas paintLogoChrome()
{
    Canvas c(256, 256);
    paintEach(c, [&](float x, float y) {
        const float t = y / 256.f;
        const float streak = fbm(x / 4.f, y / 160.f, 3, 0.5f, 113u) * 0.015f;
        const float wave = std::sin(x / 256.f * 2.f * PI) * 0.015f;
        Color chrome = chromeRamp(clampf(t + streak + wave, 0.f, 1.f));
        return chrome;
    });
    return c;
}

Canvas paintLogoReflection()
{
    Canvas c = paintLogoChrome();
    // Rows from the top (letters' tops, far from the mirror line) to the
    // bottom (the letters' feet, at the mirror line).
    for (int y = 0; y < 256; ++y) {
        const float fromFoot = 1.f - (static_cast<float>(y) + 0.5f) / 256.f; // 0 at the feet
        // Alpha 26 and more below the cut row, fading to 0 towards the top.
        const float cut = 1.f - static_cast<float>(REFLECTION_CUT_ROW) / 256.f;
        const float alpha = fromFoot < cut ? 0.11f + 0.69f * std::pow(1.f - fromFoot / cut, 1.5f)
                                           : 0.09f * (1.f - (fromFoot - cut) / (1.f - cut));
        const float dim = 0.22f + 0.5f * std::pow(1.f - fromFoot, 2.f);
        for (int x = 0; x < 256; ++x) {
            Color col = c.colorAt(x, y);
            col = mix(scaled(col, dim), rgb(0x0A1630), 0.25f);
            col.a = alpha;
            c.set(x, y, col);
        }
    }
    return c;
}

} // namespace bake
