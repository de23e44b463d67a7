// A second instance of the tool for the tests: starts the window, picks the port named on the
// command line, clicks Read, and prints the status text once the exchange has ended.

#include "dropdownbox.h"
#include "form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    Form1 form;
    form.showCentred();
    form.findChild<DropDownBox *>(QStringLiteral("Combo1"))->setText(QString::fromLatin1(argv[1]));
    QTest::mouseClick(form.findChild<QAbstractButton *>(QStringLiteral("Command1")),
                      Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return !form.busy(); }, 5000))
        return 1;
    std::printf("%s\n", qPrintable(form.findChild<QLineEdit *>(QStringLiteral("Text1"))->text()));
    return 0;
}
