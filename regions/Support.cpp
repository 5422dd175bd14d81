#include "regions/Support.h"

namespace nl {

std::unique_ptr<TObjectBase> MakeEmbroideryFrame() {
    auto f = std::make_unique<TObjectBase>(SUPPORT_FRAME);
    f->Rect.Set(0, 0, 2000, 2000);
    return f;
}

} // namespace nl
