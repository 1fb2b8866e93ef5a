#include "support.h"

#include "app/Module1.h"
#include "control_panel/Form2.h"
#include "timer_window/Form1.h"

#include <QFile>
#include <QFont>
#include <QTest>
#include <QTime>
#include <QTimer>

// The strip shows only pictures, so it must cost no font: fontconfig's caches and a font file are mapped
// into the process when a text is first laid out, and stay mapped. Read from /proc/self/maps, so this
// test needs Linux. It sees the whole process, so it runs in a process of its own and in this order.

namespace {

bool isFontFile(const QString& path) {
    for (const char* suffix : {".ttf", ".otf", ".ttc", ".pfb", ".pfa", ".pcf", ".pcf.gz", ".woff", ".woff2"})
        if (path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return true;
    // fontconfig's caches: <hash>-le64.cache-<version>, under /var/cache/fontconfig or ~/.cache/fontconfig.
    return path.contains(QLatin1String("fontconfig/")) && path.contains(QLatin1String(".cache-"));
}

// The font files and fontconfig caches mapped into this process.
QStringList mappedFonts() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly | QIODevice::Text))
        return {QStringLiteral("(no /proc/self/maps)")};
    QStringList fonts;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        // address perms offset dev inode path: the path is what follows the fifth field.
        const QString path = QString::fromUtf8(line.simplified()).section(QLatin1Char(' '), 5);
        if (isFontFile(path) && !fonts.contains(path))
            fonts << path;
    }
    return fonts;
}

} // namespace

class TestFonts final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        setUpTestApplication();
        // The application with its font substitutes costs no font either.
        QCOMPARE(mappedFonts().join(QStringLiteral(", ")), QString());
    }

    void theStripCostsNoFontUntilThePanelShowsACaption() {
        TestEnvironment env;
        Form1& timer = Module1::form1();
        timer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&timer));

        // A minute of ticks through the countdown's end into overtime, each drawn on the strip.
        Module1::CountSeconds = 2;
        for (int second = 1; second <= 60; ++second) {
            env.clock.time = QTime(10, 0).addSecs(second).toString(QStringLiteral("hh:mm:ss")).toStdString();
            fireTimer(timer.Timer1);
            QCoreApplication::processEvents();
        }
        QCOMPARE(Module1::CountSeconds, -58.0);
        QCOMPARE(timer.Text1->text(), QStringLiteral("10:01:00"));
        QCOMPARE(timer.Label1->text(), QStringLiteral("00:00:58"));
        QVERIFY(!rendered(timer).isNull());

        // The hidden controls still answer for their fonts and places.
        const QFont caption = timer.Label1->font();
        QCOMPARE(caption.family(), QStringLiteral("宋体"));
        QCOMPARE(caption.pointSizeF(), 26.25);
        QVERIFY(caption.bold());
        QCOMPARE(timer.Label1->geometry(), QRect(304, 228, 153, 41));
        QCOMPARE(timer.Text1->geometry(), QRect(372, 88, 53, 25));
        QVERIFY(timer.Text1->isHidden());
        QCOMPARE(mappedFonts().join(QStringLiteral(", ")), QString());

        // The first caption on screen brings the fonts.
        Module1::returnToPanel();
        Form2& panel = Module1::form2();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(!rendered(panel).isNull());
        QVERIFY2(!mappedFonts().isEmpty(), "the panel showed its captions without a font mapped");
        QVERIFY(env.errors.empty());
    }
};

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
