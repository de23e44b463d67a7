// The start-up's two programs: the tool's window started as the tool's main() starts it, or,
// built with K5_BARE_FORM, the bare form. Once the window's first frame is painted, the program
// prints "shown <peak resident KiB>" and ends; the benchmark times it from its start to that line.

#include "applicationnames.h"
#include "bench.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>

#ifdef K5_BARE_FORM
#include "formlooks.h"
#include "ui_form1.h"

#include <QComboBox>

// The tool's form with nothing of the tool's own: form1.ui with Qt's classes, the switch boxes,
// the fonts and colours.
struct Window : QWidget
{
    Window()
    {
        ui.setupUi(this);
        FormLooks::SwitchBoxes boxes{};
        for (QComboBox *&box : boxes)
            box = new QComboBox(this);
        FormLooks::placeSwitchBoxes(ui, boxes);
        FormLooks::apply(*this, ui, boxes);
    }
    void showCentred() { show(); }

    Ui::Form1 ui;
};
#else
#include "form1.h"

using Window = Form1;
#endif

namespace {

// The report, once the first frame is out. The benchmark's count of instructions under callgrind
// ends where this function is entered (--dump-before), before the report and the program's end.
// The peak is read from /proc rather than from getrusage(), whose ru_maxrss would also count what
// the process held before its exec.
[[gnu::noinline]] void ReportFirstFrame()
{
    std::printf("shown %.0f\n", FileField("/proc/self/status", "VmHWM"));
    std::fflush(stdout);
    QCoreApplication::quit();
}

// The window's paint comes first in a pass that paints its children and flushes the frame; the
// report waits until that pass is over.
struct FirstFrame : QObject
{
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, ReportFirstFrame);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SetApplicationNames();

    Window window;
    FirstFrame frame;
    window.installEventFilter(&frame);
    window.showCentred();
    return QApplication::exec();
}
