// A worksheet with one of every kind of stitch object the program makes, for tests that look at
// every command or every view option at once; and a canvas that records everything drawn,
// pen widths and marker sizes included, as one comparable text.
#pragma once
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>

#include "../regions/TestShapes.h"
#include "Fixture.h"
#include "app/OrderMode.h"
#include "platform/Canvas.h"
#include "regions/SLRegion.h"

namespace nl::test {

class TPictureCanvas : public Canvas {
public:
    std::ostringstream Out;
    void SetPen(int32_t colour, float width, TPenStyle style) override {
        Out << "pen " << colour << ' ' << width << ' ' << static_cast<int>(style) << '\n';
    }
    void Line(float x1, float y1, float x2, float y2) override {
        Out << "L " << x1 << ',' << y1 << ' ' << x2 << ',' << y2 << '\n';
    }
    void Polyline(const std::vector<TPointF>& pts) override {
        Out << "P";
        for (const TPointF& p : pts)
            Out << ' ' << p.X << ',' << p.Y;
        Out << '\n';
    }
    void Marker(float x, float y, TMarker kind, float size, int32_t colour) override {
        Out << "M " << x << ',' << y << ' ' << static_cast<int>(kind) << ' ' << size << ' ' << colour << '\n';
    }
    void FillPolygon(const std::vector<TPointF>& pts, int32_t colour, int alpha) override {
        Out << "F " << pts.size() << ' ' << colour << ' ' << alpha << '\n';
    }
    void Rectangle(float l, float t, float r, float b) override {
        Out << "R " << l << ',' << t << ' ' << r << ',' << b << '\n';
    }
    void Text(float x, float y, const std::string& text, int32_t colour, float size) override {
        Out << "T " << x << ',' << y << ' ' << text << ' ' << colour << ' ' << size << '\n';
    }
    void Image(float l, float t, float r, float b, int w, int h, const std::vector<uint32_t>&,
               int alpha) override {
        Out << "I " << l << ',' << t << ' ' << r << ',' << b << ' ' << w << 'x' << h << ' ' << alpha << '\n';
    }
    void Clear(int32_t colour) override { Out << "C " << colour << '\n'; }
};

inline std::string Picture(const TNL& nl) {
    TPictureCanvas c;
    nl.Draw(c);
    return c.Out.str();
}

struct TSheet : TShell {
    int ServiceCalls = 0;
    TSLCurve* Running = nullptr;
    TSLCurve* RailA = nullptr; // a curved column 15 mm wide: its satin stitches are long
    TSLCurve* Satin = nullptr;
    TSLStitch* Direct = nullptr;
    TSLCurve* Square = nullptr;
    TSLRegion* Region = nullptr;

    TSLCurve* AddCurve(std::unique_ptr<TSLCurve> c) {
        auto* curve = static_cast<TSLCurve*>(Nl.Sew.Add(std::move(c)));
        curve->UpdateBounds(Nl.StitchContext());
        return curve;
    }

    TSheet() {
        Nl.Resize(1600, 1000);

        auto running = Polyline({{100, 100}, {400, 100}, {700, 100}});
        running->Flags |= OF_VISIBLE | OF_RUNNING;
        running->SetStitchTypeBits(ST_RUNNING);
        Running = AddCurve(std::move(running));

        Nl.Execute(TCommand::CreateColumn);
        for (int i = 0; i <= 3; ++i)
            Click(100 + 100 * i, 200);
        RightClick(5, 5);
        for (int i = 0; i <= 3; ++i)
            Click(100 + 100 * i, 500);
        RightClick(5, 5);
        RailA = static_cast<TSLCurve*>(Nl.Sew[Nl.Sew.Count() - 2]);
        RailA->Compensation = 20;
        RailA->UpdateBounds(Nl.StitchContext());

        auto satin = Polyline({{100, 700}, {400, 700}, {700, 700}});
        satin->Flags |= OF_VISIBLE;
        satin->SetStitchTypeBits(ST_SATIN);
        satin->Outlines = TOutlineList::MakeDefault(satin->AnchorCount());
        Satin = AddCurve(std::move(satin));

        Direct = TShell::Direct(800, 100, 6);
        (*Direct)[1].Flags |= SP_BOUNDARY;
        (*Direct)[2].Flags |= SP_FILL;
        (*Direct)[3].Flags |= SP_UNDER;
        (*Direct)[4].Flags |= SP_UNDERLAY;

        Square = AddCurve(ClosedOutline(nl::test::Square(900, 300, 400)));
        Region = static_cast<TSLRegion*>(Nl.Sew.Add(RegionOn(*Square)));
        Region->StitchFlags |= RSF_USE_UNDERLAY;
        Region->Compensation = 1;
        // Shown as a region of the outline selected in Design And Editing mode.
        Region->Flags |= OF_REGION_MARK_1;
        Region->RegenerateFill(Nl.StitchContext());

        // One layout group, selected in Object Layout mode; the running outline is the edit
        // selection.
        Nl.Sew.ClearSelection(OF_SELECTED_EDIT);
        for (int32_t i = 0; i < Nl.Sew.Count(); ++i)
            Nl.Sew[i]->SetFlags(OF_SELECTED_LAYOUT);
        Nl.Sew.ComposeGroup();
        Nl.Sew.ComputeSelectionKind();
        Running->SetFlags(OF_SELECTED_EDIT);
        // A name of its own, so that "Save" writes somewhere harmless.
        static int sheets = 0;
        FileName = (std::filesystem::temp_directory_path() /
                    ("nl-sheet-" + std::to_string(::getpid()) + "-" + std::to_string(++sheets) + ".Nl1"))
                       .string();
        Nl.Sew.FileName = FileName;
        Nl.Sew.Modified = true;
    }
    // The order mode on the sheet's group, its cursor on the region, the Set Jumps page shown.
    TOrderMode& SetJumpsOnRegion() {
        Nl.Execute(TCommand::ModeLayout);
        Nl.Execute(TCommand::ChangeOrder);
        TOrderMode& o = Nl.OrderMode();
        o.SetCursor(o.IndexOf(Region));
        Nl.ShowOrderPage(TOrderPage::SetJumps);
        return o;
    }
    ~TSheet() {
        std::error_code ec;
        std::filesystem::remove(FileName, ec);
    }
    std::string FileName;
};

} // namespace nl::test
