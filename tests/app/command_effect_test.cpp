// A command a user can click either works or is visibly disabled: every enabled command of the
// table, run on a worksheet holding one of everything, must change something the user can see.
#include <algorithm>

#include "Sheet.h"

using namespace nl;
using nl::test::TSheet;

namespace {
std::string Name(const TCommandInfo& c) {
    return c.Caption ? c.Caption : c.Hint ? c.Hint : "?";
}

// What an action can change: the run state, what the host was asked to show, the worksheet and
// the services called.
std::string State(TSheet& s) {
    std::ostringstream o;
    const TNL& n = s.Nl;
    o << static_cast<int>(n.Mode()) << ' ' << static_cast<int>(n.Creation()) << ' '
      << static_cast<int>(n.Placement()) << ' ' << n.View.Zoom << ' ' << n.View.ScrollX << ' '
      << n.View.ScrollY << '|' << s.Host.Messages.size() << ' ' << s.Host.FileRequests.size() << ' '
      << s.Host.CloseRequests << ' ' << s.Host.Picks.size() << ' ' << s.Host.CatalogViewerShown << ' '
      << s.Host.CatalogManagerShown << ' ' << s.Host.GeneralRequests.size() << ' ' << s.Host.Clipboard.size()
      << ' ' << s.Host.RotateDialogsShown << ' ' << s.Host.ResizeDialogsShown << '|' << s.Host.Prompt << '|'
      << s.Host.Status << '|' << s.Host.Caption << '|' << s.ServiceCalls << '|' << n.Sew.Count() << ' '
      << n.Sew.Modified << '|' << n.Sew.Support.Count() << ' ' << s.Host.PatternViewersShown << '\n';
    for (int32_t i = 0; i < n.Sew.Count(); ++i) {
        const TSLStitch& x = *n.Sew[i];
        o << x.Flags << ' ' << x.GroupId << ' ' << x.Count();
        if (x.Count() > 0) o << ' ' << x[0].X << ',' << x[0].Y;
        o << '\n';
    }
    return o.str();
}

// Options that change what later clicks do rather than the picture; each has its own test
// (handles_test: "Auto Show Properties"; below: "Create Objects In Highlight Mode"; rotate_test:
// "Rotate Embroidery Object Mode"). "Show Region Node Types" marks the fixed nodes of the region
// whose path is being edited in the region mode.
bool ChangesBehaviour(TCommand c) {
    return c == TCommand::AutoShowProperties || c == TCommand::CreateHighlighted ||
           c == TCommand::RotateMode || c == TCommand::ShowRegionNodeTypes;
}
} // namespace

TEST(CommandEffects, EveryEnabledActionDoesSomething) {
    for (TMode mode : {TMode::ObjectLayout, TMode::DesignEdit}) {
        for (const TCommandInfo& c : CommandTable()) {
            if (c.Kind == TCommandKind::Toggle) continue;
            TSheet s;
            s.Nl.SetMode(mode);
            if (!s.Nl.IsEnabled(c.Id)) continue;
            if (c.Kind == TCommandKind::Mode && s.Nl.IsChecked(c.Id)) continue; // already in it
            const std::string before = State(s);
            s.Nl.Execute(c.Id);
            EXPECT_NE(State(s), before)
                << Name(c) << " is enabled in mode " << static_cast<int>(mode) << " but does nothing";
        }
    }
}

TEST(CommandEffects, EveryEnabledViewOptionChangesThePicture) {
    for (const TCommandInfo& c : CommandTable()) {
        if (c.Kind != TCommandKind::Toggle || ChangesBehaviour(c.Id)) continue;
        TSheet s;
        auto pictures = [&s] {
            std::string all;
            for (TMode m : {TMode::ObjectLayout, TMode::DesignEdit}) {
                s.Nl.SetMode(m);
                all += nl::test::Picture(s.Nl);
            }
            return all;
        };
        TMode where = TMode::SewSimulation;
        for (TMode m : {TMode::DesignEdit, TMode::ObjectLayout}) {
            s.Nl.SetMode(m);
            if (s.Nl.IsEnabled(c.Id)) {
                where = m;
                break;
            }
        }
        if (where == TMode::SewSimulation) continue; // disabled everywhere: a feature not built yet
        // Hiding pictures needs a picture to hide.
        if (c.Id == TCommand::HideBitmaps) s.Nl.Sew.Support.Create(SUPPORT_PICTURE, 100, 100);
        const std::string before = pictures();
        s.Nl.SetMode(where);
        const bool was = s.Nl.IsChecked(c.Id);
        s.Nl.Execute(c.Id);
        EXPECT_NE(s.Nl.IsChecked(c.Id), was) << Name(c);
        EXPECT_NE(pictures(), before) << Name(c) << " is enabled but changes nothing drawn";
    }
}

TEST(CommandEffects, CreateObjectsInHighlightMode) {
    for (bool on : {true, false}) {
        TSheet s;
        if (!on) s.Nl.Execute(TCommand::CreateHighlighted);
        EXPECT_EQ(s.Nl.IsChecked(TCommand::CreateHighlighted), on);
        TSLStitch* o = s.Outline(100, 800, 1);
        ASSERT_NE(o, nullptr);
        EXPECT_EQ((o->Flags & OF_SELECTED_EDIT) != 0, on);
    }
}

TEST(CommandEffects, GroupSelectionNeedsALayoutSelection) {
    TSheet s;
    for (TMode mode : {TMode::ObjectLayout, TMode::DesignEdit}) {
        s.Nl.SetMode(mode);
        EXPECT_TRUE(s.Nl.IsEnabled(TCommand::GroupSelection));
    }
    s.Nl.Sew.ClearSelection(OF_SELECTED_LAYOUT);
    for (TMode mode : {TMode::ObjectLayout, TMode::DesignEdit}) {
        s.Nl.SetMode(mode);
        EXPECT_FALSE(s.Nl.IsEnabled(TCommand::GroupSelection)) << "nothing to group";
    }
}
