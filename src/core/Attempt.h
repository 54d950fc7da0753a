#pragma once
// One answered problem of a drill as the drill saw it, kept in the drill state
// until the run's end writes it to the attempt log beside the results file.

#include <QString>

#include <cstdint>

// Why an answer was wrong, decided from the problem's kind, its length and the
// keys pressed (ClassifyMistake in drill/Mistakes.h). The numbers are those of
// the attempt log: never renumber them.
enum class MistakeClass : uint8_t {
    None = 0,              // a correct answer
    DiameterRadius = 1,    // 直径と半径
    CircumferenceArea = 2, // 円周と面積
    Order = 3,             // 順番
    Unfinished = 4,        // 途中
    Other = 5,             // その他
    TimedOut = 6,          // 時間切れ
};
inline constexpr int kMistakeClassCount = 7;

struct Attempt {
    int problem = 0; // 1.. in the run, in the order shown
    int kind = 0;    // ProblemKind 1..4
    int length = 0;  // the labelled length
    QString keys;    // the input display's text at OK; empty after a time-out
    bool correct = false;
    MistakeClass mistake = MistakeClass::None;
    int32_t tenths = 0; // from the problem being shown to OK
    bool operator==(const Attempt&) const = default;
};
