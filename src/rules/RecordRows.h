#pragma once
// The records browser's list: every record of the results file whose level is
// not 0, one row each, in file order. The whole file is read in one go and
// rows are formatted only when the view shows them, so a file of a million
// records opens at once and scrolls smoothly.

#include "records/ResultRecord.h"
#include "roster/Roster.h"

#include <QAbstractListModel>
#include <QByteArray>

#include <vector>

// "総レコード数:" and the file length over 44, with decimals when a torn
// record is at the end.
QString RecordCountText(qint64 fileLength);

// A record's date as yyyy/MM/dd; blanks for a day number no date can have.
QString RecordDateText(double oleDay);

// What a row needs besides the record: the roster and this classroom.
struct RecordRowContext {
    const BrowserRoster* roster = nullptr;
    QString ownClassroomCode; // as the writer stores it: fitted to five characters
    QString classroomName;
    int numberWidth = 4; // at least 4; wider for files past 9999 records
};

RecordRowContext MakeRecordRowContext(const BrowserRoster& roster, const QString& classroomCode,
                                      const QString& classroomName, qint64 recordCount);

// Number, date, time, level, result, student number, name cut to six
// characters, grade label, and "++" with the classroom name or "他塾".
QString RecordRowText(qint64 number, const ResultRecord& record, const RecordRowContext& context);

class RecordListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit RecordListModel(QObject* parent = nullptr);

    // Lists the records of fileBytes (the whole file, torn tail and all).
    void reset(QByteArray fileBytes, BrowserRoster roster, const QString& classroomCode,
               const QString& classroomName);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    qint64 fileLength() const { return fileBytes_.size(); }
    qint64 recordNumber(int row) const { return rowRecords_.at(size_t(row)); }
    // Record `number` as it was when the list was built.
    QByteArray recordBytes(qint64 number) const {
        return fileBytes_.mid((number - 1) * kRecordSize, kRecordSize);
    }
    const BrowserRoster& roster() const { return roster_; }
    // The row that shows record `number`, or -1 when it is not listed.
    int rowOfRecord(qint64 number) const;
    // The first row showing record `number` or a later one; -1 when none.
    int rowAtOrAfter(qint64 number) const;

  private:
    QByteArray fileBytes_;
    BrowserRoster roster_;
    RecordRowContext context_;
    std::vector<qint32> rowRecords_; // record number of each row, ascending
};
