#include "support.h"

#include "app/runtime_error.h"
#include "settings/setting_rules.h"
#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <random>
#include <sys/resource.h>

// The real store in a temporary XDG_CONFIG_HOME: the file, the section and the values as other
// programs (and the next run) see them.
class TestSettingsStore final : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString file() const { return dir_.filePath(QStringLiteral("quorvy.conf")); }

    QByteArray fileBytes() const {
        QFile stored(file());
        return stored.open(QIODevice::ReadOnly) ? stored.readAll() : QByteArray();
    }

    // Every key of the file with its value, as any other program reading it would see them.
    QMap<QString, QVariant> everyKey() const {
        QSettings raw(file(), QSettings::IniFormat);
        QMap<QString, QVariant> keys;
        for (const QString& key : raw.allKeys())
            keys.insert(key, raw.value(key));
        return keys;
    }

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

    // Files that were damaged by hand or by another program. What is read is what the stored text gives;
    // a file that cannot be read back whole is never rewritten, since the rewrite would drop what was
    // not understood.
    void damagedFiles_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("stored"); // "time", "left", "top", "cs" as read
        QTest::addColumn<QString>("minutesShown");
        QTest::addColumn<bool>("rewritable");

        std::mt19937 random(20261209);
        QByteArray noise(4096, '\0');
        for (char& byte : noise)
            byte = static_cast<char>(random() & 0xff);
        QTest::newRow("random bytes") << noise << QStringList{{}, {}, {}, {}} << "30" << false;

        QByteArray big("[quorvy]\ntime=12\n[other]\n");
        for (int i = 0; big.size() < 1024 * 1024; ++i)
            big += "key" + QByteArray::number(i) + "=some value of another program " + QByteArray::number(i) +
                   "\n";
        QTest::newRow("1 MB") << big << QStringList{"12", {}, {}, {}} << "12" << true;

        QTest::newRow("not UTF-8") << QByteArray("[quorvy]\ntime=\xff"
                                                 "45\n[other]\nname=caf\xe9\n")
                                   << QStringList{QStringLiteral("\uFFFD45"), {}, {}, {}} << "30" << false;
        QTest::newRow("section twice")
            << QByteArray("[quorvy]\ntime=12\n[other]\nkeep=me\n[quorvy]\nleft=300\n")
            << QStringList{"12", "300", {}, {}} << "12" << true;
        QTest::newRow("values in quotes") << QByteArray("[quorvy]\ntime=\"45\"\nleft=\" 7245.5 \"\n")
                                          << QStringList{"45", " 7245.5 ", {}, {}} << "45" << true;
        QTest::newRow("a comma") << QByteArray("[quorvy]\ntime=1,5\n") << QStringList{"1,5", {}, {}, {}}
                                 << "1" << true;
        QTest::newRow("out of range")
            << QByteArray("[quorvy]\ntop=99999\nleft=1e300\ncs=40000\n[other]\nkeep=me\n")
            << QStringList{{}, "1e300", "99999", "40000"} << "30" << true;
    }

    void damagedFiles() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, stored);
        QFETCH(QString, minutesShown);
        QFETCH(bool, rewritable);
        {
            QFile damaged(file());
            QVERIFY(damaged.open(QIODevice::WriteOnly));
            damaged.write(content);
        }
        const char* keys[] = {"time", "left", "top", "cs"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(QString::fromStdString(settings_store::read(keys[i])), stored[i]);
        QCOMPARE(QString::fromStdString(setting_rules::minutesShown(settings_store::read("time"))),
                 minutesShown);

        const QMap<QString, QVariant> before = everyKey();
        if (!rewritable) {
            QVERIFY(writeFails("cs", "1"));
            QCOMPARE(fileBytes(), content);
            return;
        }
        settings_store::write("cs", "1");
        QCOMPARE(settings_store::read("cs"), std::string("1"));
        QMap<QString, QVariant> expected = before;
        expected.insert(QStringLiteral("quorvy/cs"), QStringLiteral("1"));
        QCOMPARE(everyKey(), expected);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
