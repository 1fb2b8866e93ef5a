#include "support.h"

#include "app/Module1.h"
#include "control_panel/Form2.h"
#include "settings/settings_store.h"
#include "timer_window/Form1.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace {

void fireTimer(Form1& form) {
    fireTimer(form.Timer1);
}

// Loads and shows the timer window, as at start-up.
Form1& shownTimer() {
    Form1& form = Module1::form1();
    form.show();
    return form;
}

} // namespace

// The timer window's mouse behaviour and the commands of the popup menu.
class TestInteraction final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpTestApplication(); }

    void onlyTheRightButtonOpensTheMenu_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("opens");
        QTest::newRow("right") << Qt::RightButton << true;
        QTest::newRow("left") << Qt::LeftButton << false;
        QTest::newRow("middle") << Qt::MiddleButton << false;
    }

    void onlyTheRightButtonOpensTheMenu() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, opens);
        TestEnvironment env;
        Form1& timer = shownTimer();
        QTest::mouseClick(timer.Label2, button, {}, QPoint(40, 12));
        // Naming the menu loads the panel, hidden.
        QCOMPARE(Module1::form2Loaded(), opens);
        if (!opens)
            return;
        Form2& panel = Module1::form2();
        QVERIFY(panel.mu->isVisible());
        QVERIFY(!panel.isVisible());
        QStringList items;
        for (QAction* action : panel.mu->actions())
            items << action->text();
        QCOMPARE(items,
                 (QStringList{QStringLiteral("刷新"), QStringLiteral("重新计时"), QStringLiteral("关闭")}));
        panel.mu->close();
    }

    // A click, or the menu's 刷新, restarts from the preset: green at the next second even in overtime,
    // and before any start (preset 0) overtime from 00:00:01.
    void resetsRestartFromThePreset_data() {
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("green");
        QTest::newRow("click in overtime") << false << 1800 << QStringLiteral("00:29:59") << true;
        QTest::newRow("click before any start") << false << 0 << QStringLiteral("00:00:01") << false;
        QTest::newRow("menu in overtime") << true << 1800 << QStringLiteral("00:29:59") << true;
        QTest::newRow("menu before any start") << true << 0 << QStringLiteral("00:00:01") << false;
    }

    void resetsRestartFromThePreset() {
        QFETCH(bool, fromMenu);
        QFETCH(int, preset);
        QFETCH(QString, shown);
        QFETCH(bool, green);
        TestEnvironment env;
        Form1& timer = shownTimer();
        Module1::PresetSeconds = static_cast<std::int16_t>(preset);
        Module1::CountSeconds = -75;
        if (fromMenu)
            Module1::form2().刷新->trigger();
        else
            QTest::mouseClick(timer.Label2, Qt::LeftButton, {}, QPoint(30, 10));
        QCOMPARE(Module1::CountSeconds, double(preset));
        env.clock.time = "11:00:00";
        fireTimer(timer);
        QCOMPARE(timer.Label1->text(), shown);
        const auto& set = green ? timer.Image4 : timer.Image3;
        QCOMPARE(timer.Image1[5]->picture().toImage(), set[shown.back().digitValue()]->picture().toImage());
        QCOMPARE(timer.Image2[0]->picture().toImage(), set[10]->picture().toImage());
    }

    // Both roads back to the panel: the position is stored even without a move, the timer is unloaded and
    // its count stands still, the panel shows with the minutes ready to be typed over.
    void handOverToThePanel_data() {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("double click") << false;
        QTest::newRow("menu") << true;
    }

    void handOverToThePanel() {
        QFETCH(bool, fromMenu);
        TestEnvironment env;
        Form1& timer = shownTimer();
        QVERIFY(QTest::qWaitForWindowExposed(&timer));
        QPointer<Form1> watched = &timer;
        Module1::CountSeconds = 42;
        if (fromMenu)
            Module1::form2().重新计时->trigger();
        else
            QTest::mouseDClick(timer.Label2, Qt::LeftButton, {}, QPoint(30, 10));
        QCOMPARE(settings_store::read("left"), std::string("4200"));
        QCOMPARE(settings_store::read("top"), std::string("2460"));
        QVERIFY(!Module1::form1Loaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(watched.isNull());
        QCOMPARE(Module1::CountSeconds, 42.0);
        Form2& panel = Module1::form2();
        QVERIFY(panel.isVisible());
        QCOMPARE(panel.focusWidget(), panel.Text1);
        QCOMPARE(panel.Text1->selectedText(), QStringLiteral("30"));
        QVERIFY(env.errors.empty());

        // The next load is a fresh window, made topmost again.
        Form1& again = Module1::form1();
        QVERIFY(&again != watched.data());
        QVERIFY(again.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(again.Text1->text(), QStringLiteral("Text1"));
    }

    // A store that cannot be written must not keep the presenter from the panel: the steps that fail
    // are skipped, by the double click and by the menu alike, with no error message.
    void handOverSurvivesAStoreThatCannotBeWritten_data() { handOverToThePanel_data(); }

    void handOverSurvivesAStoreThatCannotBeWritten() {
        QFETCH(bool, fromMenu);
        TestEnvironment env;
        QVERIFY(QDir(env.configDir()).mkdir(QStringLiteral("quorvy.conf")));
        Form1& timer = shownTimer();
        if (fromMenu)
            Module1::form2().重新计时->trigger();
        else
            QTest::mouseDClick(timer.Label2, Qt::LeftButton, {}, QPoint(30, 10));
        QVERIFY(!Module1::form1Loaded());
        QVERIFY(Module1::form2().isVisible());
        QVERIFY(env.errors.empty());
        QCOMPARE(env.programEnds, 0);
    }

    void dragMovesTheWindowAndAClickStaysAClick() {
        TestEnvironment env;
        Form1& timer = shownTimer();
        QVERIFY(QTest::qWaitForWindowExposed(&timer));
        const QPoint start = timer.pos();
        Module1::PresetSeconds = 60;
        Module1::CountSeconds = 5;
        // A wobble smaller than the drag distance is still a click.
        QTest::mousePress(timer.Label2, Qt::LeftButton, {}, QPoint(20, 10));
        QTest::mouseMove(timer.Label2, QPoint(21, 10));
        QTest::mouseRelease(timer.Label2, Qt::LeftButton, {}, QPoint(21, 10));
        QCOMPARE(timer.pos(), start);
        QCOMPARE(Module1::CountSeconds, 60.0);

        QTest::mousePress(timer.Label2, Qt::LeftButton, {}, QPoint(20, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(50, 30), timer.Label2->mapToGlobal(QPointF(50, 30)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(timer.Label2, &move);
        QCOMPARE(timer.pos(), start + QPoint(30, 20));
        QCOMPARE(timer.Left(), (start.x() + 30) * 15.0);
    }

    void linkLabelsOpenTheirAddressOnEveryClick() {
        TestEnvironment env;
        Form2& panel = Module1::form2();
        panel.show();
        QTest::mouseClick(panel.Label7, Qt::LeftButton);
        QTest::mouseClick(panel.Label3, Qt::LeftButton);
        QTest::mouseClick(panel.Label3, Qt::LeftButton);
        QCOMPARE(env.openedAddresses, (QStringList{QStringLiteral("https://talvex.example/more/"),
                                                   QStringLiteral("https://talvex.example/"),
                                                   QStringLiteral("https://talvex.example/")}));
        QCOMPARE(panel.Label3->text(), QStringLiteral("talvex.example"));
    }
};

QTEST_MAIN(TestInteraction)
#include "tst_interaction.moc"
