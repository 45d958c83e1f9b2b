#include "platform/Cp1252.h"
#include "rtf/RichText.h"

#include <QHash>
#include <array>
#include <limits>

namespace vardelo::rtf {

namespace {

// Where the characters of a group go.
enum class Destination {
    Text,      // the document's text
    Skip,      // dropped: pictures, style sheet, document information, unknown "\*" groups...
    FontTable, // font names
    ColorTable,
    Numbering, // "\pn": how the paragraph is numbered
    ListText,  // "\pntext", "\listtext": the bullet or number as an older reader would show it
};

struct ParagraphState {
    Alignment alignment = Alignment::Left;
    ListStyle list = ListStyle::None;
    int listLevel = 1;
};

struct GroupState {
    Destination destination = Destination::Text;
    int font = -1; // index into the font table; -1 the default font
    int halfPoints = 0;
    int color = 0;
    bool bold = false, italic = false, underline = false, strikeOut = false;
    int unicodeSkip = 1;                   // characters of fallback after \uN
    ListStyle numbering = ListStyle::None; // what a "\pn" group says
    ParagraphState paragraph;
};

struct FontEntry {
    QString name;
    int charset = 0;
};

struct ColorEntry {
    bool set = false;
    unsigned red = 0, green = 0, blue = 0;
};

// A deeper nesting than this is not a document anyone wrote; its groups are read as one.
constexpr int MaxDepth = 512;

bool isLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// The list style that the text of an older reader's bullet or number suggests: "1." or "2)" is a
// numbered list, "a." a lettered one, a symbol a bulleted one.
ListStyle styleOfListText(const QString& listText)
{
    const QString t = listText.trimmed();
    if (t.isEmpty())
        return ListStyle::Bullet;
    QString core = t;
    if (core.endsWith(u'.') || core.endsWith(u')'))
        core.chop(1);
    if (core.isEmpty())
        return ListStyle::Bullet;
    bool allDigits = true, allLowerRoman = true, allUpperRoman = true;
    for (const QChar c : core) {
        allDigits = allDigits && c.isDigit();
        allLowerRoman = allLowerRoman && QStringView(u"ivxlcdm").contains(c);
        allUpperRoman = allUpperRoman && QStringView(u"IVXLCDM").contains(c);
    }
    if (allDigits)
        return ListStyle::Decimal;
    if (core.size() > 1 && allLowerRoman)
        return ListStyle::LowerRoman;
    if (core.size() > 1 && allUpperRoman)
        return ListStyle::UpperRoman;
    if (core.size() == 1 && core.at(0) >= u'a' && core.at(0) <= u'z')
        return ListStyle::LowerAlpha;
    if (core.size() == 1 && core.at(0) >= u'A' && core.at(0) <= u'Z')
        return ListStyle::UpperAlpha;
    return ListStyle::Bullet;
}

class Reader {
public:
    explicit Reader(QStringView input)
        : in_(input)
    {}

    RichText read();

private:
    void openGroup();
    void closeGroup();
    void controlWord(QStringView word, bool hasParam, int param);
    void controlSymbol(char16_t c);
    void character(char16_t c);
    void addText(char16_t c);
    void endParagraph();
    TextStyle currentStyle() const;
    QChar decodeByte(unsigned char byte) const;
    GroupState& state() { return stack_.back(); }

    QStringView in_;
    qsizetype pos_ = 0;
    std::vector<GroupState> stack_;
    int overflowDepth_ = 0; // groups opened past MaxDepth, read as part of their parent
    int pendingSkip_ = 0;   // fallback characters of a \uN still to drop
    int defaultFont_ = -1;

    QHash<int, FontEntry> fonts_;
    int fontInTable_ = -1;
    QString fontName_;
    std::vector<ColorEntry> colors_;
    ColorEntry colorInTable_;
    QString listText_;

    RichText out_;
    // Raw runs: the font and colour are indices until the end, when the tables are surely read.
    struct RawRun {
        QString text;
        GroupState style;
    };
    std::vector<std::vector<RawRun>> rawRuns_;
    std::vector<RawRun> currentRuns_;
};

RichText Reader::read()
{
    stack_.push_back(GroupState{});
    // The opening brace of the document is its outer group; what follows the closing one is kept
    // too (a stray "}" in the middle must not lose the rest of the text).
    while (pos_ < in_.size()) {
        const char16_t c = in_[pos_++].unicode();
        if (c == u'{') {
            openGroup();
        } else if (c == u'}') {
            closeGroup();
        } else if (c == u'\\') {
            if (pos_ >= in_.size())
                break;
            const char16_t next = in_[pos_].unicode();
            if (isLetter(next)) {
                const qsizetype start = pos_;
                while (pos_ < in_.size() && isLetter(in_[pos_].unicode()) && pos_ - start < 32)
                    ++pos_;
                const QStringView word = in_.sliced(start, pos_ - start);
                bool negative = false;
                if (pos_ < in_.size() && in_[pos_] == u'-' && pos_ + 1 < in_.size() &&
                    in_[pos_ + 1].isDigit()) {
                    negative = true;
                    ++pos_;
                }
                bool hasParam = false;
                qint64 value = 0;
                int digits = 0;
                while (pos_ < in_.size() && in_[pos_].unicode() >= u'0' && in_[pos_].unicode() <= u'9') {
                    if (digits < 10)
                        value = value * 10 + (in_[pos_].unicode() - u'0');
                    ++digits;
                    ++pos_;
                    hasParam = true;
                }
                if (negative)
                    value = -value;
                value = std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                           std::numeric_limits<int>::max());
                if (pos_ < in_.size() && in_[pos_] == u' ')
                    ++pos_;
                controlWord(word, hasParam, int(value));
            } else {
                ++pos_;
                controlSymbol(next);
            }
        } else {
            character(c);
        }
    }
    // Every writer ends its last paragraph with \par: what follows it is a paragraph only when it
    // holds text.
    if (!currentRuns_.empty())
        endParagraph();
    // Resolve the fonts and colours now that every table has been read.
    RichText result;
    result.reserve(out_.size());
    for (size_t p = 0; p < out_.size(); ++p) {
        RichParagraph paragraph = out_[p];
        for (const RawRun& raw : rawRuns_[p]) {
            TextStyle style;
            style.bold = raw.style.bold;
            style.italic = raw.style.italic;
            style.underline = raw.style.underline;
            style.strikeOut = raw.style.strikeOut;
            if (raw.style.font >= 0 && raw.style.font != defaultFont_) {
                const auto font = fonts_.constFind(raw.style.font);
                if (font != fonts_.constEnd() && font->charset != 2)
                    style.font = font->name;
            }
            if (raw.style.halfPoints > 0)
                style.pointSize = raw.style.halfPoints / 2.0;
            if (raw.style.color > 0 && size_t(raw.style.color) < colors_.size() &&
                colors_[raw.style.color].set) {
                const ColorEntry& color = colors_[raw.style.color];
                style.hasColor = true;
                style.red = color.red;
                style.green = color.green;
                style.blue = color.blue;
            }
            if (!paragraph.runs.empty() && paragraph.runs.back().style == style)
                paragraph.runs.back().text += raw.text;
            else
                paragraph.runs.push_back(TextRun{raw.text, style});
        }
        result.push_back(std::move(paragraph));
    }
    return result;
}

void Reader::openGroup()
{
    pendingSkip_ = 0;
    if (stack_.size() >= MaxDepth) {
        ++overflowDepth_;
        return;
    }
    stack_.push_back(stack_.back());
}

void Reader::closeGroup()
{
    pendingSkip_ = 0;
    if (overflowDepth_ > 0) {
        --overflowDepth_;
        return;
    }
    if (stack_.size() <= 1)
        return; // a brace too many: the text after it is still read
    const GroupState closed = stack_.back();
    stack_.pop_back();
    GroupState& parent = stack_.back();
    if (closed.destination == Destination::Numbering && parent.destination != Destination::Numbering) {
        parent.paragraph.list = closed.numbering == ListStyle::None ? ListStyle::Bullet : closed.numbering;
    } else if (closed.destination == Destination::ListText && parent.destination != Destination::ListText) {
        if (parent.destination == Destination::Text)
            parent.paragraph.list = styleOfListText(listText_);
    } else if (closed.destination == Destination::FontTable) {
        // A font entry without its ";" still names its font.
        if (fontInTable_ >= 0 && !fontName_.trimmed().isEmpty())
            fonts_[fontInTable_].name = fontName_.trimmed();
        fontName_.clear();
    }
}

void Reader::endParagraph()
{
    out_.push_back(RichParagraph{});
    out_.back().alignment = state().paragraph.alignment;
    out_.back().list = state().paragraph.list;
    out_.back().listLevel = out_.back().list == ListStyle::None ? 1 : state().paragraph.listLevel;
    rawRuns_.push_back(std::move(currentRuns_));
    currentRuns_.clear();
}

QChar Reader::decodeByte(unsigned char byte) const
{
    const auto font = fonts_.constFind(stack_.back().font);
    if (font != fonts_.constEnd() && font->charset == 2) {
        // The Symbol font's bullet; its other letters have no place in the text of a note.
        if (byte == 0xB7)
            return QChar(u'\u2022');
    }
    return platform::decodeCp1252(QByteArray(1, char(byte))).at(0);
}

void Reader::addText(char16_t c)
{
    if (pendingSkip_ > 0) {
        --pendingSkip_;
        return;
    }
    if (c < 0x20 && c != u'\t')
        return; // control characters, from an escape or \uN, have no place in the text
    GroupState& s = state();
    switch (s.destination) {
    case Destination::Text:
        break;
    case Destination::FontTable:
        if (c == u';') {
            if (fontInTable_ >= 0)
                fonts_[fontInTable_].name = fontName_.trimmed();
            fontName_.clear();
        } else if (c != u'\t') {
            fontName_ += QChar(c);
        }
        return;
    case Destination::ColorTable:
        if (c == u';') {
            colors_.push_back(colorInTable_);
            colorInTable_ = ColorEntry{};
        }
        return;
    case Destination::ListText:
        listText_ += QChar(c);
        return;
    case Destination::Skip:
    case Destination::Numbering:
        return;
    }
    if (!currentRuns_.empty()) {
        const GroupState& last = currentRuns_.back().style;
        if (last.font == s.font && last.halfPoints == s.halfPoints && last.color == s.color &&
            last.bold == s.bold && last.italic == s.italic && last.underline == s.underline &&
            last.strikeOut == s.strikeOut) {
            currentRuns_.back().text += QChar(c);
            return;
        }
    }
    currentRuns_.push_back(RawRun{QString(QChar(c)), s});
}

void Reader::character(char16_t c)
{
    if (c == u'\r' || c == u'\n')
        return; // line ends in RTF are layout of the source, not text
    if (c == u'\t') {
        addText(c);
        return;
    }
    if (c < 0x20)
        return;
    addText(c);
}

void Reader::controlSymbol(char16_t c)
{
    switch (c) {
    case u'\\':
    case u'{':
    case u'}':
        addText(c);
        return;
    case u'\'': {
        const int high = pos_ < in_.size() ? hexValue(in_[pos_].unicode()) : -1;
        const int low = pos_ + 1 < in_.size() ? hexValue(in_[pos_ + 1].unicode()) : -1;
        if (high < 0 || low < 0)
            return; // a broken escape: its digits are read as text
        pos_ += 2;
        addText(decodeByte(static_cast<unsigned char>(high * 16 + low)).unicode());
        return;
    }
    case u'~':
        addText(u'\u00A0');
        return;
    case u'_':
        addText(u'\u2011');
        return;
    case u'*':
        // An ignorable destination: known only when it is the numbering of a paragraph.
        if (pos_ + 3 <= in_.size() && in_.sliced(pos_).startsWith(u"\\pn") &&
            (pos_ + 3 == in_.size() || !isLetter(in_[pos_ + 3].unicode()))) {
            return;
        }
        if (state().destination != Destination::Skip)
            state().destination = Destination::Skip;
        return;
    case u'\r':
    case u'\n':
        controlWord(u"par", false, 0);
        return;
    default:
        // "\-" (optional hyphen), "\|", "\:" and the unknown ones: nothing to show. They count
        // as one character of a \uN fallback.
        if (pendingSkip_ > 0)
            --pendingSkip_;
        return;
    }
}

void Reader::controlWord(QStringView word, bool hasParam, int param)
{
    GroupState& s = state();
    if (word == u"bin") {
        // Binary data: skipped whole, whatever its bytes are.
        pos_ += std::min<qsizetype>(std::max(param, 0), in_.size() - pos_);
        return;
    }
    if (pendingSkip_ > 0 && s.destination == Destination::Text && word != u"par") {
        --pendingSkip_;
        return;
    }
    if (s.destination == Destination::Skip)
        return;
    if (word == u"u") {
        const auto unit = char16_t(param < 0 ? param + 65536 : param);
        if (unit >= 0x20 || unit == u'\t')
            addText(unit);
        pendingSkip_ = s.unicodeSkip;
        return;
    }
    if (word == u"uc") {
        s.unicodeSkip = std::clamp(param, 0, 16);
        return;
    }
    // Tables first: they change what a few words mean.
    if (s.destination == Destination::FontTable) {
        if (word == u"f") {
            fontInTable_ = param;
            fontName_.clear();
        } else if (word == u"fcharset" && fontInTable_ >= 0) {
            fonts_[fontInTable_].charset = param;
        }
        return;
    }
    if (s.destination == Destination::ColorTable) {
        const unsigned value = unsigned(std::clamp(param, 0, 255));
        if (word == u"red") {
            colorInTable_.red = value;
            colorInTable_.set = true;
        } else if (word == u"green") {
            colorInTable_.green = value;
            colorInTable_.set = true;
        } else if (word == u"blue") {
            colorInTable_.blue = value;
            colorInTable_.set = true;
        }
        return;
    }
    if (s.destination == Destination::Numbering) {
        if (word == u"pnlvlblt")
            s.numbering = ListStyle::Bullet;
        else if (word == u"pndec" || word == u"pnord" || word == u"pncard")
            s.numbering = ListStyle::Decimal;
        else if (word == u"pnlcltr")
            s.numbering = ListStyle::LowerAlpha;
        else if (word == u"pnucltr")
            s.numbering = ListStyle::UpperAlpha;
        else if (word == u"pnlcrm")
            s.numbering = ListStyle::LowerRoman;
        else if (word == u"pnucrm")
            s.numbering = ListStyle::UpperRoman;
        return;
    }
    const bool on = !hasParam || param != 0;

    // Destinations.
    if (word == u"fonttbl") {
        s.destination = Destination::FontTable;
        fontInTable_ = -1;
        fontName_.clear();
        return;
    }
    if (word == u"colortbl") {
        s.destination = Destination::ColorTable;
        colors_.clear();
        colorInTable_ = ColorEntry{};
        return;
    }
    if (word == u"pn") {
        s.destination = Destination::Numbering;
        s.numbering = ListStyle::None;
        return;
    }
    if (word == u"pntext" || word == u"listtext") {
        if (s.destination != Destination::ListText)
            listText_.clear();
        s.destination = Destination::ListText;
        return;
    }
    static const std::array<QStringView, 30> skipped = {u"stylesheet", u"info",
                                                        u"pict",       u"object",
                                                        u"header",     u"headerl",
                                                        u"headerr",    u"headerf",
                                                        u"footer",     u"footerl",
                                                        u"footerr",    u"footerf",
                                                        u"footnote",   u"fldinst",
                                                        u"listtable",  u"listoverridetable",
                                                        u"revtbl",     u"rsidtbl",
                                                        u"generator",  u"xmlnstbl",
                                                        u"themedata",  u"colorschememapping",
                                                        u"datastore",  u"latentstyles",
                                                        u"pgdsctbl",   u"filetbl",
                                                        u"annotation", u"nonshppict",
                                                        u"userprops",  u"template"};
    for (const QStringView name : skipped) {
        if (word == name) {
            s.destination = Destination::Skip;
            return;
        }
    }
    if (s.destination == Destination::ListText)
        return; // the formatting of the bullet itself

    // Text.
    if (word == u"par" || word == u"cell" || word == u"nestcell") {
        endParagraph();
    } else if (word == u"row" || word == u"nestrow") {
        if (!currentRuns_.empty())
            endParagraph();
    } else if (word == u"line") {
        addText(u'\u2028');
    } else if (word == u"tab") {
        addText(u'\t');
    } else if (word == u"emdash") {
        addText(u'\u2014');
    } else if (word == u"endash") {
        addText(u'\u2013');
    } else if (word == u"lquote") {
        addText(u'\u2018');
    } else if (word == u"rquote") {
        addText(u'\u2019');
    } else if (word == u"ldblquote") {
        addText(u'\u201C');
    } else if (word == u"rdblquote") {
        addText(u'\u201D');
    } else if (word == u"bullet") {
        addText(u'\u2022');
    } else if (word == u"emspace") {
        addText(u'\u2003');
    } else if (word == u"enspace") {
        addText(u'\u2002');
    }
    // Character formatting.
    else if (word == u"b") {
        s.bold = on;
    } else if (word == u"i") {
        s.italic = on;
    } else if (word == u"ul" || word == u"uld" || word == u"uldb" || word == u"ulw" || word == u"uldash" ||
               word == u"ulth" || word == u"ulwave") {
        s.underline = on;
    } else if (word == u"ulnone") {
        s.underline = false;
    } else if (word == u"strike" || word == u"striked") {
        s.strikeOut = on;
    } else if (word == u"f") {
        s.font = param;
    } else if (word == u"fs") {
        s.halfPoints = hasParam ? std::clamp(param, 0, 3276) : 0;
    } else if (word == u"cf") {
        s.color = std::max(param, 0);
    } else if (word == u"plain") {
        s.bold = s.italic = s.underline = s.strikeOut = false;
        s.font = -1;
        s.halfPoints = 0;
        s.color = 0;
    }
    // Paragraph formatting.
    else if (word == u"pard") {
        s.paragraph = ParagraphState{};
    } else if (word == u"ql") {
        s.paragraph.alignment = Alignment::Left;
    } else if (word == u"qc") {
        s.paragraph.alignment = Alignment::Center;
    } else if (word == u"qr") {
        s.paragraph.alignment = Alignment::Right;
    } else if (word == u"qj" || word == u"qd") {
        s.paragraph.alignment = Alignment::Justify;
    } else if (word == u"ls") {
        if (param > 0 && s.paragraph.list == ListStyle::None)
            s.paragraph.list = ListStyle::Bullet;
    } else if (word == u"ilvl") {
        s.paragraph.listLevel = std::clamp(param, 0, 8) + 1;
    }
    // Document.
    else if (word == u"deff") {
        defaultFont_ = param;
    }
}

} // namespace

QString plainText(const RichText& text)
{
    QString out;
    for (size_t p = 0; p < text.size(); ++p) {
        if (p > 0)
            out += u'\n';
        for (const TextRun& run : text[p].runs)
            out += run.text;
    }
    out.replace(u'\u2028', u'\n');
    return out;
}

bool holdsText(const RichText& text)
{
    for (const RichParagraph& paragraph : text) {
        for (const TextRun& run : paragraph.runs) {
            for (const QChar c : run.text) {
                if (!c.isSpace())
                    return true;
            }
        }
    }
    return false;
}

RichText readRtf(QStringView rtf)
{
    qsizetype start = 0;
    while (start < rtf.size() && (rtf[start].isSpace() || rtf[start] == u'\uFEFF'))
        ++start;
    if (rtf.sliced(start).startsWith(u"{\\rtf"))
        return Reader(rtf.sliced(start)).read();

    // Not RTF: plain text, shown as it is.
    RichText out;
    RichParagraph paragraph;
    QString line;
    auto endLine = [&] {
        paragraph.runs.clear();
        if (!line.isEmpty())
            paragraph.runs.push_back(TextRun{line, {}});
        out.push_back(paragraph);
        line.clear();
    };
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char16_t c = rtf[i].unicode();
        if (c == u'\r' || c == u'\n') {
            endLine();
            if (c == u'\r' && i + 1 < rtf.size() && rtf[i + 1] == u'\n')
                ++i;
        } else if (c >= 0x20 || c == u'\t') {
            line += QChar(c);
        }
    }
    if (!line.isEmpty())
        endLine();
    return out;
}

RichText readRtfBytes(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return readRtf(QString::fromUtf8(bytes.sliced(3)));
    return readRtf(platform::decodeCp1252(bytes));
}

} // namespace vardelo::rtf
