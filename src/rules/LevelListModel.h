#pragma once
// The model behind a level column's results list on the board: either a
// ranking, whose rows stay figures and are formatted only when the view shows
// them (a ranking lists every student of the classroom, for every level), or
// the lines of a view read from the results file, whose text is their order.

#include "rules/ResultsViews.h"

#include <QAbstractListModel>
#include <QStringList>

class LevelListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit LevelListModel(QObject* parent = nullptr);

    void showRanking(RankingRows ranking);
    void showLines(QStringList lines);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    QString text(int row) const;
    // Every row's text, in order (the time colours read the whole list).
    QStringList texts() const;
    // The student's own row ("●") of a ranking; -1 when not listed or not a ranking.
    int ownRow() const { return ranking_.ownLine; }

  private:
    RankingRows ranking_;
    QStringList lines_;
};
