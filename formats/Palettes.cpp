#include "formats/Palettes.h"

#include <algorithm>
#include <cstdlib>

#include "core/Colour.h"
#include "core/Numeric.h"

namespace nl {

namespace {

struct TRgb {
    uint8_t R, G, B;
};

constexpr TRgb kPec[PEC_PALETTE_SIZE] = {
    {0, 0, 160},     {75, 112, 254},  {36, 151, 73},   {206, 206, 255}, {255, 0, 0},     {234, 159, 104},
    {187, 15, 153},  {255, 202, 228}, {211, 126, 209}, {101, 220, 128}, {243, 165, 1},   {255, 187, 85},
    {255, 255, 0},   {79, 228, 1},    {190, 162, 46},  {215, 201, 170}, {198, 156, 79},  {253, 255, 176},
    {160, 160, 160}, {0, 0, 0},       {0, 0, 255},     {216, 18, 167},  {128, 128, 128}, {106, 53, 0},
    {238, 6, 67},    {206, 146, 40},  {252, 147, 116}, {237, 105, 7},   {255, 255, 255}, {239, 74, 253},
    {183, 200, 145}, {2, 197, 253},   {254, 174, 10},  {251, 255, 91},  {254, 196, 49},  {253, 126, 0},
    {52, 163, 24},   {52, 108, 126},  {192, 192, 192}, {233, 211, 190}, {139, 167, 44},  {255, 224, 193},
    {255, 128, 192}, {24, 120, 1},    {253, 207, 254}, {205, 146, 241}, {255, 224, 179}, {230, 4, 129},
    {201, 92, 20},   {0, 128, 0},     {182, 3, 115},   {243, 173, 29},  {183, 255, 253}, {12, 133, 27},
    {215, 0, 215},   {35, 169, 1},    {255, 179, 217}, {254, 215, 80},  {0, 128, 255},   {255, 255, 128},
    {214, 255, 128}, {254, 208, 114}, {255, 203, 175}, {255, 210, 204}, {244, 244, 244},
};

constexpr TRgb kHus[HUS_PALETTE_SIZE] = {
    {0, 0, 0},       {0, 0, 255},    {0, 255, 0},     {255, 0, 0},   {255, 0, 255},   {255, 255, 0},
    {128, 128, 128}, {0, 128, 255},  {0, 255, 128},   {255, 128, 0}, {255, 160, 180}, {192, 64, 0},
    {255, 255, 255}, {0, 0, 128},    {0, 128, 0},     {160, 0, 0},   {255, 120, 120}, {128, 0, 128},
    {255, 128, 255}, {192, 192, 0},  {255, 255, 160}, {64, 64, 64},  {192, 192, 192}, {228, 64, 0},
    {128, 0, 128},   {255, 90, 120}, {255, 208, 208}, {128, 32, 0},  {230, 96, 36},   {0, 0, 0},
};

int32_t Pack(const TRgb& c) {
    return MakeColour(c.R, c.G, c.B);
}

} // namespace

int32_t PecColour(int code) {
    if (code < 1 || code > PEC_PALETTE_SIZE) code = 1;
    return Pack(kPec[code - 1]);
}

int NearestPecCode(int32_t colour) {
    int r = ColourR(colour), g = ColourG(colour), b = ColourB(colour);
    int best = 1, bestDistance = INT32_MAX;
    for (int i = 0; i < PEC_PALETTE_SIZE; ++i) {
        int d = std::abs(r - kPec[i].R) + std::abs(g - kPec[i].G) + std::abs(b - kPec[i].B);
        if (d < bestDistance) {
            bestDistance = d;
            best = i + 1;
        }
    }
    return best;
}

int32_t HusColour(int index) {
    if (index < 0 || index >= HUS_PALETTE_SIZE) index = 0;
    return Pack(kHus[index]);
}

std::array<int32_t, 3> HusHsl(int32_t colour) {
    double r = ColourR(colour) / 255.0, g = ColourG(colour) / 255.0, b = ColourB(colour) / 255.0;
    double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    double l = (mx + mn) / 2, h = 0, s = 0;
    if (mx != mn) {
        double d = mx - mn;
        s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
        if (mx == r)
            h = (g - b) / d;
        else if (mx != g)
            h = (r - g) / d + 4;
        else
            h = (b - r) / d + 2;
        h /= 6;
        if (h < 0) h += 1;
    }
    return {RoundI(239 * h), RoundI(240 * s), RoundI(240 * l)};
}

int NearestHusIndex(int32_t colour) {
    auto hsl = HusHsl(colour);
    int r = ColourR(colour), g = ColourG(colour), b = ColourB(colour);
    int best = 0;
    int64_t bestDistance = 9999999;
    for (int i = 0; i < HUS_PALETTE_SIZE; ++i) {
        auto e = HusHsl(Pack(kHus[i]));
        int64_t d = std::abs(hsl[0] - e[0]) + std::abs(hsl[1] - e[1]) + std::abs(hsl[2] - e[2]) +
                    std::abs(r - kHus[i].R) + std::abs(g - kHus[i].G) + std::abs(b - kHus[i].B);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

int32_t DefaultImportColour(int64_t k) {
    int64_t i = k % DEFAULT_IMPORT_COLOURS;
    if (i < 0) i += DEFAULT_IMPORT_COLOURS;
    return i < PEC_PALETTE_SIZE ? Pack(kPec[i]) : Pack(kHus[i - PEC_PALETTE_SIZE]);
}

namespace {
// Janome thread colours in the order of the machines' palette (index 1 first).
constexpr TRgb kJanome[JANOME_PALETTE_SIZE] = {
    {0, 0, 0},       {255, 255, 255}, {255, 255, 23},  {255, 102, 0},   {47, 89, 51},    {35, 115, 54},
    {101, 194, 200}, {171, 90, 150},  {246, 105, 160}, {255, 0, 0},     {177, 112, 78},  {11, 47, 132},
    {228, 195, 93},  {72, 26, 5},     {172, 156, 199}, {252, 242, 148}, {249, 153, 183}, {250, 179, 129},
    {201, 164, 128}, {151, 5, 51},    {160, 184, 204}, {127, 194, 28},  {229, 229, 229}, {136, 155, 155},
    {152, 214, 189}, {178, 225, 227}, {54, 139, 160},  {79, 131, 171},  {56, 106, 145},  {7, 22, 80},
    {249, 153, 162}, {249, 103, 107}, {227, 49, 31},   {226, 161, 136}, {181, 148, 116}, {228, 207, 153},
    {255, 203, 0},   {225, 173, 212}, {195, 0, 126},   {128, 0, 75},    {84, 5, 113},    {177, 5, 37},
    {202, 224, 192}, {137, 152, 86},  {92, 148, 26},   {0, 49, 20},     {93, 174, 148},  {76, 191, 143},
    {0, 119, 114},   {89, 91, 97},    {255, 255, 242}, {177, 88, 24},   {203, 138, 7},   {152, 108, 128},
    {152, 105, 45},  {77, 52, 25},    {76, 51, 11},    {51, 32, 10},    {82, 58, 151},   {13, 33, 126},
    {30, 119, 172},  {178, 221, 83},  {243, 54, 137},  {222, 100, 158}, {152, 65, 97},   {76, 86, 18},
    {76, 136, 31},   {228, 222, 121}, {203, 138, 26},  {203, 162, 28},  {255, 152, 5},   {252, 178, 87},
    {255, 229, 5},   {240, 51, 31},   {26, 132, 45},   {56, 108, 174},  {227, 196, 180}, {227, 172, 129},
};
} // namespace

int32_t JanomeColour(int index) {
    if (index < 1 || index > JANOME_PALETTE_SIZE) index = 1;
    return Pack(kJanome[index - 1]);
}

int NearestJanomeIndex(int32_t colour) {
    const int r = ColourR(colour), g = ColourG(colour), b = ColourB(colour);
    int best = 1, bestDistance = INT32_MAX;
    for (int i = 0; i < JANOME_PALETTE_SIZE; ++i) {
        const int dr = r - kJanome[i].R, dg = g - kJanome[i].G, db = b - kJanome[i].B;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i + 1;
        }
    }
    return best;
}

} // namespace nl
