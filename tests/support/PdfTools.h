#pragma once
// Reads a printed PDF back with poppler's command-line tools (pdftotext,
// pdfinfo, pdftoppm).

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs the tool and returns its standard output; a tool that cannot start or
// ends with a status other than 0 fails the calling test. Under Wine the tools
// are the Linux ones, given the files' Unix paths.
QByteArray RunPdfTool(const QString& tool, const QStringList& arguments);
