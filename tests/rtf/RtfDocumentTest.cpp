// What the notes editors save, they reopen identically: a document holding every formatting the
// editors can apply goes through RTF and back.

#include "rtf/RtfDocument.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <gtest/gtest.h>

using namespace vardelo::rtf;

namespace {

void addRun(QTextCursor& cursor, const QString& text, const std::function<void(QTextCharFormat&)>& style)
{
    QTextCharFormat format;
    style(format);
    cursor.insertText(text, format);
}

TEST(RtfDocument, WhatTheEditorSavesItReopensIdentically)
{
    QTextDocument original;
    QTextCursor cursor(&original);
    addRun(cursor, QStringLiteral("Normal {accolades} \\ é œ € ’ 中 😀 "), [](QTextCharFormat&) {});
    addRun(cursor, QStringLiteral("gras"), [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); });
    addRun(cursor, QStringLiteral(" italique souligné barré"), [](QTextCharFormat& f) {
        f.setFontItalic(true);
        f.setFontUnderline(true);
        f.setFontStrikeOut(true);
    });
    addRun(cursor, QStringLiteral("\tCourier 13,5 bleu"), [](QTextCharFormat& f) {
        f.setFontFamilies({QStringLiteral("Courier New")});
        f.setFontPointSize(13.5);
        f.setForeground(QColor(0, 0, 255));
    });
    cursor.insertText(QString(QChar::LineSeparator) + QStringLiteral(" après un saut de ligne"));
    QTextBlockFormat centered;
    centered.setAlignment(Qt::AlignHCenter);
    cursor.insertBlock(centered);
    cursor.insertText(QStringLiteral("Centré"));
    cursor.insertBlock(QTextBlockFormat());
    cursor.createList(QTextListFormat::ListDisc);
    cursor.insertText(QStringLiteral("Puce un"));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("Puce deux"));
    cursor.insertBlock(QTextBlockFormat());
    cursor.createList(QTextListFormat::ListDecimal);
    cursor.insertText(QStringLiteral("Premier"));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("Second"));
    cursor.insertBlock(QTextBlockFormat());
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    cursor.setBlockFormat(right);
    cursor.insertText(QStringLiteral("À droite"));
    cursor.insertBlock(QTextBlockFormat());

    const QString rtf = documentRtf(original);
    // 7-bit: it survives any 8-bit storage, the case files' text columns included.
    for (const QChar c : rtf)
        ASSERT_LT(c.unicode(), 0x80) << rtf.toStdString();

    QTextDocument reopened;
    setDocumentRtf(reopened, rtf);
    EXPECT_EQ(reopened.toPlainText(), original.toPlainText());
    EXPECT_TRUE(richTextOf(reopened) == richTextOf(original)) << rtf.toStdString();
    EXPECT_EQ(documentRtf(reopened), rtf);
    ASSERT_EQ(reopened.blockCount(), original.blockCount());
    const QTextBlock bullet = reopened.findBlockByNumber(2);
    ASSERT_TRUE(bullet.textList());
    EXPECT_EQ(bullet.textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(bullet.textList()->count(), 2);
    const QTextBlock numbered = reopened.findBlockByNumber(5);
    ASSERT_TRUE(numbered.textList());
    EXPECT_EQ(numbered.textList()->itemText(numbered), QStringLiteral("2."));
    EXPECT_EQ(reopened.findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
}

TEST(RtfDocument, AnEmptyDocumentAndAnEmptyTextStayEmpty)
{
    QTextDocument empty;
    const QString rtf = documentRtf(empty);
    EXPECT_TRUE(rtf.startsWith(u"{\\rtf1"));
    QTextDocument reopened;
    reopened.setPlainText(QStringLiteral("ancien contenu"));
    setDocumentRtf(reopened, rtf);
    EXPECT_TRUE(reopened.isEmpty());
    reopened.setPlainText(QStringLiteral("ancien contenu"));
    setDocumentRtf(reopened, u"");
    EXPECT_TRUE(reopened.isEmpty());
}

} // namespace
