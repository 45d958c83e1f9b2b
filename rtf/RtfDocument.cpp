#include "rtf/RtfDocument.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

namespace vardelo::rtf {

namespace {

ListStyle listStyleOf(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
        return ListStyle::Decimal;
    case QTextListFormat::ListLowerAlpha:
        return ListStyle::LowerAlpha;
    case QTextListFormat::ListUpperAlpha:
        return ListStyle::UpperAlpha;
    case QTextListFormat::ListLowerRoman:
        return ListStyle::LowerRoman;
    case QTextListFormat::ListUpperRoman:
        return ListStyle::UpperRoman;
    default:
        return ListStyle::Bullet;
    }
}

QTextListFormat::Style qtListStyle(ListStyle style)
{
    switch (style) {
    case ListStyle::Decimal:
        return QTextListFormat::ListDecimal;
    case ListStyle::LowerAlpha:
        return QTextListFormat::ListLowerAlpha;
    case ListStyle::UpperAlpha:
        return QTextListFormat::ListUpperAlpha;
    case ListStyle::LowerRoman:
        return QTextListFormat::ListLowerRoman;
    case ListStyle::UpperRoman:
        return QTextListFormat::ListUpperRoman;
    case ListStyle::None:
    case ListStyle::Bullet:
        break;
    }
    return QTextListFormat::ListDisc;
}

TextStyle styleOf(const QTextCharFormat& format)
{
    TextStyle style;
    style.bold = format.fontWeight() > QFont::Medium;
    style.italic = format.fontItalic();
    style.underline = format.fontUnderline();
    style.strikeOut = format.fontStrikeOut();
    if (format.hasProperty(QTextFormat::FontFamilies)) {
        const QStringList families = format.fontFamilies().toStringList();
        if (!families.isEmpty())
            style.font = families.first();
    }
    if (format.hasProperty(QTextFormat::FontPointSize))
        style.pointSize = format.fontPointSize();
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush) {
        const QColor color = format.foreground().color();
        style.hasColor = true;
        style.red = unsigned(color.red());
        style.green = unsigned(color.green());
        style.blue = unsigned(color.blue());
    }
    return style;
}

QTextCharFormat formatOf(const TextStyle& style)
{
    QTextCharFormat format;
    if (style.bold)
        format.setFontWeight(QFont::Bold);
    if (style.italic)
        format.setFontItalic(true);
    if (style.underline)
        format.setFontUnderline(true);
    if (style.strikeOut)
        format.setFontStrikeOut(true);
    if (!style.font.isEmpty())
        format.setFontFamilies({style.font});
    if (style.pointSize > 0)
        format.setFontPointSize(style.pointSize);
    if (style.hasColor)
        format.setForeground(QColor(int(style.red), int(style.green), int(style.blue)));
    return format;
}

} // namespace

RichText richTextOf(const QTextDocument& document)
{
    RichText text;
    // An empty document is one empty block: it holds no paragraph worth writing.
    if (document.isEmpty())
        return text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        RichParagraph paragraph;
        const Qt::Alignment horizontal = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        if (horizontal & Qt::AlignHCenter)
            paragraph.alignment = Alignment::Center;
        else if (horizontal & Qt::AlignJustify)
            paragraph.alignment = Alignment::Justify;
        else if (horizontal & (Qt::AlignRight | Qt::AlignTrailing))
            paragraph.alignment = Alignment::Right;
        if (const QTextList* list = block.textList()) {
            paragraph.list = listStyleOf(list->format().style());
            paragraph.listLevel = std::max(1, list->format().indent());
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QString runText = fragment.text();
            runText.remove(QChar::ObjectReplacementCharacter); // images and other objects are not kept
            if (runText.isEmpty())
                continue;
            TextRun run{runText, styleOf(fragment.charFormat())};
            if (!paragraph.runs.empty() && paragraph.runs.back().style == run.style)
                paragraph.runs.back().text += run.text;
            else
                paragraph.runs.push_back(std::move(run));
        }
        text.push_back(std::move(paragraph));
    }
    return text;
}

void setRichText(QTextDocument& document, const RichText& text)
{
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    QTextList* list = nullptr;
    const RichParagraph* previous = nullptr;
    for (const RichParagraph& paragraph : text) {
        QTextBlockFormat blockFormat;
        switch (paragraph.alignment) {
        case Alignment::Left:
            break;
        case Alignment::Center:
            blockFormat.setAlignment(Qt::AlignHCenter);
            break;
        case Alignment::Right:
            blockFormat.setAlignment(Qt::AlignRight);
            break;
        case Alignment::Justify:
            blockFormat.setAlignment(Qt::AlignJustify);
            break;
        }
        if (previous)
            cursor.insertBlock(blockFormat, QTextCharFormat());
        else
            cursor.setBlockFormat(blockFormat);
        for (const TextRun& run : paragraph.runs)
            cursor.insertText(run.text, formatOf(run.style));
        if (paragraph.list == ListStyle::None) {
            list = nullptr;
        } else if (list && previous && previous->list == paragraph.list &&
                   previous->listLevel == paragraph.listLevel) {
            list->add(cursor.block());
        } else {
            QTextListFormat format;
            format.setStyle(qtListStyle(paragraph.list));
            format.setIndent(std::clamp(paragraph.listLevel, 1, 9));
            list = cursor.createList(format);
        }
        previous = &paragraph;
    }
    cursor.endEditBlock();
}

void setDocumentRtf(QTextDocument& document, QStringView rtf)
{
    setRichText(document, readRtf(rtf));
}

QString documentRtf(const QTextDocument& document)
{
    return writeRichText(richTextOf(document));
}

} // namespace vardelo::rtf
