// The RTF reader on small documents (what each construct gives), on files written by LibreOffice
// Writer, and on damaged input: the text always survives.

#include "rtf/RichText.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vardelo::rtf;

namespace {

TextStyle bold()
{
    TextStyle s;
    s.bold = true;
    return s;
}

TextStyle italic()
{
    TextStyle s;
    s.italic = true;
    return s;
}

TextStyle colored(unsigned r, unsigned g, unsigned b)
{
    TextStyle s;
    s.hasColor = true;
    s.red = r;
    s.green = g;
    s.blue = b;
    return s;
}

RichParagraph paragraph(std::vector<TextRun> runs, Alignment alignment = Alignment::Left,
                        ListStyle list = ListStyle::None)
{
    RichParagraph p;
    p.runs = std::move(runs);
    p.alignment = alignment;
    p.list = list;
    return p;
}

TextRun run(const char16_t* text, TextStyle style = {})
{
    return TextRun{QString::fromUtf16(text), style};
}

std::string describe(const RichText& text)
{
    std::string out;
    for (const RichParagraph& p : text) {
        out += "[a" + std::to_string(int(p.alignment)) + " l" + std::to_string(int(p.list)) + "]";
        for (const TextRun& r : p.runs) {
            out += "(" + r.text.toStdString();
            out += r.style.bold ? " b" : "";
            out += r.style.italic ? " i" : "";
            out += r.style.underline ? " u" : "";
            out += r.style.strikeOut ? " s" : "";
            out += r.style.font.isEmpty() ? "" : " f=" + r.style.font.toStdString();
            out += r.style.pointSize > 0 ? " pt=" + std::to_string(r.style.pointSize) : "";
            out += r.style.hasColor ? " c=" + std::to_string(r.style.red) + "," +
                                          std::to_string(r.style.green) + "," + std::to_string(r.style.blue)
                                    : "";
            out += ")";
        }
        out += "\n";
    }
    return out;
}

TEST(RtfReader, EachConstructGivesItsTextAndStyle)
{
    TextStyle underlined, struck, times, plain;
    underlined.underline = true;
    struck.strikeOut = true;
    times.font = QStringLiteral("Times New Roman");
    times.pointSize = 14;
    const struct {
        const char* rtf;
        RichText expected;
    } cases[] = {
        {R"({\rtf1 Une {\b toux} s\b\'e8che\b0  fin\par})",
         {paragraph({run(u"Une "), run(u"toux", bold()), run(u" s"), run(u"èche", bold()), run(u" fin")})}},
        {R"({\rtf1 {\i i}{\ul u}{\strike s}{\ul\ulnone n}\par})",
         {paragraph({run(u"i", italic()), run(u"u", underlined), run(u"s", struck), run(u"n")})}},
        // The default font (\deff) is the editor's own: no name is set for it.
        {R"({\rtf1\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\froman\fcharset0 Times New Roman{\*\falt Tms};}}{\f1\fs28 T}{\f0 A}\par})",
         {paragraph({run(u"T", times), run(u"A")})}},
        {R"({\rtf1{\colortbl;\red192\green0\blue0;}{\cf1 R}{\cf0 N}\par})",
         {paragraph({run(u"R", colored(192, 0, 0)), run(u"N")})}},
        // Windows-1252 escapes, \uN with its fallback skipped, \uc changing the fallback's length.
        {R"({\rtf1\ansi\ansicpg1252 \'e9\'9c\'80 \u339\'9c{\uc2\u8364??}\u-10179?\u-8704?\emdash\par})",
         {paragraph({run(u"éœ€ œ€\U0001F600\u2014")})}},
        {R"({\rtf1 a\tab b\line c\par d\par})", {paragraph({run(u"a\tb\u2028c")}), paragraph({run(u"d")})}},
        {R"({\rtf1\pard\qc C\par\pard\qr R\par\pard\qj J\par\pard L\par})",
         {paragraph({run(u"C")}, Alignment::Center), paragraph({run(u"R")}, Alignment::Right),
          paragraph({run(u"J")}, Alignment::Justify), paragraph({run(u"L")})}},
        // Destinations that hold no text of the document, binary data with braces in it included.
        {R"({\rtf1{\stylesheet{\s0 Normal;}}{\info{\title Titre}}{\*\generator X;}{\*\unknown u}{\pict\bin4 }{}x}{\field{\*\fldinst HYPERLINK "x"}{\fldrslt lien}}\par})",
         {paragraph({run(u"lien")})}},
        {R"({\rtf1 \foo12 a\bar b\par})", {paragraph({run(u"ab")})}},
        // A bulleted paragraph as the knowledge base writes it, and numbered ones as older writers do.
        {R"({\rtf1\pard{\pntext\f1\'b7\tab}{\*\pn\pnlvlblt\pnf1\pnindent360{\pntxtb\'b7}}\fi-360\li360 item\par)"
         R"(\pard{\pntext 1.\tab}{\*\pn\pnlvlbody\pndec{\pntxta .}}un\par\pard{\listtext b)\tab}\ls2 deux\par})",
         {paragraph({run(u"item")}, Alignment::Left, ListStyle::Bullet),
          paragraph({run(u"un")}, Alignment::Left, ListStyle::Decimal),
          paragraph({run(u"deux")}, Alignment::Left, ListStyle::LowerAlpha)}},
        // Only text after the last \par makes a paragraph; an empty one before it is kept.
        {R"({\rtf1 a\par\par})", {paragraph({run(u"a")}), paragraph({})}},
        {R"({\rtf1 })", {}},
    };
    for (const auto& c : cases) {
        const RichText got = readRtf(QString::fromUtf8(c.rtf));
        EXPECT_EQ(describe(got), describe(c.expected)) << c.rtf;
        EXPECT_TRUE(got == c.expected) << c.rtf;
    }
}

TEST(RtfReader, DamagedOrForeignInputKeepsItsText)
{
    const struct {
        QByteArray input;
        QString text;
    } cases[] = {
        {"{\\rtf1 avant}} apr\\'e8s{", QStringLiteral("avant après")},
        {"{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\b Bonjour le mon", QStringLiteral("Bonjour le mon")},
        {"{\\rtf1 d\\'e", QStringLiteral("de")},
        {"{\\rtf1 x\\bin999999 abc", QStringLiteral("x")},
        {"{\\rtf1 x\\'zz\\\\\\{\\}\\", QStringLiteral("xzz\\{}")},
        {"{\\rtf1 " + QByteArray(100000, '{') + "profond" + QByteArray(100000, '}') + " fin}",
         QStringLiteral("profond fin")},
        {"{\\rtf1 a\\u0?b\\u-1?c\\u99999999999999?d}", QStringLiteral("ab\uFFFFc\uFFFFd")},
        {"Pas du RTF : {\\b} reste tel quel\r\nDeuxi\xe8me ligne\n",
         QStringLiteral("Pas du RTF : {\\b} reste tel quel\nDeuxième ligne")},
        {"", QString()},
    };
    for (const auto& c : cases) {
        const RichText got = readRtfBytes(c.input);
        EXPECT_EQ(plainText(got), c.text) << c.input.left(80).toStdString();
    }
    // Binary bytes, either as a whole file or inside a document, are read without a fault.
    QByteArray blob;
    for (int i = 0; i < 4096; ++i)
        blob.append(char((i * 7919) % 256));
    readRtfBytes(blob);
    EXPECT_TRUE(plainText(readRtfBytes("{\\rtf1 d\xe9"
                                       "but " +
                                       blob))
                    .startsWith(QStringLiteral("début ")));
}

RichText fixture(const char* name)
{
    QFile file(QStringLiteral(VARDELO_FIXTURES "/rtf/") + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return readRtfBytes(file.readAll());
}

const TextRun* findRun(const RichText& text, QStringView content)
{
    for (const RichParagraph& p : text) {
        for (const TextRun& r : p.runs) {
            if (r.text == content)
                return &r;
        }
    }
    return nullptr;
}

// Files written by LibreOffice Writer 7.4 (soffice --convert-to rtf from HTML).
TEST(RtfReader, ReadsWhatLibreOfficeWrites)
{
    const RichText accents = fixture("accents.rtf");
    EXPECT_EQ(plainText(accents), QStringLiteral("Œdème du cœur à 5 € : « l’hôpital » — fièvre, ÿ, Ça.\n"
                                                 "Deuxième paragraphe avec gras, italique et rouge."));
    ASSERT_TRUE(findRun(accents, u"gras"));
    EXPECT_TRUE(findRun(accents, u"gras")->style.bold);
    ASSERT_TRUE(findRun(accents, u"italique"));
    EXPECT_TRUE(findRun(accents, u"italique")->style.italic);
    ASSERT_TRUE(findRun(accents, u"rouge"));
    EXPECT_TRUE(findRun(accents, u"rouge")->style == colored(192, 0, 0));
    EXPECT_FALSE(findRun(accents, u"Deuxième paragraphe avec ")->style.bold);

    const RichText list = fixture("list.rtf");
    EXPECT_EQ(plainText(list),
              QStringLiteral("Signes :\nFièvre\nToux sèche\nDyspnée\nÉtapes :\nRepos\nHydratation"));
    ASSERT_EQ(list.size(), 7u);
    const ListStyle expected[] = {ListStyle::None, ListStyle::Bullet,  ListStyle::Bullet, ListStyle::Bullet,
                                  ListStyle::None, ListStyle::Decimal, ListStyle::Decimal};
    for (size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list[i].list, expected[i]) << i;
    EXPECT_TRUE(findRun(list, u"Toux")->style.bold);

    EXPECT_EQ(plainText(fixture("table.rtf")),
              QStringLiteral("Avant le tableau\nExamen\nRésultat\nNFS\nHyperleucocytose\nAprès le tableau"));
}

} // namespace
