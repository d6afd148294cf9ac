#include "Atlas.h"

#include <cmath>

#include "Lettering.h"
#include "Paint.h"

namespace bake {

Region fishRegion(int frame)
{
    return Region{32 * (frame % 4), 1 + 32 * (frame / 4), 32, 31};
}

namespace {

// Fish are painted eight times larger and shrunk, for clean edges at 32 px.
constexpr int FISH_SS = 8;

struct FishStyle {
    float bodyRx, bodyRy; // body half sizes (in 32 px units)
    Color back, belly; // body shading top to bottom
    Color fin, finRim; // fins and tail
    float finHeight; // dorsal and anal fin size relative to the body
    int kind;
};

FishStyle styleOf(int kind)
{
    switch (kind) {
    case 0: // clownfish: orange with white bands edged in black
        return {10.5f, 6.2f, rgb(0xF06A10), rgb(0xFFA64A), rgb(0xF27A1A), rgb(0x1A0A04), 0.45f, 0};
    case 1: // blue tang: royal blue, black swoosh, yellow tail
        return {10.f, 7.f, rgb(0x1446C8), rgb(0x3C8CFF), rgb(0x1A3FA8), rgb(0x050A30), 0.35f, 1};
    case 2: // butterflyfish: tall yellow disc, dark eye band
        return {8.5f, 7.5f, rgb(0xF2C20E), rgb(0xFFF07A), rgb(0xF7D238), rgb(0x4A3000), 0.55f, 2};
    default: // parrotfish: slim, green back, purple belly, neon stripe
        return {11.5f, 5.2f, rgb(0x18B08A), rgb(0xB24FD8), rgb(0xFF6FB0), rgb(0x5A1040), 0.4f, 3};
    }
}

} // namespace

Canvas paintFish(int kind)
{
    const FishStyle s = styleOf(kind);
    const float k = static_cast<float>(FISH_SS);
    Canvas big(32 * FISH_SS, 31 * FISH_SS);
    // Geometry in 32 px units, head towards +x; the ink stays inside
    // x 2..30 and y 2..29.
    const float cx = 17.5f, cy = 15.5f;
    const float rx = s.bodyRx, ry = s.bodyRy;
    const float tailX = cx - rx + 1.5f;
    auto paint = [&](auto sdf, auto shader) {
        paintShape(
            big, 0, 0, big.width(), big.height(), [&](float x, float y) { return sdf(x / k, y / k) * k; },
            [&](float x, float y) { return shader(x / k, y / k); });
    };

    // Tail: a forked fan behind the body.
    paint(
        [&](float x, float y) {
            const float fan = sdTriangle(x, y, tailX + 1.f, cy, 2.5f, cy - ry * 1.05f, 2.5f, cy + ry * 1.05f);
            const float notch = sdTriangle(x, y, 6.5f, cy, 1.f, cy - ry * 0.55f, 1.f, cy + ry * 0.55f);
            return std::max(fan, -notch);
        },
        [&](float x, float) {
            Color c = kind == 1 ? rgb(0xFFD21A) : s.fin;
            const float rim = smoothstep(4.5f, 2.5f, x);
            return mix(c, s.finRim, rim * 0.8f);
        });
    // Dorsal and anal fins.
    const float finH = ry * s.finHeight + 1.f;
    paint(
        [&](float x, float y) {
            const float dorsal = sdEllipse(x, y, cx - 1.5f, cy - ry + 0.5f, rx * 0.7f, finH);
            const float anal = sdEllipse(x, y, cx - 2.5f, cy + ry - 0.5f, rx * 0.45f, finH * 0.8f);
            return std::min(dorsal, anal);
        },
        [&](float, float y) {
            const float edge = smoothstep(ry * 0.6f, ry + finH * 0.9f, std::fabs(y - cy));
            return mix(s.fin, s.finRim, edge * 0.85f);
        });

    // Body with its markings, shaded round.
    paint([&](float x, float y) { return sdEllipse(x, y, cx, cy, rx, ry); },
          [&](float x, float y) {
              const float v = clampf((y - (cy - ry)) / (2.f * ry), 0.f, 1.f);
              Color c = mix(s.back, s.belly, smoothstep(0.2f, 0.9f, v));
              const float u = (x - (cx - rx)) / (2.f * rx); // 0 tail .. 1 head
              switch (s.kind) {
              case 0: { // three white bands with black edges
                  const float bands[] = {0.78f, 0.5f, 0.2f};
                  const float widths[] = {0.045f, 0.055f, 0.035f};
                  for (int i = 0; i < 3; ++i) {
                      const float d = std::fabs(u - bands[i]);
                      if (d < widths[i] + 0.035f)
                          c = d < widths[i] ? rgb(0xFFFFFF) : rgb(0x140804);
                  }
                  break;
              }
              case 1: { // black swoosh from the eye over the back to the tail
                  const float swoosh = std::fabs(v - (0.28f + 0.25f * std::sin(u * PI * 1.1f))) - 0.1f * (0.4f + u);
                  if (swoosh < 0.f && u > 0.12f && u < 0.9f)
                      c = rgb(0x050A20);
                  break;
              }
              case 2: { // dark band through the eye, thin orange bars
                  if (std::fabs(u - 0.8f) < 0.06f)
                      c = rgb(0x241400);
                  else if (std::fmod(u * 7.f, 1.f) < 0.12f && u < 0.7f)
                      c = mix(c, rgb(0xF08A10), 0.6f);
                  break;
              }
              default: { // neon stripe along the flank
                  const float stripe = std::fabs(v - 0.48f - 0.05f * std::sin(u * 6.f));
                  c = mix(c, rgb(0x9FFFF2), smoothstep(0.09f, 0.03f, stripe) * 0.9f);
                  break;
              }
              }
              // Round shading: darker towards the rim, a sheen on the back.
              const float rim = std::hypot((x - cx) / rx, (y - cy) / ry);
              c = scaled(c, 1.f - 0.35f * smoothstep(0.6f, 1.f, rim));
              const float sheen = std::exp(-std::pow((x - cx - rx * 0.2f) / (rx * 0.5f), 2.f) -
                                           std::pow((y - cy + ry * 0.45f) / (ry * 0.25f), 2.f));
              return mix(c, rgb(0xFFFFFF), sheen * 0.45f);
          });
    // Gill line and pectoral fin.
    paint(
        [&](float x, float y) {
            return std::fabs(sdCircle(x, y, cx + rx * 0.95f, cy, rx * 0.55f)) - 0.35f +
                (std::fabs(y - cy) > ry * 0.7f ? 10.f : 0.f) + (x > cx + rx * 0.5f ? 10.f : 0.f);
        },
        [&](float, float) { return faded(s.finRim, 0.5f); });
    paint([&](float x, float y) { return sdEllipse(x, y, cx + rx * 0.15f, cy + ry * 0.3f, 2.6f, 1.3f); },
          [&](float, float) { return faded(mix(s.fin, rgb(0xFFFFFF), 0.25f), 0.85f); });
    // Eye: white, dark pupil, a glint.
    const float ex = cx + rx * 0.62f, ey = cy - ry * 0.25f;
    paint([&](float x, float y) { return sdCircle(x, y, ex, ey, 1.9f); }, [](float, float) { return rgb(0xFFFFFF); });
    paint([&](float x, float y) { return sdCircle(x, y, ex + 0.25f, ey, 1.2f); },
          [](float, float) { return rgb(0x05060A); });
    paint([&](float x, float y) { return sdCircle(x, y, ex - 0.2f, ey - 0.5f, 0.45f); },
          [](float, float) { return rgb(0xFFFFFF, 0.9f); });
    Canvas fish = big.downsampled(FISH_SS);
    // Keep a clear two-pixel border whatever the fins do.
    for (int y = 0; y < fish.height(); ++y)
        for (int x = 0; x < fish.width(); ++x)
            if (x < 2 || y < 2 || x >= fish.width() - 2 || y >= fish.height() - 2)
                fish.at(x, y) = Pixel{};
    return fish;
}

Canvas paintBubble()
{
    const int ss = 2;
    Canvas big(126 * ss, 124 * ss);
    const float k = static_cast<float>(ss);
    const float cx = 63.f * k, cy = 62.f * k, r = 59.f * k;
    // The film: nearly clear in the middle, denser towards the rim, with a
    // faint rainbow sheen.
    paintShape(
        big, 0, 0, big.width(), big.height(), [&](float x, float y) { return sdCircle(x, y, cx, cy, r); },
        [&](float x, float y) {
            const float d = std::hypot(x - cx, y - cy) / r;
            const float fresnel = std::pow(d, 4.f);
            const float hue = std::atan2(y - cy, x - cx);
            const Color rainbow{0.6f + 0.4f * std::sin(hue * 2.f), 0.7f + 0.3f * std::sin(hue * 2.f + 2.1f),
                                0.85f + 0.15f * std::sin(hue * 2.f + 4.2f), 1.f};
            Color film = mix(rgb(0xBFEFFF), rainbow, 0.35f * fresnel);
            film.a = 0.10f + 0.55f * fresnel;
            return film;
        },
        k);
    // A bright rim line.
    paintShape(
        big, 0, 0, big.width(), big.height(),
        [&](float x, float y) { return std::fabs(sdCircle(x, y, cx, cy, r - 1.5f * k)) - 1.2f * k; },
        [](float, float) { return rgb(0xE8FBFF, 0.75f); }, k);
    // Window highlight at the upper left, a small one at the lower right.
    paintShape(
        big, 0, 0, big.width(), big.height(),
        [&](float x, float y) {
            const float outer = sdCircle(x, y, cx, cy, r - 7.f * k);
            const float inner = sdCircle(x, y, cx + 9.f * k, cy + 9.f * k, r - 9.f * k);
            return std::max(outer, -inner);
        },
        [&](float x, float y) {
            const float along = clampf(((cx - x) + (cy - y)) / (r * 1.2f), 0.f, 1.f);
            return rgb(0xFFFFFF, 0.85f * smoothstep(0.1f, 0.8f, along));
        },
        2.f * k);
    paintShape(
        big, 0, 0, big.width(), big.height(),
        [&](float x, float y) { return sdEllipse(x, y, cx - 24.f * k, cy - 30.f * k, 9.f * k, 5.f * k); },
        [](float, float) { return rgb(0xFFFFFF, 0.95f); }, k);
    paintShape(
        big, 0, 0, big.width(), big.height(),
        [&](float x, float y) { return sdCircle(x, y, cx + 34.f * k, cy + 32.f * k, 4.f * k); },
        [](float, float) { return rgb(0xFFFFFF, 0.6f); }, k);
    return big.downsampled(ss);
}

Canvas paintTwinEmblem()
{
    Canvas c(512, 512);
    const float cx = 256.f, cy = 256.f;
    auto polar = [&](float x, float y, float& r, float& a) {
        r = std::hypot(x - cx, y - cy);
        a = std::atan2(y - cy, x - cx);
    };
    // Halo: a soft violet disc fading out before the region's edge.
    paintEach(c, [&](float x, float y) {
        float r, a;
        polar(x, y, r, a);
        const float halo = std::exp(-std::pow(r / 150.f, 2.f)) * (1.f - smoothstep(200.f, 250.f, r));
        return faded(mix(rgb(0x3A1A8A), rgb(0x0A6A9A), smoothstep(60.f, 220.f, r)), halo * 0.85f);
    });
    // Twenty-four petals between two rings, magenta to gold outward.
    paintEach(c, [&](float x, float y) {
        float r, a;
        polar(x, y, r, a);
        const float sector = 2.f * PI / 24.f;
        const float local = std::fmod(a + PI + sector * 0.5f, sector) - sector * 0.5f; // angle from the petal axis
        const float across = local * r; // arc distance
        const float d = sdEllipse(across, r, 0.f, 172.f, 10.f + (r - 120.f) * 0.05f, 52.f);
        const Color petal = mix(rgb(0xE0309A), rgb(0xFFC247), smoothstep(125.f, 220.f, r));
        return faded(petal, coverage(d) * 0.9f);
    });
    // Rings: gold outer, dotted middle, cyan inner.
    paintEach(c, [&](float x, float y) {
        float r, a;
        polar(x, y, r, a);
        Color out{0.f, 0.f, 0.f, 0.f};
        const float outer = coverage(std::fabs(r - 232.f) - 3.f);
        const float inner = coverage(std::fabs(r - 112.f) - 2.5f);
        const float dotsAngle = std::fmod(a + PI, 2.f * PI / 48.f) - PI / 48.f;
        const float dots = coverage(std::hypot(dotsAngle * 204.f, r - 204.f) - 3.5f);
        if (outer > 0.f)
            out = faded(rgb(0xFFD36A), outer);
        if (dots > 0.f)
            out = faded(rgb(0xFFF2C0), dots);
        if (inner > 0.f)
            out = faded(rgb(0x7FF6FF), inner);
        return out;
    });
    // An eight-pointed star in the middle with a white-hot core.
    paintEach(c, [&](float x, float y) {
        float r, a;
        polar(x, y, r, a);
        const float spikes = std::pow(std::fabs(std::cos(a * 4.f)), 8.f);
        const float radius = 34.f + 62.f * spikes + 16.f * std::pow(std::fabs(std::cos(a * 4.f + PI * 0.5f)), 12.f);
        const float d = r - radius;
        const Color star = mix(rgb(0xFFFFFF), rgb(0xFFB23A), smoothstep(10.f, 90.f, r));
        return faded(star, coverage(d, 1.5f));
    });
    glow(c, cx, cy, 70.f, rgb(0xFFFFFF), 0.9f);
    glow(c, cx, cy, 200.f, rgb(0xFF9AE8), 0.35f);
    // Nothing may reach the region's outermost two pixels.
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            if (x < 2 || y < 2 || x >= 510 || y >= 510)
                c.at(x, y) = Pixel{};
    return c;
}

Canvas paintClosing(const Typeface& face)
{
    Canvas c(510, 510);
    // Night sky over a calm sea with a low moon and an aurora.
    const float horizon = 330.f;
    paintEach(c, [&](float x, float y) {
        if (y < horizon) {
            const float t = y / horizon;
            return mix(mix(rgb(0x02040E), rgb(0x0B1A3A), t), rgb(0x1E3A6A), smoothstep(0.7f, 1.f, t));
        }
        const float t = (y - horizon) / (510.f - horizon);
        const float ripple = fbm(x / 90.f, y / 6.f, 3, 0.5f, 131u) * 0.08f;
        return scaled(mix(rgb(0x0E2446), rgb(0x02060F), t), 1.f + ripple);
    });
    for (int i = 0; i < 240; ++i) {
        const float x = hash01(i, 1, 137u) * 510.f, y = hash01(i, 2, 137u) * (horizon - 40.f);
        const float r = 0.4f + 0.9f * std::pow(hash01(i, 3, 137u), 3.f);
        const float a = (0.3f + 0.7f * hash01(i, 4, 137u)) * (1.f - y / horizon);
        paintShape(
            c, static_cast<int>(x - 3), static_cast<int>(y - 3), static_cast<int>(x + 4), static_cast<int>(y + 4),
            [&](float px, float py) { return sdCircle(px, py, x, y, r); },
            [&](float, float) { return rgb(0xE8F0FF, a); });
    }
    // Aurora: two curtains of green and violet light.
    paintEach(c, [&](float x, float y) {
        Color light{0.f, 0.f, 0.f, 0.f};
        for (int band = 0; band < 2; ++band) {
            const float b = static_cast<float>(band);
            const float centre = 120.f + 55.f * b + 38.f * std::sin(x / (95.f + 30.f * b) + b * 2.f) +
                16.f * fbm(x / 60.f, b, 3, 0.5f, 139u);
            const float below = y - centre;
            const float curtain = below > 0.f ? std::exp(-below / (60.f - 20.f * b)) : std::exp(-below * below / 40.f);
            const float rays = 0.55f + 0.45f * fbm(x / 9.f, b * 3.f, 2, 0.5f, 149u);
            const float strength = curtain * rays * (y < horizon ? 1.f : 0.f) * (0.95f - 0.3f * b);
            const Color tint = band == 0 ? mix(rgb(0x3CFFA0), rgb(0x2AA0FF), smoothstep(0.f, 60.f, below))
                                         : mix(rgb(0xB05CFF), rgb(0xFF5CC8), smoothstep(0.f, 40.f, below));
            light = mix(light, faded(tint, 1.f), clampf(strength, 0.f, 1.f) * (light.a > 0.f ? 0.5f : 1.f));
            light.a = std::max(light.a, clampf(strength, 0.f, 1.f));
        }
        return light;
    });
    // The moon and its path on the water.
    const float mx = 390.f, my = 286.f;
    glow(c, mx, my, 60.f, rgb(0xFFF1C8), 0.6f);
    paintShape(
        c, 340, 236, 440, 336, [&](float x, float y) { return sdCircle(x, y, mx, my, 22.f); },
        [&](float x, float y) {
            const float crater = fbm(x / 9.f, y / 9.f, 3, 0.5f, 151u) * 0.1f;
            return scaled(rgb(0xFFF4D6), 0.92f + crater);
        });
    paintEach(c, [&](float x, float y) {
        if (y < horizon + 1.f)
            return Color{0.f, 0.f, 0.f, 0.f};
        const float spread = 10.f + (y - horizon) * 0.5f;
        const float sparkle = std::pow(clampf(fbm(x / 4.f, y / 1.5f, 2, 0.5f, 157u) + 0.3f, 0.f, 1.f), 2.f);
        const float path = std::exp(-std::pow((x - mx) / spread, 2.f));
        return faded(rgb(0xFFE9B8), path * sparkle * 0.8f);
    });
    // Horizon line.
    paintEach(
        c, [&](float, float y) { return faded(rgb(0x6A8AC0), std::exp(-std::pow((y - horizon) / 1.2f, 2.f)) * 0.6f); });

    // The credits, centred, with a soft dark shadow for legibility.
    struct Line {
        const char* text;
        float size, tracking, baseline;
        uint32_t top, bottom;
    };
    const Line lines[] = {
        {"SULVANTO", 64.f, 4.f, 96.f, 0xFFFFFF, 0x8FE8FF},
        {"A NORVALLI PRODUCTION", 18.f, 4.f, 128.f, 0xFFE6B0, 0xFFC070},
        {"CODE  VORNA3D ENGINE TEAM", 17.f, 2.f, 392.f, 0xEAF6FF, 0xA8D8FF},
        {"MUSIC  OVERRIDE", 17.f, 2.f, 418.f, 0xEAF6FF, 0xA8D8FF},
        {"GRAPHICS  BAKED BY CODE", 17.f, 2.f, 444.f, 0xEAF6FF, 0xA8D8FF},
        {"THANKS FOR WATCHING", 22.f, 5.f, 486.f, 0xFFFFFF, 0xFFD27A},
    };
    for (const Line& line : lines) {
        const PlacedText t = placeText(face, line.text, line.size, line.tracking, 255.f, line.baseline, 10);
        const float top = line.baseline - line.size * 0.75f;
        t.mask.dilated(2.f).blurred(3).paint(
            c, t.x + 1, t.y + 2, [](float, float) { return rgb(0x000000); }, 0.85f);
        t.mask.paint(c, t.x, t.y, [&](float, float y) {
            return mix(rgb(line.top), rgb(line.bottom), clampf((y - top) / (line.size * 0.75f), 0.f, 1.f));
        });
    }
    // A thin frame.
    paintEach(c, [&](float x, float y) {
        const float d = -sdBox(x, y, 255.f, 255.f, 249.f, 249.f, 6.f);
        return faded(rgb(0x9FC8FF), coverage(std::fabs(d - 1.f) - 0.6f) * 0.5f);
    });
    // Opaque everywhere.
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            Color col = c.colorAt(x, y);
            const float a = c.at(x, y).a;
            col = Color{col.r * a, col.g * a, col.b * a, 1.f};
            c.set(x, y, col);
        }
    return c;
}

Canvas paint2DGraphics(const Typeface& face)
{
    Canvas atlas(1024, 1024);
    for (int kind = 0; kind < 4; ++kind) {
        const Canvas fish = paintFish(kind);
        const Region right = fishRegion(2 * kind), left = fishRegion(2 * kind + 1);
        atlas.paste(fish, right.x, right.y);
        atlas.paste(fish.mirrored(), left.x, left.y);
    }
    for (int y = FADE_REGION.y; y < FADE_REGION.y + FADE_REGION.height; ++y)
        for (int x = FADE_REGION.x; x < FADE_REGION.x + FADE_REGION.width; ++x)
            atlas.set(x, y, Color{0.f, 0.f, 0.f, 1.f});
    atlas.paste(paintBubble(), BUBBLE_REGION.x, BUBBLE_REGION.y);
    atlas.paste(paintTwinEmblem(), TWIN_REGION.x, TWIN_REGION.y);
    atlas.paste(paintClosing(face), CLOSING_REGION.x, CLOSING_REGION.y);
    return atlas;
}

} // namespace bake
