#pragma once

#include <QIcon>

namespace kalvor::res {

// Icon group `id`: IDR_MAINFRAME, the application icon (16, 32 and 48 pixels), or IDR_DOCTYPE,
// the document-type icon (16 and 32 pixels). Null for an unknown identifier.
QIcon LoadIcon(unsigned id);

}  // namespace kalvor::res
