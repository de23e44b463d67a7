// The window on a real X server, with input going through the server as a keyboard and a mouse
// deliver it: a held key is one key-up and one click, and the wheel changes only a box that
// already has the focus. Counts what reached the window, not only what it shows at the end. And
// the program, started as a user starts it, shows its window there.

#include "linefixtures.h"
#include "windowfixture.h"

#include <QProcess>
#include <QSignalSpy>

namespace {

// Input through the X server's XTest extension, as a keyboard and a mouse deliver it: the server
// repeats a held key and routes the events, not the test.
bool xdotool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

// The key events that reach a control, repeats or not.
struct KeyCounter : QObject
{
    int presses = 0, releases = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        presses += event->type() == QEvent::KeyPress;
        releases += event->type() == QEvent::KeyRelease;
        return false;
    }
};

} // namespace

class DesktopTest : public QObject, WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), "xcb"); }
    void init()
    {
        QVERIFY(openWindow());
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }

    // A digit held in the code box, its text selected, comes up once as one keyUp; Enter held on
    // the step-up button, once as one click.
    void heldKeyComesUpOnce_data()
    {
        QTest::addColumn<QString>("name"); // the control's
        QTest::addColumn<QString>("key");  // as xdotool names it
        QTest::newRow("digit in the code box") << "Text2" << "6";
        QTest::newRow("enter on the step-up button") << "Command4" << "Return";
    }
    void heldKeyComesUpOnce()
    {
        QFETCH(QString, name);
        QFETCH(QString, key);
        QWidget *target = control(name);
        target->setFocus();
        auto *box = qobject_cast<QLineEdit *>(target);
        if (box)
            box->selectAll();
        QSignalSpy spy(target, box ? SIGNAL(keyUp(int)) : SIGNAL(clicked()));
        KeyCounter keys;
        target->installEventFilter(&keys);

        QVERIFY(xdotool({"keydown", key}));
        RunEventLoop(1500);
        QVERIFY(xdotool({"keyup", key}));
        RunEventLoop(200);

        QVERIFY2(keys.presses > 5, "the server did not repeat the held key");
        // One release, the real one at the end, and one signal.
        QCOMPARE(std::pair(keys.releases, int(spy.count())), std::pair(1, 1));
        QCOMPARE(codeBox()->text(), box ? "29524" : "29525");
    }

    // The program itself shows its window on the display it is given.
    void programShowsItsWindow()
    {
        QProcess program;
        program.start(K5_APP_PATH);
        const QStringList search = {"search", "--onlyvisible", "--pid",
                                    QString::number(program.processId())};
        const bool shown = QTest::qWaitFor([&] { return xdotool(search); }, PatienceMs);
        program.kill();
        program.waitForFinished();
        QVERIFY(shown);
    }

    // The wheel over a switch box changes nothing until a click has given the box the focus; then
    // it changes the box as a pick would, without opening its list.
    void wheel()
    {
        DropDownBox *target = switchBox(2);
        resetButton()->setFocus();
        const QString before = target->text();
        const QPoint at = target->mapToGlobal(target->lineEdit()->geometry().center());
        QVERIFY(xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())}));
        QVERIFY(xdotool({"click", "5"})); // one notch of the wheel towards the user
        RunEventLoop(200);
        QCOMPARE(std::pair(target->hasFocus(), target->text()), std::pair(false, before));
        QVERIFY(xdotool({"click", "1"}));
        QTRY_VERIFY(target->hasFocus());
        QVERIFY(xdotool({"click", "5"}));
        RunEventLoop(200);
        QCOMPARE(std::pair(target->text() != before, target->view()->isVisible()),
                 std::pair(true, false));
        QCOMPARE(switches(), switchesOf(codeBox()->text().toInt()));
    }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
