#include "form1.h"

#include "codesheet.h"
#include "exchangehandlers.h"
#include "formlooks.h"
#include "heldkeys.h"
#include "k5assets.h"
#include "portselector.h"
#include "qtprinttarget.h"
#include "statustexts.h"
#include "switchpanel.h"
#include "transmitterlink.h"
#include "ui_form1.h"
#include "virtualkey.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QPrinter>
#include <QScreen>

Q_LOGGING_CATEGORY(lcWindow, "k5.window")

namespace {

// Released on the focused Reset button, it shows or hides the version button.
constexpr int versionKey = VirtualKey::LetterA + ('V' - 'A');

} // namespace

Form1::Form1(QWidget *parent, TransmitterLink *link)
    : QWidget(parent), ui(std::make_unique<Ui::Form1>()), m_link(link ? link : new TransmitterLink)
{
    m_link->setParent(this);
    ui->setupUi(this);
    ReportHeldKeysReleasedOnce();

    m_panel = std::make_unique<SwitchPanel>(*ui);
    FormLooks::SwitchBoxes boxes{};
    std::ranges::copy(m_panel->switchBoxes(), boxes.begin());
    FormLooks::placeSwitchBoxes(*ui, boxes);
    FormLooks::apply(*this, *ui, boxes);
    m_panel->fill();
    ui->Combo1->fill();
    setWindowIcon(K5Assets::windowIcon());
    // Drawn at the control's size: shown unscaled, in the rendering for the screen's pixel ratio.
    K5Assets::showPicture(ui->Image1, K5Assets::backgroundPath());

    m_exchanges = std::make_unique<ExchangeHandlers>(*m_link, *ui->Combo1, *m_panel);
    connect(ui->Command1, &QAbstractButton::clicked, m_exchanges.get(),
            &ExchangeHandlers::readCode);
    connect(ui->Command6, &QAbstractButton::clicked, m_exchanges.get(),
            &ExchangeHandlers::writeCode);
    connect(ui->Command8, &QAbstractButton::clicked, m_exchanges.get(),
            &ExchangeHandlers::readVersion);
    connect(m_exchanges.get(), &ExchangeHandlers::status, this, &Form1::showStatus);
    connect(m_exchanges.get(), &ExchangeHandlers::writeConfirmed, this,
            [this] { showCounter(m_confirmedWrites + 1); });
    showCounter(0);
    ui->Text1->setText(StatusText::VersionIdentifier);
    ui->Command8->setVisible(false);

    connect(ui->Command3, &QAbstractButton::clicked, this, &Form1::printSheet);
    connect(ui->Command2, &QAbstractButton::clicked, this, &Form1::endProgram);
    connect(ui->Command7, &QAbstractButton::clicked, this, [this] { showCounter(0); });
    connect(ui->Command7, &PictureButton::keyUp, this, [this](int virtualKey) {
        if (virtualKey == versionKey)
            ui->Command8->setVisible(!ui->Command8->isVisible());
    });
}

void Form1::showCounter(qint64 confirmedWrites)
{
    m_confirmedWrites = confirmedWrites;
    ui->Text3->setText(QString::number(confirmedWrites));
}

Form1::~Form1() = default;

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

void Form1::showStatus(const QString &text, const QString &detail)
{
    ui->Text1->setText(text);
    qCInfo(lcWindow).noquote() << "status:" << text;
    // Only the outcome that the detail belongs to keeps it.
    ui->Text1->setToolTip(detail);
}

bool Form1::busy() const
{
    return m_link->busy();
}

void Form1::endProgram()
{
    // Also in the middle of an exchange: the port is released before the event loop ends.
    m_link->stop();
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
    showStatus(outcome == PrintOutcome::Printed ? QString() : StatusText::PrinterError);
}

void Form1::closeEvent(QCloseEvent * /*event*/)
{
    // Never refused (the event comes accepted), not even in the middle of an exchange.
    endProgram();
}
