#include "support.h"

#include "app/controls.h"

#include <QSignalSpy>
#include <QTest>

// A text box that builds its line edit only when shown or measured must behave as the line edit does,
// before and after: the same texts held, the same changes reported.
class TestTextBox final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpTestApplication(); }

    void changesAsALineEditReportsThem_data() {
        QTest::addColumn<QStringList>("texts"); // set one after another on a box that holds "Text1"
        QTest::newRow("the same text") << QStringList{QStringLiteral("Text1")};
        QTest::newRow("a new text") << QStringList{QStringLiteral("10:00:00")};
        QTest::newRow("one second, then the same again") << QStringList{
            QStringLiteral("10:00:00"), QStringLiteral("10:00:00"), QStringLiteral("10:00:01")};
        QTest::newRow("away and back") << QStringList{QStringLiteral("a"), QStringLiteral("Text1")};
        QTest::newRow("emptied twice") << QStringList{QString(), QStringLiteral("")};
        const QString longest(32767, QLatin1Char('x'));
        QTest::newRow("longer than a line edit holds, cut to the same text")
            << QStringList{longest + QStringLiteral("y"), longest + QStringLiteral("z"), longest};
    }

    void changesAsALineEditReportsThem() {
        QFETCH(QStringList, texts);
        QWidget window;
        TextBox lineEdit(&window, QStringLiteral("Text1"));
        LazyTextBox hidden(&window, QStringLiteral("Text1"));
        hidden.hide();
        LazyTextBox shown(&window, QStringLiteral("Text1"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy lineEditChanges(&lineEdit, &TextBox::Change);
        QSignalSpy hiddenChanges(&hidden, &LazyTextBox::Change);
        QSignalSpy shownChanges(&shown, &LazyTextBox::Change);
        for (const QString& text : texts) {
            lineEdit.setText(text);
            hidden.setText(text);
            shown.setText(text);
            QCOMPARE(hiddenChanges.count(), lineEditChanges.count());
            QCOMPARE(shownChanges.count(), lineEditChanges.count());
            QCOMPARE(hidden.text(), lineEdit.text());
            QCOMPARE(shown.text(), lineEdit.text());
        }
        // Shown at last, the hidden box's line edit starts from what the box held, without a change.
        hidden.show();
        QCOMPARE(hidden.editor().text(), lineEdit.text());
        QCOMPARE(hiddenChanges.count(), lineEditChanges.count());
    }

    void shownItIsALineEditThatFillsTheBox() {
        QWidget window;
        LazyTextBox box(&window, QStringLiteral("30"));
        box.setGeometry(10, 20, 77, 39);
        QFont font = box.font();
        font.setPointSize(20);
        box.setFont(font);
        box.hide();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        box.show();

        TextBox& editor = box.editor();
        QCOMPARE(editor.parentWidget(), &box);
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.geometry(), QRect(0, 0, 77, 39));
        QCOMPARE(editor.font(), font);
        QCOMPARE(editor.text(), QStringLiteral("30"));
        box.resize(90, 40);
        QCOMPARE(editor.geometry(), QRect(0, 0, 90, 40));

        // Typing goes to the line edit, through the box's focus, and the box reports it.
        QSignalSpy changes(&box, &LazyTextBox::Change);
        window.activateWindow();
        box.setFocus();
        QCOMPARE(window.focusWidget(), &editor);
        QTest::keyClick(&editor, Qt::Key_5);
        QCOMPARE(box.text(), QStringLiteral("305"));
        QCOMPARE(changes.count(), 1);
    }

    void measuredItIsMeasuredAsALineEdit() {
        QWidget window;
        TextBox lineEdit(&window, QStringLiteral("Text1"));
        LazyTextBox box(&window, QStringLiteral("Text1"));
        box.hide();
        QCOMPARE(box.sizeHint(), lineEdit.sizeHint());
        QCOMPARE(box.minimumSizeHint(), lineEdit.minimumSizeHint());
        QCOMPARE(box.editor().text(), QStringLiteral("Text1"));
        QVERIFY(box.isHidden());
    }
};

QTEST_MAIN(TestTextBox)
#include "tst_text_box.moc"
