#pragma once

// The port selector: COM1 to COM16, COM1 chosen at the start. Each entry's tooltip says which
// device its port stands for, or that nothing is connected there; ports come and go with their
// adapters, so the entries are told afresh each time the list opens.

#include "dropdownbox.h"

class PortSelector : public DropDownBox
{
    Q_OBJECT

public:
    explicit PortSelector(QWidget *parent = nullptr);

    // The port chosen; COM1 for a text that names none.
    int port() const;

    void showPopup() override;

private:
    void describePorts();
};
