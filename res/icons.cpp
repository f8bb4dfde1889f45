#include "res/icons.h"

#include <QStringList>

#include "res/embedded_files.h"
#include "res/resource.h"

namespace kalvor::res {

namespace {

QIcon IconOf(const QString& baseName, std::initializer_list<int> sizes) {
    QIcon icon;
    for (const int size : sizes) {
        icon.addFile(EmbeddedImage(QStringLiteral("%1_%2.xpm").arg(baseName).arg(size)),
                     QSize(size, size));
    }
    return icon;
}

}  // namespace

QIcon LoadIcon(unsigned id) {
    switch (id) {
        case IDR_MAINFRAME:
            return IconOf(QStringLiteral("app"), {16, 32, 48});
        case IDR_DOCTYPE:
            return IconOf(QStringLiteral("doc"), {16, 32});
        default:
            return {};
    }
}

}  // namespace kalvor::res
