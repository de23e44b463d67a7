#pragma once

// The tool's window for a test: started as main() starts it, with its controls found by name.

#include "dropdownbox.h"
#include "form1.h"
#include "switchcode.h"

#include <QTest>

#include <memory>

class WindowFixture
{
protected:
    // Starts a new window; false when it did not come up.
    bool openWindow()
    {
        form = std::make_unique<Form1>();
        form->showCentred();
        return QTest::qWaitForWindowExposed(form.get());
    }
    void closeWindow() { form.reset(); }

    template <typename T = QWidget> T *control(const QString &name) const
    {
        auto *w = form->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }

    // The switch boxes' texts, switch 1 first, separated by blanks.
    QString switches() const
    {
        QStringList texts;
        for (int i = 1; i <= 10; ++i)
            texts << form->Combo2(i)->text();
        return texts.join(u' ');
    }
    // What switches() shows for a code.
    static QString switchesOf(int code)
    {
        QStringList texts;
        for (SwitchPosition p : PositionsFromCode(code))
            texts << TextFromPosition(p);
        return texts.join(u' ');
    }

    std::unique_ptr<Form1> form;
};
