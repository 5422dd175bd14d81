// Needle positions for comparing designs whatever the file they went through: positions in
// worksheet units relative to the first, consecutive repeats folded, with the colour of each new
// thread.
#pragma once
#include <ostream>
#include <vector>

#include "FormatTestUtil.h"

namespace nl::test {

// Needle positions with the colour of each new thread, consecutive repeats folded, relative to
// the first position.
struct TNeedle {
    float X, Y;
    int32_t Colour; // set where the thread changes
    bool operator==(const TNeedle&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const TNeedle& n) {
    return os << "(" << n.X << ", " << n.Y << ", " << std::hex << n.Colour << std::dec << ")";
}
inline std::vector<TNeedle> Needles(const std::vector<const TSLStitch*>& objects,
                                    int32_t (*map)(int32_t) = nullptr) {
    std::vector<TNeedle> out;
    int32_t thread = NO_COLOUR;
    for (const TSLStitch* o : objects)
        for (const TSP& p : *o) {
            int32_t c = NO_COLOUR;
            const int32_t colour = p.IsColourPoint() && map ? map(p.ColourOrLink) : p.ColourOrLink;
            if (p.IsColourPoint() && colour != thread) c = thread = colour;
            if (!out.empty() && out.back().X == p.X && out.back().Y == p.Y) {
                if (c != NO_COLOUR) out.back().Colour = c;
                continue;
            }
            out.push_back({p.X, p.Y, c});
        }
    for (size_t i = out.size(); i-- > 0;) {
        out[i].X -= out[0].X;
        out[i].Y -= out[0].Y;
    }
    return out;
}

} // namespace nl::test
