#pragma once

#include <QApplication>
#include <functional>
#include <memory>

namespace kalvor::app {

// Starts the application with `start` as the Simplified Chinese program it is, whatever the
// session's locale: Qt's own texts (its dialogs' labels and buttons) from Qt's zh_CN translations
// where they are installed, dates and numbers in their Chinese form, and fonts chosen for
// Simplified Chinese (fontconfig's language zh-cn), so that a character drawn differently in
// Japanese or Traditional Chinese takes its mainland shape.
std::unique_ptr<QApplication> StartInSimplifiedChinese(
    const std::function<std::unique_ptr<QApplication>()>& start);

}  // namespace kalvor::app
