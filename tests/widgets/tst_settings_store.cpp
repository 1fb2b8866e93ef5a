#include "support.h"

#include "app/runtime_error.h"
#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

// The real store in a temporary XDG_CONFIG_HOME: the file, the section and the values as other
// programs (and the next run) see them.
class TestSettingsStore final : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString file() const { return dir_.filePath(QStringLiteral("quorvy.conf")); }

    static bool writeFails(std::string_view key, const std::string& text) {
        try {
            settings_store::write(key, text);
        } catch (const RuntimeError& error) {
            return error.number() == 75;
        }
        return false;
    }

private Q_SLOTS:
    void init() {
        QVERIFY(dir_.isValid());
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        useConfigHome(dir_.path());
    }

    void absentKeysReadAsEmptyText() {
        QCOMPARE(settings_store::read("time"), std::string());
        QVERIFY(!QFile::exists(file())); // reading creates nothing
    }

    void allFourKeysRoundTripInTheirSection() {
        const std::pair<const char*, const char*> values[] = {
            {"time", "12.5"}, {"left", "-300"}, {"top", "7245.5"}, {"cs", "30"}};
        for (const auto& [key, text] : values)
            settings_store::write(key, text);
        for (const auto& [key, text] : values)
            QCOMPARE(settings_store::read(key), std::string(text));
        // The file is where other tools expect it, with the values as plain text.
        QSettings raw(file(), QSettings::IniFormat);
        QCOMPARE(raw.childGroups(), QStringList{QStringLiteral("quorvy")});
        QCOMPARE(raw.value(QStringLiteral("quorvy/left")).toString(), QStringLiteral("-300"));
        // Blanks around a value survive the round trip.
        settings_store::write("time", "  45abc");
        QCOMPARE(settings_store::read("time"), std::string("  45abc"));
    }

    void aValueChangedBetweenTwoReadsIsSeen() {
        settings_store::write("time", "30");
        QCOMPARE(settings_store::read("time"), std::string("30"));
        {
            QSettings other(file(), QSettings::IniFormat);
            other.setValue(QStringLiteral("quorvy/time"), QStringLiteral("45"));
        }
        QCOMPARE(settings_store::read("time"), std::string("45"));
    }

    void aStoreThatCannotBeWrittenIsARuntimeError() {
        // Root passes file permissions, so block the store in ways nobody can pass.
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("quorvy.conf")));
        QVERIFY(writeFails("cs", "1"));

        const QString plainFile = dir_.filePath(QStringLiteral("not-a-folder"));
        QFile blocker(plainFile);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        useConfigHome(plainFile);
        QVERIFY(writeFails("cs", "1"));
        QCOMPARE(settings_store::read("cs"), std::string());
    }

    void aFailedWriteLeavesTheOldFileWhole() {
        settings_store::write("time", "30");
        settings_store::write("left", "4200");
        QFile original(file());
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray before = original.readAll();
        original.close();
        // A file size limit that even root is held to: the replacement file cannot be written.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = saved;
        tiny.rlim_cur = 8;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
        const bool failed = writeFails("time", "45");
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(failed);
        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(original.readAll(), before);
        QCOMPARE(settings_store::read("time"), std::string("30"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
