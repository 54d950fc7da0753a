#include "PdfPages.h"

#include "paper/ReportDrawing.h"

#include <QPainter>
#include <QPrinter>

void SetUpPdf(QPrinter& printer, const QString& file) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
}

void WritePagesOfOneLine(int pages, const QString& file) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(printer, file);
    QPainter painter(&printer);
    painter.setFont(QFont(kReportFontFamily, 18));
    for (int page = 0; page < pages; ++page) {
        if (page > 0) printer.newPage();
        painter.drawText(QPointF(100, 400), QStringLiteral("ページ %1").arg(page + 1));
    }
}
