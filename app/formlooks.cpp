#include "formlooks.h"

#include "ui_form1.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPalette>

namespace FormLooks {

QFont windowFont(qreal pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial")); // Liberation Sans stands in for it on Linux
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void placeSwitchBoxes(Ui::Form1 &ui, const SwitchBoxes &boxes)
{
    // One row under the switch numbers, 40 pixels apart.
    QWidget *previous = ui.Command2;
    for (int i = 1; i <= SwitchBoxCount; ++i) {
        QComboBox *box = boxes.at(std::size_t(i - 1));
        box->setObjectName(QStringLiteral("Combo2(%1)").arg(i));
        box->setAccessibleName(QStringLiteral("DIP-switch %1").arg(i));
        box->setGeometry(40 * i, 232, 37, 24);
        QWidget::setTabOrder(previous, box);
        previous = box;
    }
    QWidget::setTabOrder(previous, ui.Text2);
}

void apply(QWidget &window, Ui::Form1 &ui, const SwitchBoxes &switchBoxes)
{
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
    window.setFixedSize(481, 500);
    window.setFont(windowFont(9, false));

    QPalette black = window.palette();
    black.setColor(QPalette::Window, Qt::black);
    window.setPalette(black); // a window is always filled with its palette's background

    // Designer keeps whole point sizes only.
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
    for (QComboBox *box : switchBoxes)
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
