#include "ui/ElementThumbnail.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/ExportWalk.h"
#include "stitching/SLCurve.h"
#include "stitching/SLStitch.h"

namespace nl {

std::vector<const TSLStitch*> ElementStitchLists(const TSLStitch& element) {
    std::vector<const TSLStitch*> lists;
    auto add = [&](const TSLStitch* o) {
        if (const TSLStitch* s = o ? o->Stitches() : nullptr; s && !s->Empty()) lists.push_back(s);
    };
    auto chain = element.JumpChain();
    if (chain.size() > 1) {
        for (const TSLStitch* c : chain)
            add(c);
    } else {
        add(&element);
    }
    return lists;
}

uint64_t ThumbnailKey(const TSLStitch& element) {
    // A multiplicative hash over the colour and every point's position and flags, a word at a
    // time (the panel keys every element on each refresh).
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](uint32_t v) {
        h = (h ^ v) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    };
    auto bits = [](float f) {
        uint32_t u;
        std::memcpy(&u, &f, sizeof u);
        return u;
    };
    mix(static_cast<uint32_t>(element.GetColor()));
    for (const TSLStitch* s : ElementStitchLists(element)) {
        mix(static_cast<uint32_t>(s->Count()));
        for (const TSP& p : s->Raw()) {
            mix(bits(p.X));
            mix(bits(p.Y));
            mix(p.Flags);
            if (IsColourChange(p)) mix(static_cast<uint32_t>(p.ColourOrLink));
        }
    }
    return h;
}

TThumbnail MakeThumbnail(const TSLStitch& element, int size) {
    TThumbnail t;
    t.Size = std::max(4, size);
    const auto lists = ElementStitchLists(element);
    float minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const TSLStitch* s : lists)
        for (const TSP& p : s->Raw()) {
            if (!std::isfinite(p.X) || !std::isfinite(p.Y)) continue;
            minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
            minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
        }
    if (!(minX <= maxX)) return t;
    // The longer side fills the square; the shorter one is centred.
    const float inner = static_cast<float>(t.Size - 4);
    const float extent = std::max({maxX - minX, maxY - minY, 1.f});
    const float scale = inner / extent;
    const float ox = 2.f + (inner - (maxX - minX) * scale) / 2.f,
                oy = 2.f + (inner - (maxY - minY) * scale) / 2.f;
    int32_t colour = element.GetColor();
    for (const TSLStitch* s : lists) {
        TThumbStroke* stroke = nullptr;
        for (const TSP& p : s->Raw()) {
            if (!std::isfinite(p.X) || !std::isfinite(p.Y)) continue;
            if (IsColourChange(p) && p.ColourOrLink != NO_COLOUR && p.ColourOrLink != colour) {
                colour = p.ColourOrLink;
                stroke = nullptr; // a new block starts here
            }
            const auto x = static_cast<int16_t>(std::lround(ox + (p.X - minX) * scale));
            const auto y = static_cast<int16_t>(std::lround(oy + (p.Y - minY) * scale));
            if (!stroke) {
                // The new block continues from where the needle is.
                int16_t fromX = x, fromY = y;
                if (!t.Strokes.empty() && t.Strokes.back().XY.size() >= 2) {
                    const auto& prev = t.Strokes.back().XY;
                    fromX = prev[prev.size() - 2];
                    fromY = prev.back();
                }
                t.Strokes.push_back({colour, {}});
                stroke = &t.Strokes.back();
                if (s != lists.front() || fromX != x || fromY != y) {
                    stroke->XY.push_back(fromX);
                    stroke->XY.push_back(fromY);
                }
            }
            auto& xy = stroke->XY;
            if (xy.size() >= 2 && xy[xy.size() - 2] == x && xy.back() == y) continue;
            xy.push_back(x);
            xy.push_back(y);
        }
    }
    return t;
}

} // namespace nl
