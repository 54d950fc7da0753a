#pragma once
// Reading and pointing at a list view's rows as a user sees them, whatever
// model lies behind the view.

#include <QAbstractItemView>
#include <QPoint>
#include <QStringList>

inline int RowCount(const QAbstractItemView* view) {
    return view->model()->rowCount();
}

inline QString RowText(const QAbstractItemView* view, int row) {
    return view->model()->index(row, 0).data().toString();
}

inline QStringList RowTexts(const QAbstractItemView* view) {
    QStringList texts;
    for (int row = 0; row < RowCount(view); ++row)
        texts.append(RowText(view, row));
    return texts;
}

// The rows whose text contains `part`, in order.
inline QList<int> RowsContaining(const QAbstractItemView* view, const QString& part) {
    QList<int> rows;
    for (int row = 0; row < RowCount(view); ++row)
        if (RowText(view, row).contains(part)) rows.append(row);
    return rows;
}

// The centre of a row in the view's viewport (the row must be scrolled into view).
inline QPoint RowCentre(const QAbstractItemView* view, int row) {
    return view->visualRect(view->model()->index(row, 0)).center();
}
