#pragma once
// Why an answer was wrong, decided from the problem's kind, its labelled
// length and the keys as the input display showed them; and the one line the
// drill shows under the expected answer to tell the student.

#include "core/Attempt.h"
#include "drill/ProblemGenerator.h"

#include <QString>

// The number the formula needs: the diameter for kind 1, twice the radius
// for kind 2, the radius for kind 3, half the diameter for kind 4.
int NeededNumber(ProblemKind kind, int v);

// The class of an answer: None when it is the expected one; otherwise, in
// this order, 直径と半径 (the kind's own formula with another of the three
// key numbers), 円周と面積 (the other formula with a key number), 順番 (the
// right keys in another order), 途中 (a start of the right answer), その他.
MistakeClass ClassifyMistake(ProblemKind kind, int v, const QString& keys);

// The answered problem as the attempt log keeps it.
Attempt AnsweredAttempt(int problem, ProblemKind kind, int v, const QString& keys, double shownAt,
                        double answeredAt);
// The problem left on screen when the time ran out: nothing entered.
Attempt TimedOutAttempt(int problem, ProblemKind kind, int v, double shownAt, double endedAt);

// One short line in a child's words that names the mistake
// ("3.14 は さいごに かけます。"); empty for a correct answer or a time-out.
QString CorrectionLine(ProblemKind kind, int v, MistakeClass mistake);
