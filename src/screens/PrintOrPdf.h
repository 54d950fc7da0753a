#pragma once
// Where a teacher's pages go: the printer chosen in the system's dialog or,
// on a machine without an installed printer, a PDF file in the home folder,
// named by the time so an earlier one stays.

#include <QString>

#include <functional>
#include <optional>

class QPrinter;
class QWidget;

struct PdfWritten {
    QString path; // in the system's separators, to tell the teacher
    bool written = false;
};

// Prints A4 portrait pages through print. Without a printer they go into
// pdfName in the home folder, and the file is returned to be told; nothing
// is returned when they went to a printer or the dialog was cancelled.
std::optional<PdfWritten> PrintOrWritePdf(QWidget* parent, const QString& pdfName,
                                          const std::function<bool(QPrinter&)>& print);
