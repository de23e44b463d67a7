#include "applicationnames.h"
#include "form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SetApplicationNames();

    Form1 form;
    form.showCentred();
    return QApplication::exec();
}
