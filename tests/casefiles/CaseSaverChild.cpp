// Saves case files in a loop until it is killed, printing each name once its save has returned.
// Every fourth case is split into two analyses. The content of a case follows from its name, so
// that the test can tell a whole case from a half-written one.

#include "casefiles/CaseFileStore.h"
#include "casefiles/ParallelAnalyses.h"
#include "kb/Sqlite.h"

#include <cstdio>

using namespace vardelo;
using namespace vardelo::casefiles;

int main(int argc, char* argv[])
{
    if (argc != 3)
        return 2;
    kb::Connection db(QString::fromLocal8Bit(argv[1]), kb::Connection::Mode::ReadWrite);
    CaseFileStore store(db);
    ParallelAnalyses analyses(db);
    const QString run = QString::fromLocal8Bit(argv[2]);
    for (int i = 0;; ++i) {
        const QString id = QStringLiteral("Run %1 \"%2\"   [01/01/2026  10:00:00]").arg(run).arg(i);
        CaseContent c;
        c.sex = u'h';
        c.signs = {id, QStringLiteral("and"), QStringLiteral("fièvre")};
        c.exams = {QStringLiteral("NFS : %1").arg(i)};
        c.retained = id;
        c.notesRtf = QStringLiteral("{\\rtf1 %1}").arg(QString(2000, u'n') + id);
        QString error;
        QString current;
        if (i % 4 == 3) {
            if (!analyses.create(id, QStringLiteral("[a]"), c, true, &error))
                return 1;
            current = *analyses.create(id, QStringLiteral("[b]"), c, false, &error);
        }
        const auto saved = store.save({id, true, c, current});
        if (!saved.error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(saved.error));
            return 1;
        }
        std::printf("%s\n", id.toUtf8().constData());
        std::fflush(stdout);
    }
}
