#pragma once

// The tool's window for a test: started as main() starts it, with its controls found by their
// object names in the form and called by their roles.

#include "dropdownbox.h"
#include "form1.h"
#include "switchcode.h"
#include "transmitterlink.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

class WindowFixture
{
protected:
    // Starts a new window in place of the one before, on link when given; false when it did not
    // come up.
    bool openWindow(TransmitterLink *link = nullptr)
    {
        form.reset();
        form = std::make_unique<Form1>(nullptr, link);
        form->showCentred();
        return QTest::qWaitForWindowExposed(form.get());
    }

    template <typename T = QWidget> T *control(const QString &name) const
    {
        auto *w = form->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }

    QLineEdit *statusBox() const { return control<QLineEdit>("Text1"); }
    QLineEdit *codeBox() const { return control<QLineEdit>("Text2"); }
    QLineEdit *counterBox() const { return control<QLineEdit>("Text3"); }
    QCheckBox *functionCheck() const { return control<QCheckBox>("Check1"); }
    DropDownBox *portSelector() const { return control<DropDownBox>("Combo1"); }
    DropDownBox *switchBox(int i) const
    {
        return control<DropDownBox>(QStringLiteral("Combo2(%1)").arg(i));
    }
    QAbstractButton *readButton() const { return control<QAbstractButton>("Command1"); }
    QAbstractButton *printButton() const { return control<QAbstractButton>("Command3"); }
    QAbstractButton *stepUpButton() const { return control<QAbstractButton>("Command4"); }
    QAbstractButton *writeButton() const { return control<QAbstractButton>("Command6"); }
    QAbstractButton *resetButton() const { return control<QAbstractButton>("Command7"); }
    QAbstractButton *versionButton() const { return control<QAbstractButton>("Command8"); }

    static void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton); }
    // Opens the box's list and clicks its entry with the mouse.
    static void pick(DropDownBox *box, int entry)
    {
        box->showPopup();
        QAbstractItemView *view = box->view();
        QTRY_VERIFY(view->isVisible());
        const QModelIndex index = view->model()->index(entry, 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        QTRY_VERIFY(!view->isVisible());
    }

    // The switch boxes' texts, switch 1 first, separated by blanks.
    QString switches() const
    {
        QStringList texts;
        for (int i = 1; i <= SwitchCount; ++i)
            texts << switchBox(i)->text();
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
