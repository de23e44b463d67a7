#pragma once

// What printing a code sheet needs of the platform: a print dialog and a printer that prints
// lines of text. Every step reports whether it worked, so that the procedure can stop at the
// first failure. Tests put a scripted target in the place of the real one.

#include <QString>

class PrintTarget
{
public:
    virtual ~PrintTarget() = default;

    // Shows the modal print dialog, with all of its optional features off. Cancel is a failure.
    virtual bool showDialog() = 0;
    // Font size, in points, of the lines printed from now on.
    virtual bool setFontSize(int points) = 0;
    // Prints text on the current line and moves to the next; an empty text gives an empty line.
    virtual bool printLine(const QString &text) = 0;
    // Ends the document, which hands the page to the printer.
    virtual bool endDocument() = 0;
    // Drops the document after a failed step, so that nothing of it reaches the printer.
    virtual bool abandonDocument() = 0;

protected:
    PrintTarget() = default;
    PrintTarget(const PrintTarget &) = default;
    PrintTarget &operator=(const PrintTarget &) = default;
};
