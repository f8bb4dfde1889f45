#include "app/run_application.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "app/kalvor_app.h"
#include "app/simplified_chinese.h"

namespace kalvor::app {

namespace {

struct HeldMessage {
    QtMsgType type;
    QString text;
};

std::vector<HeldMessage>& HeldMessages() {
    static std::vector<HeldMessage> messages;
    return messages;
}

// Qt ends the process with a long, misleading text (about reinstalling) when it cannot reach
// the display. While the application object is being built, its messages are held back, and a
// failure ends the process with one clear line naming what the platform said first.
void HoldStartMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtFatalMsg) {
        HeldMessages().push_back({type, text});
        return;
    }
    const QString cause = HeldMessages().empty() ? text : HeldMessages().front().text;
    std::fprintf(stderr, "kalvor: 无法连接到图形显示，窗口无法打开（%s）\n",
                 qUtf8Printable(cause.section(u'\n', 0, 0)));
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

std::unique_ptr<QApplication> ConnectToDisplay(int& argc, char** argv) {
    const QtMessageHandler previous = qInstallMessageHandler(HoldStartMessage);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const HeldMessage& message : std::exchange(HeldMessages(), {})) {
        previous(message.type, QMessageLogContext(), message.text);
    }
    return application;
}

}  // namespace

int RunApplication(int& argc, char** argv) {
    const auto application =
        StartInSimplifiedChinese([&argc, argv] { return ConnectToDisplay(argc, argv); });
    CkalvorApp app;
    if (!app.InitInstance(QApplication::arguments())) {
        app.ExitInstance();
        return EXIT_FAILURE;
    }
    const int status = QApplication::exec();
    return app.ExitInstance() != 0 ? EXIT_FAILURE : status;
}

}  // namespace kalvor::app
