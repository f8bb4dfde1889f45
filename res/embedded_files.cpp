#include "res/embedded_files.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares its function where it is used, so it has to be used outside our
// namespace to name the function rcc generated.
static bool RegisterEmbeddedFiles() {
    Q_INIT_RESOURCE(kalvor);
    return true;
}

namespace kalvor::res {

QString EmbeddedImage(const QString& fileName) {
    static const bool registered = RegisterEmbeddedFiles();
    Q_UNUSED(registered);
    return QStringLiteral(":/kalvor/images/") + fileName;
}

}  // namespace kalvor::res
