#include "kb/JetFunctions.h"

#include "kb/Sqlite.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <sqlite3.h>
#include <string>

namespace vardelo::kb {

namespace {

// Base letter of the accented Latin letters, so that "Érythème" sorts among the E.
struct BaseLetters {
    std::array<char16_t, 0x250> table{};
    BaseLetters()
    {
        for (char16_t c = 0; c < table.size(); ++c) {
            table[c] = c;
            const QString decomposed = QChar(c).decomposition();
            if (QChar(c).decompositionTag() == QChar::Canonical && !decomposed.isEmpty())
                table[c] = decomposed.at(0).unicode();
        }
    }
};

char16_t baseUnit(char16_t c)
{
    static const BaseLetters letters;
    const char16_t folded = foldUnit(c);
    return folded < letters.table.size() ? foldUnit(letters.table[folded]) : folded;
}

// The matcher works on folded text; the buffer is reused so that a query over thousands
// of rows does not allocate per row.
bool likeFolded(std::u16string_view pattern, std::u16string_view text, char16_t escape)
{
    constexpr size_t None = std::u16string_view::npos;
    size_t p = 0;
    size_t t = 0;
    size_t starP = None;
    size_t starT = 0;
    const size_t m = pattern.size();
    const size_t n = text.size();
    while (t < n) {
        if (p < m) {
            const char16_t c = pattern[p];
            if (escape != 0 && c == escape && p + 1 < m) {
                if (pattern[p + 1] == text[t]) {
                    p += 2;
                    ++t;
                    continue;
                }
            } else if (c == u'%') {
                starP = ++p;
                starT = t;
                continue;
            } else if (c == u'_' || c == text[t]) {
                ++p;
                ++t;
                continue;
            }
        }
        if (starP == None)
            return false;
        p = starP;
        t = ++starT;
    }
    while (p < m && pattern[p] == u'%')
        ++p;
    return p == m;
}

// Whether text holds needle (already folded) without regard to case: the text is folded only
// where its first character matches.
bool containsFolded(std::u16string_view text, std::u16string_view needle)
{
    if (needle.size() > text.size())
        return false;
    const char16_t first = needle.front();
    const size_t last = text.size() - needle.size();
    for (size_t i = 0; i <= last; ++i) {
        const char16_t c = text[i];
        if (c != first && foldUnit(c) != first)
            continue;
        size_t k = 1;
        while (k < needle.size() && foldUnit(text[i + k]) == needle[k])
            ++k;
        if (k == needle.size())
            return true;
    }
    return false;
}

std::u16string foldToStd(const char16_t* data, size_t size)
{
    std::u16string out(size, u'\0');
    for (size_t i = 0; i < size; ++i)
        out[i] = foldUnit(data[i]);
    return out;
}

// SQLite hands out UTF-16 text where it lies in its page, not always at an even address: such text
// is copied to an aligned buffer before it is read as char16_t.
std::u16string_view utf16(const void* data, int bytes, std::u16string& buffer)
{
    const size_t size = size_t(bytes) / 2;
    if (!data || size == 0)
        return {};
    if (reinterpret_cast<std::uintptr_t>(data) % alignof(char16_t) == 0)
        return {static_cast<const char16_t*>(data), size};
    buffer.resize(size);
    std::memcpy(buffer.data(), data, size * sizeof(char16_t));
    return buffer;
}

std::u16string_view utf16(sqlite3_value* value, std::u16string& buffer)
{
    const void* data = sqlite3_value_text16(value);
    return utf16(data, sqlite3_value_bytes16(value), buffer);
}

void deleteFolded(void* p)
{
    delete static_cast<std::u16string*>(p);
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    // like(pattern, text [, escape]): SQLite passes "A LIKE B" as like(B, A).
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    thread_local std::u16string patternBuffer;
    thread_local std::u16string textBuffer;
    thread_local std::u16string escapeBuffer;
    char16_t escape = 0;
    if (argc == 3) {
        const std::u16string_view e = utf16(argv[2], escapeBuffer);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = foldUnit(e.front());
    }
    auto* pattern = static_cast<std::u16string*>(sqlite3_get_auxdata(ctx, 0));
    if (!pattern) {
        const std::u16string_view raw = utf16(argv[0], patternBuffer);
        pattern = new std::u16string(foldToStd(raw.data(), raw.size()));
        sqlite3_set_auxdata(ctx, 0, pattern, deleteFolded);
        // SQLite may have released it at once (the pattern is not a constant): read it again.
        pattern = static_cast<std::u16string*>(sqlite3_get_auxdata(ctx, 0));
        if (!pattern) {
            const std::u16string local = foldToStd(raw.data(), raw.size());
            const std::u16string_view textView = utf16(argv[1], textBuffer);
            const std::u16string text = foldToStd(textView.data(), textView.size());
            sqlite3_result_int(ctx, likeFolded(local, text, escape) ? 1 : 0);
            return;
        }
    }
    const std::u16string_view textView = utf16(argv[1], textBuffer);
    const std::u16string_view p(*pattern);
    // The program's patterns are nearly all "%", "%%" or "%text%": they need no folded copy of the text.
    if (escape == 0 && p.find_first_not_of(u'%') == std::u16string_view::npos) {
        sqlite3_result_int(ctx, 1);
        return;
    }
    if (escape == 0 && p.size() >= 3 && p.front() == u'%' && p.back() == u'%') {
        const std::u16string_view needle = p.substr(1, p.size() - 2);
        if (needle.find_first_of(u"%_") == std::u16string_view::npos) {
            sqlite3_result_int(ctx, containsFolded(textView, needle) ? 1 : 0);
            return;
        }
    }
    thread_local std::u16string text;
    text.resize(textView.size());
    for (size_t i = 0; i < textView.size(); ++i)
        text[i] = foldUnit(textView[i]);
    sqlite3_result_int(ctx, likeFolded(p, text, escape) ? 1 : 0);
}

void lenFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_value_text16(argv[0]);
    sqlite3_result_int(ctx, sqlite3_value_bytes16(argv[0]) / 2);
}

int collate(void*, int aBytes, const void* a, int bBytes, const void* b)
{
    thread_local std::u16string first;
    thread_local std::u16string second;
    const std::u16string_view x = utf16(a, aBytes, first);
    const std::u16string_view y = utf16(b, bBytes, second);
    return jetCompare(QStringView(x.data(), qsizetype(x.size())), QStringView(y.data(), qsizetype(y.size())));
}

} // namespace

QString foldCase(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = QChar(foldUnit(text[i].unicode()));
    return out;
}

bool jetLike(QStringView pattern, QStringView text, char16_t escape)
{
    const std::u16string p = foldToStd(pattern.utf16(), size_t(pattern.size()));
    const std::u16string t = foldToStd(text.utf16(), size_t(text.size()));
    return likeFolded(p, t, escape ? foldUnit(escape) : char16_t(0));
}

int jetCompare(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = baseUnit(a[i].unicode());
        const char16_t y = baseUnit(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = foldUnit(a[i].unicode());
        const char16_t y = foldUnit(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

void registerJetFunctions(sqlite3* db)
{
    const int flags = SQLITE_UTF16 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    int rc =
        sqlite3_create_function_v2(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr,
                                        nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "len", 1, flags, nullptr, lenFunction, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_collation_v2(db, JetCollation, SQLITE_UTF16, nullptr, collate, nullptr);
    if (rc != SQLITE_OK)
        throw DbError(rc, QString::fromUtf8(sqlite3_errmsg(db)));
}

} // namespace vardelo::kb
