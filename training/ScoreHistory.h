#pragma once
// The results of finished series of clinical cases, kept in the table Score of the knowledge-base
// file, and the order of their list.

#include <QDateTime>
#include <QList>
#include <QString>

namespace vardelo::kb {
class Query;
}

namespace vardelo::training {

struct ScoreRow {
    QString dateTime; // "dd/MM/yyyy", ten spaces, "HH:mm:ss"
    int correct = 0;
    int total = 0;
    QString score; // formatScore()
    friend bool operator==(const ScoreRow&, const ScoreRow&) = default;
};

// The stored form of a moment: the short date, ten spaces, the long time.
QString scoreDateTime(const QDateTime& moment);

// Database errors raise kb::DbError.
void storeScore(kb::Query& query, const ScoreRow& row);
QList<ScoreRow> loadScores(kb::Query& query);
void clearScores(kb::Query& query);

// The order of two texts of a column of the history (0 date and time, 1 right answers, 2 total,
// 3 score): -1, 0 or 1. Dates and times compare as moments, counts and scores as numbers, so
// "100,0 %" comes after "70,0 %". An empty text compares equal to anything.
int compareScoreTexts(int column, const QString& a, const QString& b);

} // namespace vardelo::training
