#include "support.h"

#include "app/Module1.h"
#include "app/application.h"
#include "app/platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QWidget>

TestEnvironment::TestEnvironment() {
    useConfigHome(configDir_.path());
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

void useConfigHome(const QString& path) {
    qputenv("XDG_CONFIG_HOME", path.toLocal8Bit());
    // QSettings takes the folder once per process; tell it of each new one.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
}

QString TestEnvironment::settingsFile() const {
    return configDir_.filePath(QStringLiteral("quorvy.conf"));
}

void setUpTestApplication() {
    setUpApplication(*qobject_cast<QApplication*>(QCoreApplication::instance()));
}

void fireTimer(QTimer* timer) {
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
}

void unloadAllWindows() {
    Module1::unloadForm1();
    Module1::unloadForm2();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QImage rendered(QWidget& widget) {
    return widget.grab().toImage();
}
