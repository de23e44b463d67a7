#pragma once

// What the print service (CUPS) says about a queue and about the job just handed to it. Qt's
// CUPS printing asks it neither: it hands the sheet to a stopped queue, where the job waits until
// someone starts the queue again, and QPainter::end() succeeds even when the scheduler refused
// the job or the queue is gone.

#include <QString>

// Why the queue that QPrinter names printerName ("queue" or "queue/instance") cannot print now,
// or an empty text when it can.
QString CupsQueueProblem(const QString &printerName);

// Why the scheduler refused the last job that this thread handed to it, or an empty text when it
// took it. Meaningful right after Qt's CUPS print engine has ended a document.
QString CupsJobProblem();
