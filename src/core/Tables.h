#pragma once
// Dense per-level, per-student tables: levels 0..35 (0 unused), students
// 0..5000 (the roster ID). Allocated once, cleared in place.

#include <algorithm>
#include <cstddef>
#include <vector>

inline constexpr int kMaxLevel = 35;
inline constexpr int kLevelSlots = kMaxLevel + 1;
inline constexpr int kMaxStudent = 5000;
inline constexpr int kStudentSlots = kMaxStudent + 1;

inline bool IsValidLevel(int level) {
    return level >= 1 && level <= kMaxLevel;
}
inline bool IsValidStudent(int student) {
    return student >= 1 && student <= kMaxStudent;
}

template <typename T> class LevelStudentTable {
  public:
    LevelStudentTable() : cells_(std::size_t(kLevelSlots) * kStudentSlots) {}

    T& operator()(int level, int student) { return cells_[index(level, student)]; }
    const T& operator()(int level, int student) const { return cells_[index(level, student)]; }

    void fill(T value) { std::fill(cells_.begin(), cells_.end(), value); }
    const T* data() const { return cells_.data(); }

  private:
    static std::size_t index(int level, int student) {
        return std::size_t(level) * kStudentSlots + std::size_t(student);
    }
    std::vector<T> cells_;
};
