#include "report/DiagnosisReport.h"

#include "case/CaseModel.h"
#include "kb/Query.h"
#include "kb/Sqlite.h"
#include "report/PdfFile.h"
#include "rtf/RtfDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

namespace vardelo::report {

namespace {

const QString ProductName = QStringLiteral("Vardelo");
const QString ReportSubject = QStringLiteral("Historique des scores");
const QString ReportAuthor = QStringLiteral("Vardelo, aide au diagnostic");

const QColor TitleBlue(0, 128, 192);
const QColor TooltipYellow(255, 255, 225);
const QColor Light3D(227, 227, 227);
const QColor Green(0, 128, 0);
const QColor Blue(0, 0, 255);

constexpr double Width = 718; // the printable width at 96 units an inch

FieldStyle style(int pixelSize, const QColor& color, bool bold = false)
{
    FieldStyle s;
    s.pixelSize = pixelSize;
    s.color = color;
    s.bold = bold;
    return s;
}

void buildLayout(ReportLayout& layout)
{
    const FieldStyle title = style(19, Qt::white, true);
    const FieldStyle label = style(13, Qt::black, true);
    const FieldStyle value = style(13, Qt::black);
    const FieldStyle heading = style(16, Green, true);
    const FieldStyle column = style(16, Blue, true);

    Band& h = layout.header;
    h.line(5).text(QStringLiteral("Memo1"), 12, 228, title).text(QStringLiteral("Memo3"), 240, 460, title);
    h.box(0, TitleBlue, 5);
    h.line(16)
        .text(QStringLiteral("NameLabel"), 12, 40, label, QStringLiteral("Nom"))
        .text(QStringLiteral("NameColon"), 54, 10, label, QStringLiteral(":"))
        .text(QStringLiteral("Memo10"), 68, 640, value);
    const int patientFirst = h.currentLine();
    h.line(2)
        .text(QStringLiteral("SexLabel"), 12, 40, label, QStringLiteral("Sexe"))
        .text(QStringLiteral("SexColon"), 54, 10, label, QStringLiteral(":"))
        .text(QStringLiteral("Memo11"), 68, 640, value);
    h.line(2)
        .text(QStringLiteral("AgeLabel"), 12, 40, label, QStringLiteral("Age"))
        .text(QStringLiteral("AgeColon"), 54, 10, label, QStringLiteral(":"))
        .text(QStringLiteral("Memo12"), 68, 640, value);
    h.box(patientFirst, TooltipYellow, 5);
    h.line(16).text(QStringLiteral("Memo13"), 4, 700, heading);
    h.line(3).rich(QStringLiteral("Rich1"), 12, 696);
    h.line(10).text(QStringLiteral("Memo14"), 4, 700, heading);
    h.line(3).rich(QStringLiteral("Rich2"), 12, 696);
    h.line(10).text(QStringLiteral("Memo15"), 4, 700, heading);
    h.line(3).rich(QStringLiteral("Rich3"), 12, 696);
    FieldStyle analysis = style(16, Qt::black, true);
    analysis.underline = true;
    h.line(14).text(QStringLiteral("Memo16"), 4, 700, analysis);
    FieldStyle ranking = style(16, Blue);
    ranking.alignment = Qt::AlignRight;
    h.line(10)
        .text(QStringLiteral("Memo17"), 12, 60, column)
        .text(QStringLiteral("Memo18"), 80, 420, column)
        .text(QStringLiteral("Memo20"), 500, 208, ranking);
    h.line(4);

    FieldStyle mark = style(13, QColor(192, 0, 0), true);
    mark.alignment = Qt::AlignRight;
    layout.dataBand.line(2)
        .text(QStringLiteral("P"), 12, 60, value)
        .text(QStringLiteral("F"), 80, 540, value)
        .text(QStringLiteral("U"), 624, 84, mark);

    Band& f = layout.footer;
    f.line(10)
        .text(QStringLiteral("Memo21"), 12, 170, style(16, Blue, true))
        .text(QStringLiteral("Memo22"), 184, 522, style(13, Green), QString(), 18);
    f.box(0, Light3D, 5);
    FieldStyle disclaimer = style(16, Qt::white, true);
    disclaimer.alignment = Qt::AlignHCenter;
    f.line(14).text(QStringLiteral("Memo23"), 0, Width, disclaimer);
    f.box(1, TitleBlue, 5);
    FieldStyle page = style(13, Qt::black);
    page.italic = true;
    page.alignment = Qt::AlignHCenter;
    f.line(10).text(QStringLiteral("Memo19"), 0, Width, page);
}

QTextCharFormat runFormat(const model::FormattedRun& run)
{
    QTextCharFormat format;
    format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    format.setForeground(run.blue ? Blue : QColor(Qt::black));
    return format;
}

void showDotted(QTextDocument& document)
{
    document.clear();
    document.setPlainText(dottedLine());
}

void showSigns(QTextDocument& document, const QStringList& formula)
{
    document.clear();
    const auto runs = model::Affiche_SC(formula);
    QTextCursor cursor(&document);
    for (const model::FormattedRun& run : runs)
        cursor.insertText(run.text, runFormat(run));
    if (document.toPlainText().trimmed().isEmpty())
        showDotted(document);
}

void showExams(QTextDocument& document, const QStringList& lines)
{
    document.clear();
    QTextCursor cursor(&document);
    bool first = true;
    for (const model::ExamParagraph& paragraph : model::Affiche_EC(lines)) {
        if (!first)
            cursor.insertBlock();
        first = false;
        if (paragraph.bullet) {
            QTextListFormat list;
            list.setStyle(QTextListFormat::ListDisc);
            cursor.createList(list);
        }
        for (const model::FormattedRun& run : paragraph.runs)
            cursor.insertText(run.text, runFormat(run));
    }
    if (document.toPlainText().trimmed().isEmpty())
        showDotted(document);
}

void showNotes(QTextDocument& document, const QString& rtf)
{
    rtf::setDocumentRtf(document, rtf);
    if (document.toPlainText().trimmed().isEmpty())
        showDotted(document);
}

} // namespace

QString dottedLine()
{
    return QStringList(39, QStringLiteral(".")).join(u' ');
}

DiagnosisReport::DiagnosisReport()
{
    buildLayout(layout_);
}

void DiagnosisReport::fillFields(const ReportContent& c)
{
    ReportLayout& l = layout_;
    l.setText(QStringLiteral("Memo1"), QStringLiteral("Logiciel Vardelo version "));
    // Printed as it is: the version is never evaluated as an expression.
    l.setText(QStringLiteral("Memo3"), c.kbVersion);
    l.setText(QStringLiteral("Memo10"), c.caseName);
    l.setText(QStringLiteral("Memo11"), c.sexCaption);
    l.setText(QStringLiteral("Memo12"), c.ageCaption);
    l.setText(QStringLiteral("Memo16"), c.analysisName.isEmpty() ? LinearAnalysis : c.analysisName);
    l.setText(QStringLiteral("Memo13"), QStringLiteral("Notes :"));
    showNotes(*l.richField(QStringLiteral("Rich1")), c.notesRtf);
    l.setText(QStringLiteral("Memo14"), engine::CaptionSigns + QStringLiteral(" :"));
    showSigns(*l.richField(QStringLiteral("Rich2")), c.signFormula);
    l.setText(QStringLiteral("Memo15"), engine::CaptionExams + QStringLiteral(" :"));
    showExams(*l.richField(QStringLiteral("Rich3")), c.examLines);
    l.setText(QStringLiteral("Memo21"), QStringLiteral("Diagnostic retenu : "));
    l.setText(QStringLiteral("Memo22"),
              c.retainedDiagnosis.isEmpty() ? QStringLiteral("?") : c.retainedDiagnosis);
    l.setText(
        QStringLiteral("Memo23"),
        QStringLiteral("Le médecin reste le seul responsable de la validité du diagnostic et du traitement"));
    l.setText(QStringLiteral("Memo19"), QStringLiteral("- Page [Page#] sur [TotalPages#] -"));
    l.setText(QStringLiteral("Memo20"), u'(' + c.rankingCaption + u')');
    l.setText(QStringLiteral("Memo17"), c.percentCaption);
    l.setText(QStringLiteral("Memo18"), c.diagnosesCaption);
    emergencies_.clear();
    for (const engine::DiagnosisRow& row : c.rows)
        emergencies_.push_back(row.emergency);
}

void DiagnosisReport::prepare(kb::Query& query, const ReportContent& content)
{
    fillFields(content);
    {
        // One transaction for the whole list: a durable write per row would make a long list slow.
        kb::Transaction transaction(query.connection());
        query.execSql(QStringLiteral("delete from Report"));
        query.open(QStringLiteral("select * from Report"));
        for (const engine::DiagnosisRow& row : content.rows) {
            query.append();
            query.setField(QStringLiteral("P"), row.percent);
            query.setField(QStringLiteral("F"), row.name);
            query.post();
        }
        transaction.commit();
    }
    // The band reads the rows as the table gives them back: in the order they were added.
    query.open(QStringLiteral("select * from Report"));
    std::vector<QStringList> rows;
    for (query.first(); !query.eof(); query.next()) {
        const bool emergency = rows.size() < emergencies_.size() && emergencies_[rows.size()];
        rows.push_back({query.field(QStringLiteral("P")), query.field(QStringLiteral("F")),
                        emergency ? EmergencyMark : QString()});
    }
    query.close();
    layout_.setData({QStringLiteral("P"), QStringLiteral("F"), QStringLiteral("U")}, std::move(rows));
    layout_.prepare();
}

QByteArray DiagnosisReport::pdf() const
{
    return layout_.pdf(
        DocumentProperties{ProductName, ReportSubject, ReportAuthor, ProductName, ProductName});
}

bool DiagnosisReport::write(const QString& path, QString* error) const
{
    return writeFileAtomically(path, pdf(), error);
}

void emptyReportTable(kb::Query& query)
{
    query.execSql(QStringLiteral("delete from Report"));
}

QString proposedReportName(const QString& folder)
{
    const QDir dir(folder);
    for (int i = 1;; ++i) {
        const QString name = QStringLiteral("Diagnostic%1.pdf").arg(i);
        if (!QFileInfo::exists(dir.filePath(name)))
            return name;
    }
}

namespace {

// A stored path may come from either system: both separators end the folder part.
qsizetype fileNameStart(const QString& path)
{
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1;
}

} // namespace

bool isPratiloExecutable(const QString& path)
{
    return path.mid(fileNameStart(path)).compare(PratiloExecutable, Qt::CaseInsensitive) == 0;
}

QString exportFolder(const QString& executablePath)
{
    return executablePath.left(fileNameStart(executablePath)) + QStringLiteral("Export");
}

QString exportFile(const QString& executablePath)
{
    return exportFolder(executablePath) + u'/' + ExportFileName;
}

bool writeExport(const DiagnosisReport& report, const QString& executablePath, QString* error)
{
    const QString folder = exportFolder(executablePath);
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("Impossible de créer le dossier « %1 ».")
                         .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    return report.write(exportFile(executablePath), error);
}

} // namespace vardelo::report
