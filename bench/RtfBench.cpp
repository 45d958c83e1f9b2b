// The RTF codec on a definition of 20 KB (French text with accents, bold and italic words, bulleted
// paragraphs): reading it, writing it, and the same through the editors' QTextDocument. Each
// benchmark is repeated; the median of the repetitions is the figure to quote.

#include "rtf/RichText.h"
#include "rtf/RtfDocument.h"

#include <QTextDocument>
#include <benchmark/benchmark.h>

using namespace vardelo;

namespace {

rtf::RichText sampleDefinition()
{
    const QString words[] = {QStringLiteral("Inflammation aiguë "),
                             QStringLiteral("des amygdales palatines, "),
                             QStringLiteral("d'origine virale "),
                             QStringLiteral("le plus souvent ; "),
                             QStringLiteral("œdème "),
                             QStringLiteral("fièvre à 39 °C, "),
                             QStringLiteral("coût < 5 € "),
                             QStringLiteral("« odynophagie » ")};
    rtf::RichText text;
    for (int p = 0; rtf::writeRichText(text).size() < 20 * 1024; ++p) {
        rtf::RichParagraph paragraph;
        paragraph.list = p % 3 == 2 ? rtf::ListStyle::Bullet : rtf::ListStyle::None;
        for (int w = 0; w < 12; ++w) {
            rtf::TextRun run{words[(p + w) % 8], {}};
            run.style.bold = w % 5 == 1;
            run.style.italic = w % 7 == 3;
            paragraph.runs.push_back(run);
        }
        text.push_back(paragraph);
    }
    return text;
}

const rtf::RichText Definition = sampleDefinition();
const QString DefinitionRtf = rtf::writeRichText(Definition);

void ReadDefinition(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(rtf::readRtf(DefinitionRtf));
    state.counters["rtf_bytes"] = double(DefinitionRtf.size());
}

void WriteDefinition(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(rtf::writeRichText(Definition));
}

void OpenInEditorDocument(benchmark::State& state)
{
    QTextDocument document;
    for (auto _ : state)
        rtf::setDocumentRtf(document, DefinitionRtf);
}

void SaveFromEditorDocument(benchmark::State& state)
{
    QTextDocument document;
    rtf::setDocumentRtf(document, DefinitionRtf);
    for (auto _ : state)
        benchmark::DoNotOptimize(rtf::documentRtf(document));
}

BENCHMARK(ReadDefinition)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(WriteDefinition)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(OpenInEditorDocument)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(SaveFromEditorDocument)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace
