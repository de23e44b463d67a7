#pragma once

// The port selector: COM1 to COM16, COM1 chosen once filled. Each entry's tooltip says which
// device its port stands for, or that nothing is connected there; ports come and go with their
// adapters, so the entries are told afresh each time the list opens.

#include "dropdownbox.h"

class PortSelector : public DropDownBox
{
    Q_OBJECT

public:
    using DropDownBox::DropDownBox;

    // Adds the ports, COM1 chosen. Once the window's looks are set: a box measures each of its
    // entries again at every change of its font.
    void fill();

    // The port chosen; COM1 for a text that names none.
    int port() const;

    void showPopup() override;
};
