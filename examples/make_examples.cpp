// Writes the example worksheets of examples/ (run by `make examples`): a badge, a multi-colour
// design and an imported machine design, built in code from the same functions the tests use;
// with a third argument also the stitch pattern files shipped in data/Patterns.
//     nl_make_examples OUT_FOLDER STAR.DST [PATTERN_FOLDER]
#include <cstdio>
#include <exception>
#include <filesystem>

#include "../tests/formats/SamplePatterns.h"
#include "../tests/formats/SampleSheets.h"
#include "core/FileIO.h"
#include "formats/PatternFile.h"
#include "formats/Worksheet.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: nl_make_examples OUT_FOLDER MACHINE_FILE [PATTERN_FOLDER]\n");
        return 1;
    }
    const std::filesystem::path out = argv[1];
    try {
        auto write = [&](const char* name, auto build) {
            nl::TSew sew;
            build(sew);
            // A design opens in Object Layout mode at a zoom that shows it whole.
            sew.Settings.View.Zoom = 180;
            sew.Settings.WorksheetMode = 0;
            nl::WriteFileAtomic(out / name, nl::WorksheetBytes(sew, name));
            std::printf("%s\n", (out / name).c_str());
        };
        write("badge.Nl1", [](nl::TSew& s) { nl::test::BuildBadge(s); });
        write("multicolour.Nl1", [](nl::TSew& s) { nl::test::BuildMultiColour(s); });
        write("imported-star.Nl1", [&](nl::TSew& s) { nl::test::BuildImported(s, argv[2]); });
        if (argc == 4) {
            const std::filesystem::path patterns = argv[3];
            std::filesystem::create_directories(patterns);
            for (const auto& sample : nl::test::SamplePatterns()) {
                nl::SavePatternFile(patterns / sample.FileName, *sample.Build());
                std::printf("%s\n", (patterns / sample.FileName).c_str());
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nl_make_examples: %s\n", e.what());
        return 2;
    }
    return 0;
}
