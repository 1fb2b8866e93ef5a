#pragma once

#include "app/runtime_error.h"
#include "clock_text.h"
#include "timer_window/clock.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>
#include <vector>

class QTimer;
class QWidget;

// What the program sets up at start: pictures, locale, font substitutes. Call from initTestCase().
void setUpTestApplication();

// One timeout of a window's timer, without waiting for real time.
void fireTimer(QTimer* timer);

// A wall clock the test sets and steps by hand.
class ManualClock final : public Clock {
public:
    std::string timeOfDay() const override { return time; }
    std::string time = "10:00:00";
};

// What one widget test case runs in: its own settings folder, a hand-set clock, and stand-ins for
// the end of the program, the error message and the browser that record what was asked of them.
class TestEnvironment final {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    QString configDir() const { return configDir_.path(); }
    QString settingsFile() const;

    ManualClock clock;
    int programEnds = 0;
    std::vector<RuntimeError> errors;
    QStringList openedAddresses;

private:
    QTemporaryDir configDir_;
};

// Points the settings store at another folder, as XDG_CONFIG_HOME does for a new process.
void useConfigHome(const QString& path);

// Unloads both windows and lets the deferred deletions run, so that the next use builds fresh ones.
void unloadAllWindows();

// The picture a control shows, as rendered on screen, for comparing against the picture sets.
QImage rendered(QWidget& widget);
