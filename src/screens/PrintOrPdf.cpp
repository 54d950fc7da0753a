#include "screens/PrintOrPdf.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

std::optional<PdfWritten> PrintOrWritePdf(QWidget* parent, const QString& pdfName,
                                          const std::function<bool(QPrinter&)>& print) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        const QString file = QDir::home().filePath(pdfName);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        const bool written = print(printer) && QFileInfo(file).size() > 0;
        return PdfWritten{QDir::toNativeSeparators(file), written};
    }
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() == QDialog::Accepted) print(printer);
    return std::nullopt;
}
