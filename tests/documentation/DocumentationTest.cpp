// The pathology notes files and the web search addresses.

#include "documentation/PathologyNotes.h"
#include "documentation/WebLookup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vardelo::documentation;

namespace {

TEST(PathologyNotes, EveryPathologyHasAFileOfItsOwn)
{
    EXPECT_EQ(notesFileName(QStringLiteral("Angine aiguë")), QStringLiteral("Angine aiguë.rtf"));
    EXPECT_EQ(notesFileName(QStringLiteral("Virus A/H1N1 : grippe? \"<x>\" * | \\ 5%")),
              QStringLiteral("Virus A%2FH1N1 %3A grippe%3F %22%3Cx%3E%22 %2A %7C %5C 5%25.rtf"));
    // The escape itself is escaped, so a name holding "%2F" keeps its own file.
    EXPECT_NE(notesFileName(QStringLiteral("A/B")), notesFileName(QStringLiteral("A%2FB")));
    EXPECT_EQ(notesFileName(QStringLiteral("con")), QStringLiteral("co%6E.rtf"));
    EXPECT_EQ(notesFileName(QStringLiteral("Conjonctivite")), QStringLiteral("Conjonctivite.rtf"));
}

TEST(PathologyNotes, SavedReloadedAndDeletedWhenEmptied)
{
    QTemporaryDir dir;
    const PathologyNotes notes(dir.filePath(QStringLiteral("Vardelo/Notes")));
    const QString name = QStringLiteral("Otite/otalgie : l'enfant");
    const QString rtf = QStringLiteral("{\\rtf1 Revoir \\'e0 J3\\par}");
    QString error;
    EXPECT_EQ(notes.load(name), QString());
    ASSERT_EQ(notes.save(name, rtf, true, &error), PathologyNotes::Saved::Written) << error.toStdString();
    EXPECT_TRUE(
        QFile::exists(dir.filePath(QStringLiteral("Vardelo/Notes/Otite%2Fotalgie %3A l'enfant.rtf"))));
    EXPECT_EQ(PathologyNotes(dir.filePath(QStringLiteral("Vardelo/Notes"))).load(name), rtf);
    EXPECT_EQ(notes.load(QStringLiteral("Otite")), QString());

    EXPECT_EQ(notes.save(name, QStringLiteral("{\\rtf1 }"), false, &error), PathologyNotes::Saved::Deleted);
    EXPECT_FALSE(QFile::exists(notes.filePath(name)));
    EXPECT_EQ(notes.load(name), QString());
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("Vardelo/Notes"))).isEmpty());
}

TEST(PathologyNotes, AFolderThatCannotBeWrittenIsReportedAndLosesNothing)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("Notes")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.write("not a folder");
    blocker.close();
    const PathologyNotes notes(dir.filePath(QStringLiteral("Notes")));
    QString error;
    EXPECT_EQ(notes.save(QStringLiteral("Angine"), QStringLiteral("{\\rtf1 x\\par}"), true, &error),
              PathologyNotes::Saved::Failed);
    EXPECT_TRUE(error.startsWith(QStringLiteral("Impossible d'enregistrer les notes de « Angine »")))
        << error.toStdString();
    QFile kept(blocker.fileName());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("not a folder"));
}

TEST(WebLookup, TheFiveAddressesCarryTheNameEncoded)
{
    const QString name = QStringLiteral("Maladie d'Alzheimer & œdème");
    const QString encoded = QStringLiteral("Maladie%20d%27Alzheimer%20%26%20%C5%93d%C3%A8me");
    const QStringList expected = {
        QStringLiteral("https://www.msdmanuals.com/fr/professional/SearchResults?query=") + encoded +
            QStringLiteral("&force=true"),
        QStringLiteral("https://fr.wikipedia.org/w/index.php?cirrusUserTesting=glent_m0&search=") + encoded,
        QStringLiteral("https://www.google.fr/search?q=") + encoded,
        QStringLiteral("https://scholar.google.fr/scholar?hl=fr&as_sdt=0%2C5&q=") + encoded,
        QStringLiteral("https://www.google.com/search?tbm=isch&as_q=") + encoded,
    };
    for (int i = 0; i < WebSourceCount; ++i)
        EXPECT_EQ(pathologySearchAddress(i, name), expected.at(i)) << i;
    EXPECT_EQ(pathologySearchAddress(5, name), QString());
    EXPECT_EQ(webSourceCaptions().size(), WebSourceCount);

    // A vague name is searched under its fuller form, the whole name only.
    EXPECT_EQ(pathologySearchAddress(2, QStringLiteral("Choc")),
              QStringLiteral("https://www.google.fr/search?q=Etat%20de%20choc%20h%C3%A9modynamique"));
    EXPECT_EQ(pathologySearchAddress(2, QStringLiteral("Choc septique")),
              QStringLiteral("https://www.google.fr/search?q=Choc%20septique"));
    EXPECT_EQ(webSearchAddress(WebSource::GoogleImages, QStringLiteral("Choc")),
              QStringLiteral("https://www.google.com/search?tbm=isch&as_q=Choc"));
    EXPECT_EQ(signSearchAddress(QStringLiteral("Pathologie : Angine")),
              QStringLiteral("https://www.google.fr/search?q=Angine"));
}

} // namespace
