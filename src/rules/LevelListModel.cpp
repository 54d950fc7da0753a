#include "rules/LevelListModel.h"

LevelListModel::LevelListModel(QObject* parent) : QAbstractListModel(parent) {}

void LevelListModel::showRanking(RankingRows ranking) {
    beginResetModel();
    ranking_ = std::move(ranking);
    lines_.clear();
    endResetModel();
}

void LevelListModel::showLines(QStringList lines) {
    beginResetModel();
    ranking_ = RankingRows{};
    lines_ = std::move(lines);
    endResetModel();
}

void LevelListModel::clear() {
    showLines({});
}

int LevelListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(ranking_.rows.size()) + int(lines_.size());
}

QVariant LevelListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    return text(index.row());
}

QString LevelListModel::text(int row) const {
    if (row < 0 || row >= rowCount()) return {};
    // One of the two is empty: a list shows a ranking or lines, never both.
    return ranking_.rows.empty() ? lines_.at(row) : RankingRowText(ranking_, std::size_t(row));
}

QStringList LevelListModel::texts() const {
    QStringList all;
    all.reserve(rowCount());
    for (int row = 0; row < rowCount(); ++row)
        all.append(text(row));
    return all;
}
