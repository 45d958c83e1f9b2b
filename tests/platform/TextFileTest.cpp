#include "platform/TextFile.h"

#include "platform/Cp1252.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vardelo::platform;

namespace {

TEST(Cp1252, FrenchTextRoundTripsAndOutsidersBecomeQuestionMarks)
{
    const QString french = QStringLiteral("Œdème, cœur à 5 € — « l’hôpital » ÿ");
    EXPECT_EQ(decodeCp1252(encodeCp1252(french)), french);
    EXPECT_EQ(encodeCp1252(u"€œ’"), QByteArray("\x80\x9c\x92"));
    EXPECT_EQ(encodeCp1252(u"ح☺"), QByteArray("??"));
    EXPECT_EQ(decodeCp1252(QByteArray("\x81\x9d")), QString::fromUtf16(u"\u0081\u009d"));
}

TEST(TextFile, LinesAreWrittenWithCrLfAndReadWhateverTheLineEnds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Apprentissage.vl"));
    ASSERT_TRUE(writeTextLines(path, {QStringLiteral("Œdème"), QStringLiteral("+3")}));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\x8c"
                                         "d\xe8me\r\n+3\r\n"));
    EXPECT_EQ(readTextLines(path), (QStringList{QStringLiteral("Œdème"), QStringLiteral("+3")}));

    EXPECT_EQ(
        splitLines(QStringLiteral("a\r\nb\nc\rd")),
        (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(splitLines(QStringLiteral("a\r\n\r\n")), (QStringList{QStringLiteral("a"), QString()}));
    EXPECT_TRUE(splitLines(QString()).isEmpty());
    EXPECT_FALSE(readTextLines(dir.filePath(QStringLiteral("absent"))).has_value());
}

TEST(TextFile, AFailedWriteLeavesThePreviousFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Apparence.app"));
    ASSERT_TRUE(writeTextLines(path, {QStringLiteral("Obsidian")}));
    QString error;
    EXPECT_FALSE(
        writeTextLines(dir.filePath(QStringLiteral("absent/Apparence.app")), {QStringLiteral("x")}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readTextLines(path), QStringList{QStringLiteral("Obsidian")});
}

} // namespace
