#pragma once

// What the window's form holds beyond form1.ui: the row of ten switch boxes, built in a loop, and
// the looks that Designer cannot keep (point sizes with fractions, the palettes). Templates over
// the form's generated class and the switch boxes' class, so that the same form can also be built
// from Qt's own widget classes alone, without the tool's pictures and handlers: the start-up
// benchmark holds the window against that form.

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include <array>
#include <cstddef>

namespace FormLooks {

inline QFont windowFont(qreal pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial")); // Liberation Sans stands in for it on Linux
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

// Makes the switch boxes, named Combo2(1) to Combo2(N), into boxes.
template <typename Ui, typename Box, std::size_t N>
void buildSwitchBoxes(QWidget &window, Ui &ui, std::array<Box *, N> &boxes)
{
    // The switch boxes stand in one row under their number labels, 40 pixels apart.
    for (int i = 1; i <= int(N); ++i) {
        auto *box = new Box(&window);
        box->setObjectName(QStringLiteral("Combo2(%1)").arg(i));
        box->setAccessibleName(QStringLiteral("DIP-switch %1").arg(i));
        box->setGeometry(40 * i, 232, 37, 24);
        boxes[std::size_t(i - 1)] = box;
    }

    // Focus order: Command1, Command3, Command6, Command2, the ten switch boxes, Text2, Check1,
    // Text1, Combo1, Command4, Command5, Text3, Command7, Command8.
    QWidget *previous = ui.Command2;
    for (Box *box : boxes) {
        QWidget::setTabOrder(previous, box);
        previous = box;
    }
    QWidget::setTabOrder(previous, ui.Text2);
}

// The window's frame, size, fonts and colours; the pictures are the window's own.
template <typename Ui, typename Box, std::size_t N>
void apply(QWidget &window, Ui &ui, const std::array<Box *, N> &switchBoxes)
{
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
    window.setFixedSize(481, 500);
    window.setFont(windowFont(9, false));

    QPalette black = window.palette();
    black.setColor(QPalette::Window, Qt::black);
    window.setPalette(black);
    window.setAutoFillBackground(true);

    // Designer keeps whole point sizes only, so the fonts are set here.
    ui.Label19->setFont(windowFont(32.25, true));
    for (QLabel *label : {ui.Label1, ui.Label2, ui.Label3, ui.Label4, ui.Label5, ui.Label6,
                          ui.Label7, ui.Label8, ui.Label9, ui.Label10, ui.Label11, ui.Label12,
                          ui.Label13, ui.Label14, ui.Label18, ui.Label20})
        label->setFont(windowFont(9.75, true));
    for (QLabel *label : {ui.Label15, ui.Label16, ui.Label17})
        label->setFont(windowFont(12, true));
    const std::array<QWidget *, 4> textBoxes{ui.Text1, ui.Text2, ui.Text3, ui.Combo1};
    for (QWidget *box : textBoxes)
        box->setFont(windowFont(9, true));
    for (Box *box : switchBoxes)
        box->setFont(windowFont(9.75, true));

    // Labels draw white text straight onto the background picture.
    for (QLabel *label : window.findChildren<QLabel *>()) {
        QPalette white = label->palette();
        white.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(white);
    }
    // The frame around the switch row is an outline only and never takes the mouse.
    QPalette outline = ui.Shape1->palette();
    outline.setColor(QPalette::WindowText, Qt::white);
    ui.Shape1->setPalette(outline);
    ui.Shape1->setFrameShadow(QFrame::Plain);
    ui.Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui.Image1->setAttribute(Qt::WA_TransparentForMouseEvents);
}

} // namespace FormLooks
