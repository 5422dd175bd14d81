#include "formats/PatternFile.h"

#include <algorithm>
#include <cctype>

#include "core/BinaryIO.h"
#include "core/FileIO.h"
#include "core/FileVersion.h"
#include "core/RecordIO.h"
#include "regions/Pattern.h"

namespace nl {

namespace fs = std::filesystem;

namespace {
// Where the writer's version stands: after the type code, colour, three bytes, the integer, the
// flags and the 17-byte rectangle.
constexpr size_t kVersionOffset = 1 + 4 + 3 + 4 + 4 + 17;
// Pattern files are a few kilobytes; anything far beyond is not one.
constexpr uint64_t kMaxPatternFile = 64ull << 20;
// The farthest a pattern area may reach (units; 500 m), far beyond any hoop.
constexpr int32_t kMaxPatternCoordinate = 10'000'000;

} // namespace

std::vector<uint8_t> PatternFileBytes(const TObjectStitch& pattern) {
    TByteWriter w;
    TRecordWriter io(w, TRecordContext{}, TRecordForm::Worksheet);
    pattern.FileRecord(io);
    return w.Take();
}

std::unique_ptr<TObjectStitch> ReadPatternFile(std::span<const uint8_t> bytes) {
    if (bytes.empty() || bytes[0] != PATTERN_FILE_TYPE) throw TNotAPatternFile("not a stitch pattern file");
    TRecordContext ctx;
    // The objects' records follow the layout of the version that wrote them. A value below the
    // first version is an older file without the stamp; its objects have the first layout.
    if (bytes.size() >= kVersionOffset + 4) {
        TByteReader peek(bytes.subspan(kVersionOffset, 4));
        const int32_t stamp = peek.I32();
        if (stamp > kVersionCurrent)
            throw TReadError("written by a newer version of the program (file version " +
                             std::to_string(stamp) + ")");
        ctx.Version = std::max(stamp, kVersionFirst);
    }
    auto pattern = std::make_unique<TObjectStitch>();
    TByteReader r(bytes);
    TRecordReader io(r, ctx, TRecordForm::Worksheet);
    pattern->FileRecord(io);
    if (pattern->TypeCode != PATTERN_FILE_TYPE) throw TNotAPatternFile("not a stitch pattern file");
    // The creator takes this rectangle on the worksheet: it must be one, and of a sane size.
    const TKvRect& b = pattern->Bounds;
    if (b.Right < b.Left || b.Bottom < b.Top || b.Left < -kMaxPatternCoordinate ||
        b.Top < -kMaxPatternCoordinate || b.Right > kMaxPatternCoordinate || b.Bottom > kMaxPatternCoordinate)
        throw TReadError("the pattern area is not a rectangle within the worksheet");
    for (auto& item : pattern->Items)
        if (item) DetachPatternItem(*item); // a file links to no worksheet
    pattern->SupportKind = 3;
    pattern->ItemCount = static_cast<int32_t>(pattern->Items.size());
    return pattern;
}

void SavePatternFile(const fs::path& path, const TObjectStitch& pattern) {
    WriteFileAtomic(path, PatternFileBytes(pattern));
}

std::unique_ptr<TObjectStitch> LoadPatternFile(const fs::path& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(path, kMaxPatternFile);
    try {
        return ReadPatternFile(bytes);
    } catch (const TNotAPatternFile& e) {
        throw TNotAPatternFile(path.string() + ": " + e.what());
    } catch (const TReadError& e) {
        throw TReadError(path.string() + ": " + e.what());
    }
}

std::vector<fs::path> PatternFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string ext = it->path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
        if (ext == ".KVP" && it->is_regular_file(ec)) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace nl
