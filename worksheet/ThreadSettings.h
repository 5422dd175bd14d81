// The thread catalog viewer's remembered choice: kept for the whole run and saved with the
// worksheet, so that the viewer opens on the catalog the user worked with last.
#pragma once
#include <cstdint>

namespace nl {

struct TThreadSettings {
    // Index into the viewer's catalog list (enabled catalogs in list order); out of range, or
    // negative from a damaged file, it falls back to the first catalog.
    int32_t CatalogChoice = 0;
    // The item index of the viewer's catalog list box, saved separately in the worksheet file;
    // the viewer keeps it equal to CatalogChoice.
    int32_t TypeManIndex = 0;
};

} // namespace nl
