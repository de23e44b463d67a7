#pragma once

// The tool's window for a test: started as main() starts it, with its controls found by name.

#include "form1.h"

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

    std::unique_ptr<Form1> form;
};
