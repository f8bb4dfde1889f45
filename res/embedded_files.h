#pragma once

#include <QString>

namespace kalvor::res {

// The path under which an image of res/images is embedded, e.g. ":/kalvor/images/toolbar.xpm".
// The first call registers the embedded files, which a static library cannot do by itself.
QString EmbeddedImage(const QString& fileName);

}  // namespace kalvor::res
