#include "portselector.h"

#include "portmap.h"
#include "portnames.h"

void PortSelector::fill()
{
    for (int n = FirstPortNumber; n <= LastPortNumber; ++n)
        addItem(PortName(n));
}

int PortSelector::port() const
{
    return PortNumberFromText(text());
}

void PortSelector::showPopup()
{
    for (int n = FirstPortNumber; n <= LastPortNumber; ++n) {
        const PortDevice described = DescribePort(n);
        QString tip = described.device;
        if (!described.present)
            tip = QStringLiteral("Nothing connected: %1 is not there").arg(described.device);
        else if (!described.characterDevice)
            tip = QStringLiteral("Nothing connected: %1 is no serial device").arg(described.device);
        setItemData(n - FirstPortNumber, tip, Qt::ToolTipRole);
    }
    DropDownBox::showPopup();
}
