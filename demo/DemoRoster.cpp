#include "MakeDemo.h"

#include <QDate>

#include <array>

namespace {
struct DemoStudent {
    int id;
    int grade; // 0 and below kindergarten, 1..6 primary, 7..9 lower secondary
    const char16_t* name;
    int status = 0;
};

// A classroom of every year from kindergarten to the third year of lower
// secondary school. Student 17 has left (status 1, never listed), student 23 is
// on leave (status 2, listed only when the common data switch says so), and
// 40 is the teacher, recognised by "先生" in the name.
const std::array<DemoStudent, 39> kStudents = {{
    {1, 3, u"佐藤　陽菜"},    {2, 1, u"鈴木　蓮"},       {3, 5, u"高橋　結衣"},
    {4, 7, u"田中　大翔"},    {5, 2, u"伊藤　さくら"},   {6, 0, u"渡辺　湊"},
    {7, 4, u"山本　葵"},      {8, 8, u"中村　悠真"},     {9, 6, u"小林　凛"},
    {10, 9, u"加藤　陽斗"},   {11, -1, u"吉田　ひまり"}, {12, 3, u"山田　樹"},
    {13, 1, u"佐々木　芽依"}, {14, 5, u"山口　颯太"},    {15, 2, u"松本　心愛"},
    {16, 7, u"井上　蒼"},     {17, 4, u"木村　結菜", 1}, {18, 8, u"林　朝陽"},
    {19, 6, u"斎藤　美桜"},   {20, 9, u"清水　律"},      {21, 0, u"山崎　莉子"},
    {22, 3, u"森　大和"},     {23, 4, u"池田　杏", 2},   {24, 5, u"橋本　陸"},
    {25, 1, u"阿部　紬"},     {26, 2, u"石川　悠人"},    {27, 8, u"山下　彩花"},
    {28, 6, u"中島　奏太"},   {29, 7, u"石井　美咲"},    {30, 4, u"小川　健太"},
    {31, 0, u"前田　ゆい"},   {32, 3, u"岡田　拓海"},    {33, 1, u"長谷川　花"},
    {34, 5, u"藤田　優奈"},   {35, 2, u"後藤　翼"},      {36, 9, u"近藤　真央"},
    {37, -1, u"村上　瑛太"},  {38, 6, u"遠藤　ほのか"},  {39, 8, u"青木　蒼真"},
}};
const DemoStudent kTeacher = {40, 0, u"山口先生"};
constexpr int kTeacherBirthYear = 1980;
constexpr int kSchoolYearStartMonth = 4;
} // namespace

void LayOutDemoRoster(const QString& root) {
    // Birth years follow the current school year, so the grades stay as listed.
    const QDate today = QDate::currentDate();
    const int schoolYear = today.month() < kSchoolYearStartMonth ? today.year() - 1 : today.year();
    QString roster;
    for (const DemoStudent& s : kStudents)
        roster += QStringLiteral("%1,%2,0,0,%3,%4,,\n")
                      .arg(s.id)
                      .arg(schoolYear - 6 - s.grade)
                      .arg(QString::fromUtf16(s.name))
                      .arg(s.status);
    roster += QStringLiteral("%1,%2,0,0,%3,0,,\n")
                  .arg(kTeacher.id)
                  .arg(kTeacherBirthYear)
                  .arg(QString::fromUtf16(kTeacher.name));
    WriteDemoTextOnce(root + QStringLiteral("data/新名簿.txt"), roster);
}
