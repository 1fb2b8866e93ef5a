#include "app/platform.h"

#include <QByteArray>
#include <QString>
#include <QTest>

#include <optional>

namespace {

// Sets an environment variable for the life of the object (unsets it for nullopt), then puts it back.
class ScopedVariable final {
public:
    ScopedVariable(const char* name, std::optional<QByteArray> value)
        : name_(name), old_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
        set(value);
    }
    ~ScopedVariable() { set(old_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void set(const std::optional<QByteArray>& value) {
        if (value)
            qputenv(name_, *value);
        else
            qunsetenv(name_);
    }

    const char* name_;
    std::optional<QByteArray> old_;
};

} // namespace

// Which window system the program runs on, and what it may then believe about its windows' places.
class TestWindowSystem final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void onlyWaylandHidesWhereWindowsStand_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("knows");
        QTest::newRow("X11, XWayland included") << "xcb" << true;
        QTest::newRow("Wayland's own windows read 0,0 wherever they stand") << "wayland" << false;
        QTest::newRow("Wayland through EGL is Wayland too") << "wayland-egl" << false;
        QTest::newRow("Windows") << "windows" << true;
        QTest::newRow("macOS") << "cocoa" << true;
        QTest::newRow("the tests' offscreen screen") << "offscreen" << true;
    }

    void onlyWaylandHidesWhereWindowsStand() {
        QFETCH(QString, platform);
        QFETCH(bool, knows);
        QCOMPARE(platform::knowsWindowPositions(platform), knows);
    }

    // An X server is never reachable here, so these are the choices made without one; the choice with
    // one is the end-to-end tests' (under sway with XWayland).
    void choosesTheWindowSystemBeforeQtDoes_data() {
        QTest::addColumn<std::optional<QByteArray>>("userChoice");
        QTest::addColumn<std::optional<QByteArray>>("waylandDisplay");
        QTest::addColumn<QByteArray>("chosen");
        QTest::newRow("the user's choice stands")
            << std::optional<QByteArray>("wayland") << std::optional<QByteArray>("wayland-1")
            << QByteArray("wayland");
        QTest::newRow("an odd user's choice stands too")
            << std::optional<QByteArray>("xcb") << std::optional<QByteArray>("wayland-1")
            << QByteArray("xcb");
        QTest::newRow("no Wayland: Qt's own default")
            << std::optional<QByteArray>() << std::optional<QByteArray>() << QByteArray();
        QTest::newRow("an empty choice is no choice")
            << std::optional<QByteArray>("") << std::optional<QByteArray>() << QByteArray();
        QTest::newRow("Wayland without an X server: Wayland")
            << std::optional<QByteArray>() << std::optional<QByteArray>("wayland-1") << QByteArray("wayland");
    }

    void choosesTheWindowSystemBeforeQtDoes() {
        QFETCH(std::optional<QByteArray>, userChoice);
        QFETCH(std::optional<QByteArray>, waylandDisplay);
        QFETCH(QByteArray, chosen);
        const ScopedVariable choice("QT_QPA_PLATFORM", userChoice);
        const ScopedVariable wayland("WAYLAND_DISPLAY", waylandDisplay);
        // No server answers on a display that does not exist.
        const ScopedVariable display("DISPLAY", QByteArray(":9876"));
        platform::chooseWindowSystem();
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), chosen);
    }
};

QTEST_MAIN(TestWindowSystem)
#include "tst_window_system.moc"
