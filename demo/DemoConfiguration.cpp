#include "MakeDemo.h"

#include "core/Configuration.h"
#include "records/Criteria.h"

namespace {
// The common folder "data\" sits beside the program folder; the other nine
// values are spares every path data file carries.
const QString kPathData = QStringLiteral("data\\\n0\n0\n0\n0\n0\n0\n0\n0\n0\n");

// School year from April, classroom 01234 さくら教室, only current students
// listed, the data-change password "sensei".
const QString kCommonData = QStringLiteral("4\n01234さくら教室\n0\n0\n0\nsensei\n0\n0\n0\n0\n");

// Later levels carry harder problems: more time, and a higher point rate so
// that the points to clear them come as readily. Over-practice is judged per
// day, the pass over the last 30 days.
const QString kCriteriaLevels = QStringLiteral("30,60,50,5,1,15,150,30,1,,,\n"
                                               "35,70,50,5,1.2,15,180,30,1,,,\n"
                                               "40,80,60,5,1.4,15,210,30,1,,,\n"
                                               "45,90,60,5,1.5,15,225,30,1,,,\n"
                                               "50,100,70,6,1.6,15,240,30,1,,,\n"
                                               "55,110,70,6,1.8,15,270,30,1,,,\n"
                                               "60,120,80,6,2,15,300,30,1,,,\n");
} // namespace

void LayOutDemoConfiguration(const QString& root) {
    WriteDemoTextOnce(root + kPathDataFileName, kPathData);
    WriteDemoTextOnce(root + QStringLiteral("data/") + kCommonDataFileName, kCommonData);
    WriteDemoTextOnce(root + QStringLiteral("data/circle/") + kCriteriaFileName,
                      CriteriaHeadings().join(QLatin1Char(',')) + QLatin1Char('\n') +
                          kCriteriaLevels);
}
