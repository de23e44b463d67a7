#include "applicationnames.h"
#include "form1.h"
#include "windowoptions.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    SetApplicationNames();
    if (const std::optional<int> status = AnswerOptions(arguments))
        return *status;

    std::optional<DisplayGuard> guard(std::in_place);
    QApplication app(argc, argv);
    guard.reset();

    Form1 form;
    form.showCentred();
    return QApplication::exec();
}
