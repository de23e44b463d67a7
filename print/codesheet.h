#pragma once

// The printed code sheet: seven lines at 16 points that record the current code as the ten
// switch texts and as the code box's text, both taken exactly as they stand.

#include "printtarget.h"

#include <QString>
#include <QStringList>

inline constexpr int CodeSheetFontPoints = 16;

enum class PrintOutcome { Printed, Failed };

// The sheet's lines, top to bottom: three empty lines, "DIP-switch 1-10", the switch texts in
// order joined by two spaces, an empty line, "DIP-switch code: " and the code text.
QStringList CodeSheetLines(const QStringList &switchTexts, const QString &codeText);

// Shows the print dialog and prints the sheet on the target, step by step. The first failing
// step, Cancel in the dialog included, ends the procedure; a document already begun is then
// abandoned, never ended.
PrintOutcome PrintCodeSheet(PrintTarget &target, const QStringList &switchTexts,
                            const QString &codeText);
