#include "form1.h"

#include "codesheet.h"
#include "dropdownbox.h"
#include "exchangehandlers.h"
#include "k5assets.h"
#include "qtprinttarget.h"
#include "switchpanel.h"
#include "ui_form1.h"
#include "virtualkey.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPrinter>
#include <QScreen>

namespace {

constexpr auto windowFamily = "Arial"; // Liberation Sans stands in for it on Linux
// Released on the focused Reset button, it shows or hides the version button.
constexpr int versionKey = VirtualKey::LetterA + ('V' - 'A');

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

    SwitchPanelControls panel;
    panel.switchBoxes = m_switchBoxes;
    panel.codeBox = ui->Text2;
    panel.functionCheck = ui->Check1;
    panel.stepUpButton = ui->Command4;
    panel.stepDownButton = ui->Command5;
    panel.allPlusLabel = ui->Label15;
    panel.allZeroLabel = ui->Label16;
    panel.allMinusLabel = ui->Label17;
    m_panel = std::make_unique<SwitchPanel>(panel);

    ExchangeControls exchanges;
    exchanges.portSelector = ui->Combo1;
    exchanges.counterBox = ui->Text3;
    exchanges.readButton = ui->Command1;
    exchanges.writeButton = ui->Command6;
    exchanges.versionButton = ui->Command8;
    exchanges.panel = m_panel.get();
    m_exchanges = std::make_unique<ExchangeHandlers>(exchanges);

    connect(m_exchanges.get(), &ExchangeHandlers::status, this, &Form1::showStatus);
    statusBox()->setText(QString::fromUtf16(VersionIdentifier));
    versionButton()->setVisible(false);

    connect(ui->Command3, &QAbstractButton::clicked, this, &Form1::printSheet);
    connect(ui->Command2, &QAbstractButton::clicked, this, &Form1::endProgram);
    connect(ui->Command7, &QAbstractButton::clicked, m_exchanges.get(),
            &ExchangeHandlers::resetCounter);
    connect(ui->Command7, &PictureButton::keyUp, this, &Form1::toggleVersionButton);
}

Form1::~Form1() = default;

void Form1::buildSwitchBoxes()
{
    // The switch boxes stand in one row under their number labels, 40 pixels apart.
    for (int i = 1; i <= SwitchCount; ++i) {
        auto *box = new DropDownBox(this);
        box->setObjectName(QStringLiteral("Combo2(%1)").arg(i));
        box->setAccessibleName(QStringLiteral("DIP-switch %1").arg(i));
        box->setGeometry(40 * i, 232, 37, 24);
        m_switchBoxes[std::size_t(i - 1)] = box;
    }

    // Focus order: Command1, Command3, Command6, Command2, the ten switch boxes, Text2, Check1,
    // Text1, Combo1, Command4, Command5, Text3, Command7, Command8.
    QWidget *previous = ui->Command2;
    for (DropDownBox *box : m_switchBoxes) {
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
    for (DropDownBox *box : m_switchBoxes)
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
    for (DropDownBox *box : m_switchBoxes)
        box->setPalette(system);
}

void Form1::showCentred()
{
    if (const QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    ui->Command1->setFocus(Qt::OtherFocusReason); // the read button
}

QLineEdit *Form1::statusBox() const
{
    return ui->Text1;
}

void Form1::showStatus(const QString &text, const QString &detail)
{
    statusBox()->setText(text);
    // Only the outcome that the detail belongs to keeps it.
    statusBox()->setToolTip(detail);
}

QAbstractButton *Form1::versionButton() const
{
    return ui->Command8;
}

bool Form1::busy() const
{
    return m_exchanges->busy();
}

void Form1::endProgram()
{
    // Also in the middle of an exchange: the port is released before the event loop ends.
    m_exchanges->abandon();
    QCoreApplication::exit(0);
}

void Form1::printSheet()
{
    if (busy() || !m_panel->functionOn())
        return;
    QPrinter printer(QPrinter::HighResolution);
    const std::unique_ptr<PrintTarget> target =
        m_printTarget ? m_printTarget(printer) : std::make_unique<QtPrintTarget>(printer, this);
    const PrintOutcome outcome =
        PrintCodeSheet(*target, m_panel->switchTexts(), m_panel->codeText());
    showStatus(PrintStatusText(outcome));
}

void Form1::closeEvent(QCloseEvent *event)
{
    // The close is never refused, not even in the middle of an exchange.
    event->accept();
    endProgram();
}

void Form1::toggleVersionButton(int virtualKey)
{
    if (virtualKey == versionKey)
        versionButton()->setVisible(!versionButton()->isVisible());
}
