#include "support.h"

#include "app/Module1.h"
#include "app/platform.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

TestEnvironment::TestEnvironment() {
    qputenv("XDG_CONFIG_HOME", configDir_.path().toLocal8Bit());
    clock_source::set(&clock);
    platform::setEndProgramHandler([this] {
        ++programEnds;
        throw ProgramEnded{};
    });
    platform::setErrorMessageHandler([this](const RuntimeError& error) { errors.push_back(error); });
    platform::setOpenAddressHandler([this](const QString& address) { openedAddresses << address; });
    Module1::CountSeconds = 0;
    Module1::PresetSeconds = 0;
}

TestEnvironment::~TestEnvironment() {
    unloadAllWindows();
    clock_source::set(nullptr);
    platform::setEndProgramHandler({});
    platform::setErrorMessageHandler({});
    platform::setOpenAddressHandler({});
}

QString TestEnvironment::settingsFile() const {
    return configDir_.filePath(QStringLiteral("quorvy.conf"));
}

void unloadAllWindows() {
    Module1::unloadForm1();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QImage rendered(QWidget& widget) {
    return widget.grab().toImage();
}
