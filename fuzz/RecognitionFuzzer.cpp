// Recognition on a small knowledge base: any typed text gives the same candidates from the searches
// the program runs and from the step-by-step reference searches, and never fails.

#include "fuzz/FuzzInput.h"
#include "kb/Query.h"
#include "recognition/Recognition.h"
#include "tools/kb/Knowledge.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

using namespace vardelo;

namespace {

kb::Query& query()
{
    static kb::Query* q = [] {
        static QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Data.vdat"));
        QString error;
        const kbc::LoadResult sources = kbc::loadKnowledge(QStringLiteral(VARDELO_FIXTURES "/knowledge"));
        if (!kbc::writeDatabase(sources.knowledge, path, &error))
            std::abort();
        auto* connection = new kb::Connection(path, kb::Connection::Mode::ReadOnly);
        return new kb::Query(*connection);
    }();
    return *q;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t choice = data[0];
    const QString text = fuzz::utf16Text(data + 1, size - 1);
    kb::Query& q = query();
    if (choice % 3 == 2) {
        if (recognition::RechercheP(q, text) != recognition::literal::RechercheP(q, text))
            std::abort();
        return 0;
    }
    const QString table = choice % 3 == 0 ? QStringLiteral("SC") : QStringLiteral("EC");
    const QChar sex = (choice / 3) % 2 ? QChar(u'h') : QChar(u'f');
    const QString ages[] = {QString(), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    const QString age = ages[(choice / 6) % 4];
    if (recognition::RechercheSC(q, table, text, sex, age) !=
        recognition::literal::RechercheSC(q, table, text, sex, age))
        std::abort();
    return 0;
}
