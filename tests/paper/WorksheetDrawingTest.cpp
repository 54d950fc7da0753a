// Worksheets as printed: the PDF read back with pdftotext.

#include "PdfTools.h"
#include "TestDoubles.h"

#include "paper/WorksheetDrawing.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// r that makes Int(r × n + 1) come out as k.
double Pick(int k, int n) {
    return (k - 0.5) / n;
}

CircleProblem ProblemOf(ProblemKind kind, int v) {
    ScriptedRandom random;
    random.script.push_back(Pick(v / 2, 5));
    return MakeProblemOfKind(kind, std::nullopt, random);
}

QStringList PrintedPages(const Worksheet& sheet, const WorksheetSettings& settings,
                         const QString& pdf) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    EXPECT_TRUE(PrintWorksheets(printer, {sheet}, settings));
    QStringList pages =
        QString::fromUtf8(RunPdfTool(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-layout"), pdf, QStringLiteral("-")}))
            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

// The line of the page that holds the text, blanks at its ends dropped.
QString LineWith(const QString& page, const QString& text) {
    for (const QString& line : page.split(QLatin1Char('\n')))
        if (line.contains(text)) return line.trimmed();
    return QString();
}
} // namespace

TEST(WorksheetDrawing, TheKeyGivesEachKindsFormulaAndValue) {
    const struct {
        ProblemKind kind;
        int v;
        const char16_t* key;
    } cases[] = {
        {ProblemKind::CircumferenceFromDiameter, 10, u"10×3.14 = 31.4 cm"},
        {ProblemKind::CircumferenceFromDiameter, 6, u"6×3.14 = 18.84 cm"},
        {ProblemKind::CircumferenceFromRadius, 2, u"4×3.14 = 12.56 cm"},
        {ProblemKind::CircumferenceFromRadius, 10, u"20×3.14 = 62.8 cm"},
        {ProblemKind::AreaFromRadius, 4, u"4×4×3.14 = 50.24 cm²"},
        {ProblemKind::AreaFromRadius, 10, u"10×10×3.14 = 314 cm²"},
        {ProblemKind::AreaFromDiameter, 6, u"3×3×3.14 = 28.26 cm²"},
        {ProblemKind::AreaFromDiameter, 2, u"1×1×3.14 = 3.14 cm²"},
        {ProblemKind::AreaFromDiameter, 10, u"5×5×3.14 = 78.5 cm²"},
    };
    Worksheet sheet;
    sheet.heading = {QStringLiteral("さくら教室"), {}, QStringLiteral("令和8年 12月 09日（水）")};
    for (const auto& c : cases)
        sheet.problems.push_back(ProblemOf(c.kind, c.v));
    WorksheetSettings settings;
    settings.kinds = {ProblemKind::CircumferenceFromDiameter};
    settings.count = int(sheet.problems.size());
    settings.values = true;
    settings.seed = 48213;

    const QTemporaryDir dir;
    const QStringList pages = PrintedPages(sheet, settings, dir.filePath(QStringLiteral("k.pdf")));
    // Six problems a page, then the key.
    ASSERT_EQ(pages.size(), 3);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const QString key = QString::fromUtf16(cases[i].key);
        SCOPED_TRACE(key.toStdString());
        const QString line = LineWith(pages[2], key);
        EXPECT_TRUE(line.startsWith(QStringLiteral("(%1)").arg(i + 1))) << line.toStdString();
        // The figure's label on the problem's page.
        EXPECT_TRUE(pages[int(i) / 6].contains(LengthLabel(cases[i].v)));
    }
    for (const QString& page : pages)
        EXPECT_TRUE(page.contains(QStringLiteral("No. 48213 / 種類 1 / 9 問 / 値も")));
}

TEST(WorksheetDrawing, WithoutValuesTheKeyGivesTheFormulaAlone) {
    Worksheet sheet;
    sheet.problems = {ProblemOf(ProblemKind::AreaFromRadius, 8)};
    WorksheetSettings settings;
    settings.levels = {4};
    settings.count = 1;
    const QTemporaryDir dir;
    const QStringList pages = PrintedPages(sheet, settings, dir.filePath(QStringLiteral("f.pdf")));
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(LineWith(pages[1], QStringLiteral("(1)")).endsWith(QStringLiteral("8×8×3.14")));
    EXPECT_FALSE(pages[1].contains(QStringLiteral("200.96")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("8×8×3.14"))) << "the answer on the sheet";
}
