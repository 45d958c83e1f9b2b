// Recognition of typed texts (one to four words, with the usual misspellings) on the bundled
// knowledge base and on the ones ten and fifty times larger. "WiderSigns" times findings that the
// strict search answers with nothing, through the recognition the sign entry uses: it must stay
// under 5 ms on the base ten times larger.
//
// Each iteration searches the next text of the list; the counter median_ms is the median time of
// one search over all iterations. "Warm" keeps what the searches remember of words already
// typed, as the exam search does while the physician types; "FirstTime" forgets it before every
// search, so that each word is corrected and looked up anew; "Literal" is the step-by-step form
// the others are checked against.

#include "kb/Query.h"
#include "recognition/Recognition.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <functional>
#include <map>
#include <memory>
#include <vector>

using namespace vardelo;

namespace {

const QStringList SignTexts = {
    QStringLiteral("douleur thoraciq"),
    QStringLiteral("mal au ventre"),
    QStringLiteral("toux depuis 3 semaines"),
    QStringLiteral("cefalee"),
    QStringLiteral("fievre"),
    QStringLiteral("vomissemnts"),
    QStringLiteral("essouflement a l'effort"),
    QStringLiteral("doulleur abdominale"),
    QStringLiteral("brulure mictionelle"),
    QStringLiteral("palpitation"),
    QStringLiteral("diarhee"),
    QStringLiteral("vertige rotatoire"),
    QStringLiteral("eruption cutanee"),
    QStringLiteral("sang dans les urines"),
    QStringLiteral("fatigue"),
    QStringLiteral("perte de poid"),
};

// Findings the strict search answers with nothing, so that recognition takes the wider path:
// qualifying words, words that no sign holds together, letters swapped.
const QStringList WiderTexts = {
    QStringLiteral("syncope brutale"),
    QStringLiteral("douleur lombaire gauche brutale"),
    QStringLiteral("vertige rotatoire brutal"),
    QStringLiteral("douleur du coude en montant les escaliers"),
    QStringLiteral("fiever"),
    QStringLiteral("nausees matinales violentes"),
    QStringLiteral("toux grasse nocturne fievre"),
    QStringLiteral("tuox"),
};

const QStringList ExamTexts = {
    QStringLiteral("radio thorax"),    QStringLiteral("crp elevee"),  QStringLiteral("ecg sus decalage"),
    QStringLiteral("glycemie"),        QStringLiteral("echographie"), QStringLiteral("hemoglobine basse"),
    QStringLiteral("troponine"),       QStringLiteral("bandelette"),  QStringLiteral("scaner"),
    QStringLiteral("ionogramme sang"),
};

const QStringList PathologyTexts = {
    QStringLiteral("angine"),    QStringLiteral("infarctus du myocarde"),
    QStringLiteral("pneumonie"), QStringLiteral("l'estomac"),
    QStringLiteral("diabete"),   QStringLiteral("insuffisance cardiaque"),
    QStringLiteral("lombalgie"), QStringLiteral("migraine"),
};

// A pasted paragraph, to check that absurd inputs stay within a few searches' time.
QString paste()
{
    const QString sentence =
        QStringLiteral("Patient de 54 ans, douleur thoracique constrictive depuis trois jours, "
                       "irradiant au bras gauche, avec sueurs et nausées. ");
    return sentence.repeated(2000 / sentence.size() + 1).left(2000);
}

struct Base {
    std::unique_ptr<kb::Connection> connection;
    std::unique_ptr<kb::Query> query;
};

kb::Query& base(const char* path)
{
    static std::map<std::string, Base> bases;
    Base& b = bases[path];
    if (!b.query) {
        b.connection =
            std::make_unique<kb::Connection>(QString::fromUtf8(path), kb::Connection::Mode::ReadOnly);
        b.query = std::make_unique<kb::Query>(*b.connection);
    }
    return *b.query;
}

enum class Mode { Warm, FirstTime, Literal };

void measure(benchmark::State& state, const QStringList& texts,
             const std::function<QStringList(kb::Query&, const QString&)>& search, kb::Query& query,
             Mode mode)
{
    // One search outside the measure reads the knowledge, as the program's first search does.
    search(query, texts.first());
    std::vector<double> samples;
    qsizetype next = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        if (mode == Mode::FirstTime) {
            state.PauseTiming();
            recognition::ForgetWordResults();
            state.ResumeTiming();
        }
        QElapsedTimer timer;
        timer.start();
        const QStringList result = search(query, texts.at(next));
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
        found += std::size_t(result.size());
        benchmark::DoNotOptimize(result);
        next = (next + 1) % texts.size();
    }
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples.empty() ? 0.0 : samples[samples.size() / 2];
    state.counters["candidates"] = samples.empty() ? 0.0 : double(found) / double(samples.size());
}

void Signs(benchmark::State& state, const char* path, Mode mode)
{
    const auto search = [mode](kb::Query& q, const QString& text) {
        return mode == Mode::Literal
                   ? recognition::literal::RechercheSC(q, QStringLiteral("SC"), text, u'h',
                                                       QStringLiteral("3"))
                   : recognition::RechercheSC(q, QStringLiteral("SC"), text, u'h', QStringLiteral("3"));
    };
    measure(state, SignTexts, search, base(path), mode);
}

// Recognition as the sign entry runs it, on findings that take the wider path.
void WiderSigns(benchmark::State& state, const char* path, Mode mode)
{
    kb::Query& query = base(path);
    for (const QString& text : WiderTexts) {
        if (!recognition::RechercheSC(query, QStringLiteral("SC"), text, u'h', QStringLiteral("3"))
                 .isEmpty()) {
            state.SkipWithError(("the strict search finds " + text.toStdString()).c_str());
            return;
        }
    }
    const auto search = [](kb::Query& q, const QString& text) {
        return recognition::Recognize(q, QStringLiteral("SC"), text, u'h', QStringLiteral("3")).candidates;
    };
    measure(state, WiderTexts, search, query, mode);
}

void Exams(benchmark::State& state, const char* path, Mode mode)
{
    const auto search = [](kb::Query& q, const QString& text) {
        return recognition::RechercheSC(q, QStringLiteral("EC"), text, u'f', QStringLiteral("2"));
    };
    measure(state, ExamTexts, search, base(path), mode);
}

void Paste(benchmark::State& state, const char* path, Mode mode)
{
    const auto search = [](kb::Query& q, const QString& text) {
        return recognition::RechercheSC(q, QStringLiteral("SC"), text, u'h', QStringLiteral("3"));
    };
    measure(state, {paste()}, search, base(path), mode);
}

void Pathologies(benchmark::State& state, const char* path, Mode mode)
{
    const auto search = [mode](kb::Query& q, const QString& text) {
        return mode == Mode::Literal ? recognition::literal::RechercheP(q, text)
                                     : recognition::RechercheP(q, text);
    };
    measure(state, PathologyTexts, search, base(path), mode);
}

// A search right after a case was saved, as the program searches after every write of its working
// tables: the remembered knowledge must survive the write. Runs on a copy of the base, with and
// without the save before each search, so that the two are measured alike. A third run does other
// work between the searches instead (it walks 32 MB of memory, as drawing the window or evaluating
// would), so that what the save costs can be told from what any work between two keystrokes costs:
// the processor's caches no longer hold what the search reads. The fourth run saves and does that
// other work: against the third, it shows what the save alone adds when both start cold, as every
// search of the program does after the window has been drawn.
enum class Between { Nothing, Save, OtherWork, SaveAndOtherWork };

void SignsAfterSave(benchmark::State& state, const char* path, Between between)
{
    QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("Data.vdat"));
    if (!QFile::copy(QString::fromUtf8(path), copy)) {
        state.SkipWithError("the base could not be copied");
        return;
    }
    kb::Connection connection(copy, kb::Connection::Mode::ReadWrite);
    kb::Query query(connection);
    const auto search = [&query](const QString& text) {
        return recognition::RechercheSC(query, QStringLiteral("SC"), text, u'h', QStringLiteral("3"));
    };
    search(SignTexts.first());
    std::vector<double> samples;
    const bool saves = between == Between::Save || between == Between::SaveAndOtherWork;
    const bool works = between == Between::OtherWork || between == Between::SaveAndOtherWork;
    std::vector<char> otherWork(works ? size_t(32) << 20 : 0);
    qsizetype next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (saves)
            connection.exec(QStringLiteral("insert into Fiche (ID, SC) values ('Dupont', 'Fièvre')"));
        if (works) {
            for (size_t i = 0; i < otherWork.size(); i += 64)
                otherWork[i] = char(otherWork[i] + 1);
            benchmark::DoNotOptimize(otherWork.data());
        }
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        const QStringList result = search(SignTexts.at(next));
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
        benchmark::DoNotOptimize(result);
        next = (next + 1) % SignTexts.size();
    }
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples.empty() ? 0.0 : samples[samples.size() / 2];
}

// The knowledge read again before each search: the first search after the program starts.
void FirstSearch(benchmark::State& state, const char* path)
{
    kb::Query& query = base(path);
    for (auto _ : state) {
        recognition::ForgetKnowledge();
        benchmark::DoNotOptimize(recognition::RechercheSC(
            query, QStringLiteral("SC"), QStringLiteral("fievre"), u'h', QStringLiteral("3")));
    }
}

} // namespace

#define VARDELO_ON_EVERY_BASE(function, mode)                                                                \
    BENCHMARK_CAPTURE(function, bundled_##mode, VARDELO_DATA, Mode::mode)->Unit(benchmark::kMillisecond);    \
    BENCHMARK_CAPTURE(function, x10_##mode, VARDELO_DATA_X10, Mode::mode)->Unit(benchmark::kMillisecond);    \
    BENCHMARK_CAPTURE(function, x50_##mode, VARDELO_DATA_X50, Mode::mode)->Unit(benchmark::kMillisecond)

VARDELO_ON_EVERY_BASE(Signs, Warm);
VARDELO_ON_EVERY_BASE(Signs, FirstTime);
VARDELO_ON_EVERY_BASE(Signs, Literal);
VARDELO_ON_EVERY_BASE(WiderSigns, Warm);
VARDELO_ON_EVERY_BASE(WiderSigns, FirstTime);
VARDELO_ON_EVERY_BASE(Exams, Warm);
VARDELO_ON_EVERY_BASE(Exams, FirstTime);
VARDELO_ON_EVERY_BASE(Paste, FirstTime);
VARDELO_ON_EVERY_BASE(Pathologies, Warm);
VARDELO_ON_EVERY_BASE(Pathologies, FirstTime);
BENCHMARK_CAPTURE(FirstSearch, bundled, VARDELO_DATA)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstSearch, x10, VARDELO_DATA_X10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstSearch, x50, VARDELO_DATA_X50)->Unit(benchmark::kMillisecond);
#define VARDELO_AFTER_SAVE(name, path)                                                                       \
    BENCHMARK_CAPTURE(SignsAfterSave, name##_NoSave, path, Between::Nothing)->Unit(benchmark::kMillisecond); \
    BENCHMARK_CAPTURE(SignsAfterSave, name##_Saved, path, Between::Save)->Unit(benchmark::kMillisecond);     \
    BENCHMARK_CAPTURE(SignsAfterSave, name##_OtherWork, path, Between::OtherWork)                            \
        ->Unit(benchmark::kMillisecond);                                                                     \
    BENCHMARK_CAPTURE(SignsAfterSave, name##_SavedAndOtherWork, path, Between::SaveAndOtherWork)             \
        ->Unit(benchmark::kMillisecond)

VARDELO_AFTER_SAVE(bundled, VARDELO_DATA);
VARDELO_AFTER_SAVE(x10, VARDELO_DATA_X10);
VARDELO_AFTER_SAVE(x50, VARDELO_DATA_X50);
