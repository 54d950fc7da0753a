#pragma once
// What the printed benchmarks share: an A4 PDF printer, and their floor of
// drawing as many pages with one line of text each.

#include <QString>

class QPrinter;

void SetUpPdf(QPrinter& printer, const QString& file);
void WritePagesOfOneLine(int pages, const QString& file);
