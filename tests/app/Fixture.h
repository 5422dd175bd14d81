// Drives the controller headless: a scripted host and a view at scale 1 (one pixel per unit).
#pragma once
#include <gtest/gtest.h>

#include "app/MainForm.h"
#include "platform/RecordingCanvas.h"
#include "platform/ScriptedHost.h"
#include "stitching/SLCurve.h"

namespace nl::test {

struct TShell {
    TScriptedHost Host;
    TNL Nl{Host};

    TShell() {
        Nl.Resize(800, 600);
        Nl.View.Zoom = 614; // scale 1.0: pixels are worksheet units
    }
    void Click(int x, int y, TModifiers m = {}) {
        Nl.MouseDown(TMouseButton::Left, x, y, m);
        Nl.MouseUp(TMouseButton::Left, x, y, m);
    }
    void RightClick(int x, int y) {
        Nl.MouseDown(TMouseButton::Right, x, y, {});
        Nl.MouseUp(TMouseButton::Right, x, y, {});
    }
    void Drag(int x1, int y1, int x2, int y2, TModifiers m = {}, TMouseButton b = TMouseButton::Left) {
        Nl.MouseDown(b, x1, y1, m);
        Nl.MouseMove((x1 + x2) / 2, (y1 + y2) / 2, m);
        Nl.MouseMove(x2, y2, m);
        Nl.MouseUp(b, x2, y2, m);
    }
    // Creates an outline of `segments` Bezier segments through a row of clicks starting at (x, y).
    TSLStitch* Outline(int x, int y, int segments, TCommand kind = TCommand::CreateOutline) {
        Nl.Execute(kind);
        for (int i = 0; i <= 3 * segments; ++i)
            Click(x + 10 * i, y + (i % 2) * 10);
        RightClick(x, y);
        return Nl.Sew.Count() ? Nl.Sew[Nl.Sew.Count() - 1] : nullptr;
    }
    TSLStitch* Direct(int x, int y, int points) {
        Nl.Execute(TCommand::CreateDirect);
        for (int i = 0; i < points; ++i)
            Click(x + 10 * i, y);
        RightClick(x, y);
        return Nl.Sew.Count() ? Nl.Sew[Nl.Sew.Count() - 1] : nullptr;
    }
};

// The item of a menu with this caption, or nullptr.
inline const TMenuItem* FindItem(const std::vector<TMenuItem>& items, const std::string& caption) {
    for (const TMenuItem& i : items)
        if (i.Caption == caption) return &i;
    return nullptr;
}

// The command code of the item with this caption; a missing item fails the test.
inline int32_t ItemCode(const std::vector<TMenuItem>& items, const std::string& caption) {
    const TMenuItem* i = FindItem(items, caption);
    if (!i) {
        ADD_FAILURE() << "no item " << caption;
        return 0;
    }
    return i->Code;
}

} // namespace nl::test
