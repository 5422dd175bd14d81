#include "app/Help.h"

#include <filesystem>

#include "app/Folders.h"
#include "platform/Host.h"

#ifndef NL_VERSION
#define NL_VERSION "unknown"
#endif
#ifndef NL_BUILD_DATE
#define NL_BUILD_DATE __DATE__
#endif

namespace nl {

namespace {
constexpr THelpTopic kTopics[] = {
    {TCommand::HelpContents, "index.html"},
    {TCommand::HelpNavigating, "keys-and-mouse.html#navigating-the-worksheet"},
};
constexpr const char* kHelpHeading = "Nordelune Help";
} // namespace

std::span<const THelpTopic> HelpTopics() {
    return kTopics;
}

std::string ModeHelpPage(TMode mode) {
    const char* part = "modes";
    switch (mode) {
    case TMode::ObjectLayout:
        part = "object-layout-mode";
        break;
    case TMode::DesignEdit:
        part = "design-and-editing-mode";
        break;
    case TMode::FillRegion:
        part = "fill-region-creation-and-editing-mode";
        break;
    case TMode::ChangeOrder:
    case TMode::SetJumps:
        part = "change-stitching-order-mode";
        break;
    case TMode::OutlineJump:
        part = "outline-jump-connection-mode";
        break;
    case TMode::SewSimulation:
        part = "sew-simulation-mode";
        break;
    case TMode::PointJoin:
        part = "point-join-mode";
        break;
    case TMode::RegionNodeInsert:
        part = "region-node-insertion-mode";
        break;
    }
    return std::string("modes.html#") + part;
}

bool OpenGuide(Host& host, const std::string& pageAndPart) {
    std::string page = pageAndPart, part;
    if (size_t hash = page.find('#'); hash != std::string::npos) {
        part = page.substr(hash);
        page.resize(hash);
    }
    std::filesystem::path file = GuidePage(host.ProgramFolder(), page);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        host.MessageDialog(kHelpHeading,
                           "The User Guide Was Not Found. Its Page Should Be " + file.string() + ".",
                           Buttons(TButton::OK));
        return false;
    }
    if (!host.OpenGuidePage(file.string() + part)) {
        host.MessageDialog(kHelpHeading,
                           "No Web Browser Could Be Started To Show The User Guide. Open " + file.string() +
                               " In A Browser.",
                           Buttons(TButton::OK));
        return false;
    }
    return true;
}

bool OpenHelpTopic(Host& host, TCommand command) {
    for (const THelpTopic& t : kTopics)
        if (t.Command == command) return OpenGuide(host, t.Page);
    return false;
}

std::string AboutText() {
    return std::string("Nordelune\nEmbroidery design and digitizing.\n\nVersion ") + NL_VERSION + "\nBuilt " +
           NL_BUILD_DATE;
}

} // namespace nl
