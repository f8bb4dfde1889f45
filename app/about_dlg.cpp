#include "app/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "res/dialog_units.h"
#include "res/dialogs.h"
#include "res/icons.h"
#include "res/resource.h"

namespace kalvor::app {

namespace {

constexpr int kIconPixels = 32;  // a static icon control shows the icon at its standard size

QWidget* CreateControl(const res::DialogControl& control, QDialog& dialog) {
    const QString text = control.text != nullptr ? QString::fromUtf16(control.text) : QString();
    switch (control.kind) {
        case res::ControlKind::Icon: {
            auto* label = new QLabel(&dialog);
            label->setPixmap(res::LoadIcon(control.icon).pixmap(kIconPixels));
            return label;
        }
        case res::ControlKind::Text: {
            auto* label = new QLabel(text, &dialog);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(true);
            return label;
        }
        case res::ControlKind::DefaultButton: {
            auto* button = new QPushButton(text, &dialog);
            button->setDefault(true);
            QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
            return button;
        }
    }
    return nullptr;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint) {
    const res::DialogTemplate& dialog = *res::LoadDialog(IDD_ABOUTBOX);
    setFont(res::DialogFont(dialog));
    setWindowTitle(QString::fromUtf16(dialog.caption));
    const res::DialogUnits units(font());
    for (const res::DialogControl& control : dialog.controls) {
        QWidget* widget = CreateControl(control, *this);
        const QRect rect = units.ToPixels(control.rect);
        if (control.kind == res::ControlKind::Icon) {
            widget->setGeometry(QRect(rect.topLeft(), QSize(kIconPixels, kIconPixels)));
        } else {
            widget->setGeometry(rect);
        }
    }
    setFixedSize(units.ToPixels(dialog.size));
}

}  // namespace kalvor::app
