#include "form1.h"

#include "codesheet.h"
#include "dropdownbox.h"
#include "k5assets.h"
#include "linkhandlers.h"
#include "qtprinttarget.h"
#include "switchpanel.h"
#include "ui_form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPrinter>
#include <QScreen>

namespace {

constexpr auto windowFamily = "Arial"; // Liberation Sans stands in for it on Linux

QFont windowFont(qreal pointSize, bool bold)
{
    QFont font(QString::fromLatin1(windowFamily));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

Form1::Form1(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::Form1>())
{
    ui->setupUi(this);
    buildSwitchBoxes();
    applyLooks();

    SwitchPanelControls controls;
    controls.Combo2 = m_combo2;
    controls.Text2 = ui->Text2;
    controls.Check1 = ui->Check1;
    controls.Command4 = ui->Command4;
    controls.Command5 = ui->Command5;
    controls.Label15 = ui->Label15;
    controls.Label16 = ui->Label16;
    controls.Label17 = ui->Label17;
    m_panel = std::make_unique<SwitchPanel>(controls);

    LinkControls link;
    link.Text1 = ui->Text1;
    link.Text2 = ui->Text2;
    link.Text3 = ui->Text3;
    link.Check1 = ui->Check1;
    link.Combo1 = ui->Combo1;
    link.panel = m_panel.get();
    link.Command1 = ui->Command1;
    link.Command6 = ui->Command6;
    link.Command8 = ui->Command8;
    m_link = std::make_unique<LinkHandlers>(link);

    connect(ui->Command3, &QAbstractButton::clicked, this, &Form1::Command3_Click);

    connect(ui->Command2, &QAbstractButton::clicked, this, &Form1::endProgram);
    connect(ui->Command7, &QAbstractButton::clicked, this,
            [this] { ui->Text3->setText(QStringLiteral("0")); });
    connect(ui->Command7, &PictureButton::keyUp, this, &Form1::Command7_KeyUp);
    // Tied to the box rather than the window: the box loses the focus while the window is being
    // destroyed, when the window's own parts are already gone.
    DropDownBox *ports = ui->Combo1;
    connect(ports, &DropDownBox::keyDown, ports, [ports] { ports->setLocked(true); });
    connect(ports, &DropDownBox::keyUp, ports, [ports] { ports->setLocked(false); });
    connect(ports, &DropDownBox::focusLost, ports, [ports] { ports->setLocked(false); });

    startUp();
}

Form1::~Form1() = default;

void Form1::buildSwitchBoxes()
{
    // The switch boxes stand in one row under their number labels, 40 pixels apart.
    for (int i = 1; i <= 10; ++i) {
        auto *box = new DropDownBox(this);
        box->setObjectName(QStringLiteral("Combo2(%1)").arg(i));
        box->setAccessibleName(QStringLiteral("DIP-switch %1").arg(i));
        box->setGeometry(40 * i, 232, 37, 24);
        m_combo2[i - 1] = box;
    }

    // Focus order: Command1, Command3, Command6, Command2, the ten switch boxes, Text2, Check1,
    // Text1, Combo1, Command4, Command5, Text3, Command7, Command8.
    QWidget *previous = ui->Command2;
    for (DropDownBox *box : m_combo2) {
        setTabOrder(previous, box);
        previous = box;
    }
    setTabOrder(previous, ui->Text2);
}

void Form1::applyLooks()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(481, 500);
    setWindowIcon(K5Assets::windowIcon());
    setFont(windowFont(9, false));

    // The background is drawn at the control's size, so it is shown as it stands, unscaled, in
    // the rendering for the pixel ratio of the window's screen.
    K5Assets::showPicture(ui->Image1, K5Assets::backgroundPath());

    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    // Designer keeps whole point sizes only, so the fonts are set here.
    ui->Label19->setFont(windowFont(32.25, true));
    for (QLabel *label : {ui->Label1, ui->Label2, ui->Label3, ui->Label4, ui->Label5, ui->Label6,
                          ui->Label7, ui->Label8, ui->Label9, ui->Label10, ui->Label11, ui->Label12,
                          ui->Label13, ui->Label14, ui->Label18, ui->Label20})
        label->setFont(windowFont(9.75, true));
    for (QLabel *label : {ui->Label15, ui->Label16, ui->Label17})
        label->setFont(windowFont(12, true));
    for (QWidget *box : {static_cast<QWidget *>(ui->Text1), static_cast<QWidget *>(ui->Text2),
                         static_cast<QWidget *>(ui->Text3), static_cast<QWidget *>(ui->Combo1)})
        box->setFont(windowFont(9, true));
    for (DropDownBox *box : m_combo2)
        box->setFont(windowFont(9.75, true));

    // Labels draw white text straight onto the background picture.
    for (QLabel *label : findChildren<QLabel *>()) {
        QPalette white = label->palette();
        white.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(white);
    }
    // The frame around the switch row is an outline only and never takes the mouse.
    QPalette outline = ui->Shape1->palette();
    outline.setColor(QPalette::WindowText, Qt::white);
    ui->Shape1->setPalette(outline);
    ui->Shape1->setFrameShadow(QFrame::Plain);
    ui->Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui->Image1->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Text boxes and drop-down boxes keep the system's colours, whatever the window's palette.
    const QPalette system = QApplication::palette();
    for (QWidget *box : {static_cast<QWidget *>(ui->Text1), static_cast<QWidget *>(ui->Text2),
                         static_cast<QWidget *>(ui->Text3), static_cast<QWidget *>(ui->Combo1),
                         static_cast<QWidget *>(ui->Check1)})
        box->setPalette(system);
    for (DropDownBox *box : m_combo2)
        box->setPalette(system);
}

void Form1::startUp()
{
    for (DropDownBox *box : m_combo2) {
        for (const char *entry : {"+", "0", "-"})
            box->addItem(QString::fromLatin1(entry));
        box->setText(QStringLiteral("0"));
    }
    for (int n = 1; n <= 16; ++n)
        ui->Combo1->addItem(QStringLiteral("COM%1").arg(n));
    ui->Combo1->setText(QStringLiteral("COM1"));
    m_panel->TRINARY_TO_DEC();
    ui->Text1->setText(QString::fromUtf16(VersionIdentifier));
    ui->Text3->setText(QStringLiteral("0"));
    ui->Command8->setVisible(false);
}

void Form1::showCentred()
{
    if (const QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    ui->Command1->setFocus(Qt::OtherFocusReason);
}

qint16 Form1::LinkBusy() const
{
    return m_link->LinkBusy();
}

void Form1::endProgram()
{
    // Also in the middle of an exchange: the port is released before the event loop ends.
    m_link->link().abandon();
    QCoreApplication::exit(0);
}

void Form1::Command3_Click()
{
    if (LinkBusy() == 1 || !ui->Check1->isChecked())
        return;
    QStringList switchTexts;
    for (const DropDownBox *box : m_combo2)
        switchTexts << box->text();
    QPrinter printer(QPrinter::HighResolution);
    const std::unique_ptr<PrintTarget> target =
        m_printTarget ? m_printTarget(printer) : std::make_unique<QtPrintTarget>(printer, this);
    ui->Text1->setText(PrintStatusText(PrintCodeSheet(*target, switchTexts, ui->Text2->text())));
}

void Form1::closeEvent(QCloseEvent *event)
{
    // The close is never refused, not even in the middle of an exchange.
    event->accept();
    endProgram();
}

void Form1::Command7_KeyUp(int virtualKey)
{
    if (virtualKey == VersionKey)
        ui->Command8->setVisible(!ui->Command8->isVisible());
}
