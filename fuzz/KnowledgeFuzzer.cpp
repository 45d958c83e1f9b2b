// The knowledge compiler on any pathology source: it reports errors instead of failing, and what it
// accepts it writes to a database whose knowledge hash checks out.

#include "kb/KnowledgeFile.h"
#include "tools/kb/Knowledge.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

using namespace vardelo;

namespace {

// A copy of the test knowledge whose pathology "grippe" is replaced by each input.
const QTemporaryDir& sources()
{
    static QTemporaryDir* dir = [] {
        auto* d = new QTemporaryDir;
        const QString from = QStringLiteral(VARDELO_FIXTURES "/knowledge");
        QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            const QString target = d->filePath(QDir(from).relativeFilePath(file));
            QDir().mkpath(QFileInfo(target).path());
            QFile::copy(file, target);
        }
        return d;
    }();
    return *dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QTemporaryDir& dir = sources();
    {
        QFile file(dir.filePath(QStringLiteral("pathologies/test/grippe.yaml")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const kbc::LoadResult result = kbc::loadKnowledge(dir.path());
    if (result.hasErrors())
        return 0;
    const QString database = dir.filePath(QStringLiteral("out/Data.vdat"));
    QDir().mkpath(dir.filePath(QStringLiteral("out")));
    QString error;
    if (!kbc::writeDatabase(result.knowledge, database, &error))
        std::abort();
    if (kb::checkKnowledgeBaseForStart(database).status != kb::StartCheck::Status::Ready)
        std::abort();
    return 0;
}
