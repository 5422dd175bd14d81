// The "Prog. Stitch Pattern" properties page: the pattern copy of a curved column, a satin outline
// or a fill region. Its tile size and turn, the orientation buttons, "Match Pattern To Curve" with
// the row anchoring for columns and satin outlines, and clearing the pattern (after the question
// that guards the loss of its settings).
#pragma once
#include <cstdint>
#include <vector>

#include "platform/Host.h"
#include "ui/FieldPage.h"

namespace nl {

class TObjectStitch;

// What the tiles of a matched pattern are anchored to, across the column.
enum class TPatternAnchor : uint8_t { Top, Middle, Bottom };

class TProgStitchPage : public TFieldPageOf<TProgStitchPage, TSLStitch> {
public:
    static constexpr const char* Caption = "Prog. Stitch Pattern";
    // The object the page edits: rail A for either rail of a column.
    TProgStitchPage(TSLStitch& object, const TStitchContext& ctx, Host& host);

    // "Width" and "Height" of the tile (mm), "Rotation" of the tile grid (degrees).
    static const std::vector<TFieldRow<TSLStitch>>& FieldList();
    // "Match Pattern To Curve" (columns and satin outlines).
    static const std::vector<TToggleRow<TSLStitch>>& ToggleList();

    // The page belongs to columns, satin outlines and regions that carry a pattern.
    static bool Shown(TSLStitch& object);

    static constexpr const char* NewCaption = "New";
    static constexpr const char* ClearCaption = "Clear";
    static constexpr const char* CopyCaption = "Copy Pattern";
    static constexpr const char* PasteCaption = "Paste Pattern";
    static constexpr const char* AnchorCaptions[3] = {"From Top", "From Middle", "From Bottom"};
    // The orientation buttons: mirror left-right, mirror top-bottom, a quarter turn.
    enum class TOrient : uint8_t { MirrorH, MirrorV, Rotate90 };
    static constexpr const char* OrientCaptions[3] = {"Mirror Horizontal", "Mirror Vertical", "Rotate 90"};

    TObjectStitch* Pattern() const;
    // Anchoring applies to a matched pattern; with no anchor bit set a pattern anchors from the top.
    bool AnchorApplies() const;
    TPatternAnchor Anchor() const;
    bool SetAnchor(TPatternAnchor anchor);
    bool Orient(TOrient how);
    // Asks "Prog Stitch Change"; on Yes frees the pattern, switches "Prog Stitch" off and
    // regenerates. False when declined (nothing changes) or when there is no pattern.
    bool Clear();

private:
    Host& host_;
};

// The question asked before a pattern is de-selected: true when the user answers Yes.
bool ConfirmProgStitchOff(Host& host);

} // namespace nl
