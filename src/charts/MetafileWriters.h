// Writers of the two Windows picture formats for TMetafileDevice: EMF (32-bit records, Unicode
// text) and WMF (16-bit records behind a placeable header, 8-bit text).
#pragma once

#include <memory>

#include "charts/MetafileEngine.h"

namespace nubrix::charts {

std::unique_ptr<IMetafileWriter> MakeEmfWriter();
std::unique_ptr<IMetafileWriter> MakeWmfWriter();

}  // namespace nubrix::charts
