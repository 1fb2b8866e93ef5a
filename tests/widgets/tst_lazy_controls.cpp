#include "support.h"

#include "app/controls.h"

#include <QSignalSpy>
#include <QTest>

// Controls that put off their costly parts until they are needed must behave as if they had them from
// the start: a text box that builds its line edit only when shown or measured, and an image control that
// reads its picture only when it is drawn or asked for.
class TestLazyControls final : public QObject {
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

    // The last picture given wins, whether a file not read yet or a picture.
    void pictureFileAsIfReadAtOnce_data() {
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<QStringList>("given"); // a file name, or "picture:" and a file read at once
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QSize>("size");
        const QString green = QStringLiteral(":/digits/green_0.jpg");       // 63 x 109
        const QString colon = QStringLiteral(":/digits/magenta_colon.jpg"); // 22 x 63
        const QString picture = QStringLiteral("picture:");
        QTest::newRow("a file at its natural size") << false << QStringList{green} << green << QSize(63, 109);
        QTest::newRow("a stretched file keeps the box")
            << true << QStringList{green} << green << QSize(20, 30);
        QTest::newRow("a picture after a file not read")
            << false << QStringList{green, picture + colon} << colon << QSize(22, 63);
        QTest::newRow("a file after a picture")
            << false << QStringList{picture + colon, green} << green << QSize(63, 109);
        QTest::newRow("a file after a file") << false << QStringList{colon, green} << green << QSize(63, 109);
    }

    void pictureFileAsIfReadAtOnce() {
        QFETCH(bool, stretch);
        QFETCH(QStringList, given);
        QFETCH(QString, shown);
        QFETCH(QSize, size);
        QWidget window;
        ImageControl image(&window, stretch);
        image.resize(20, 30);
        for (const QString& name : given) {
            if (name.startsWith(QStringLiteral("picture:")))
                image.setPicture(QPixmap(name.mid(8)));
            else
                image.setPictureFile(name);
        }
        QCOMPARE(image.size(), size);
        QCOMPARE(image.picture().toImage(), QPixmap(shown).toImage());
        // Drawn as the picture itself would be.
        ImageControl direct(&window, stretch);
        direct.resize(20, 30);
        direct.setPicture(QPixmap(shown));
        QCOMPARE(rendered(image), rendered(direct));
    }
};

QTEST_MAIN(TestLazyControls)
#include "tst_lazy_controls.moc"
