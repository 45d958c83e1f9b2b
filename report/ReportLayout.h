#pragma once
// A small report engine: a page header and a page footer printed on every page, and one data band
// printed once per data row between them. Bands are stacks of lines; a line holds fields side by
// side, fixed text fields or rich-text fields, and is as tall as its tallest field, so that a field
// that grows with its content pushes what lies below it. Fields are found by their name and filled
// before each run. Units are 1/96 inch, x measured from the left margin.
//
// In a text field "[Page#]" and "[TotalPages#]" become the page number and the page count; in the
// data band a field named after a data column shows that column's value of the row.

#include <QColor>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QPainter;
class QTextDocument;

namespace vardelo::report {

struct FieldStyle {
    int pixelSize = 13;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor color = Qt::black;
    Qt::Alignment alignment = Qt::AlignLeft;
};

struct Field {
    QString name;
    double x = 0;
    double width = 0;
    double minHeight = 0;
    FieldStyle style;
    QString text;
    std::shared_ptr<QTextDocument> rich; // set for a rich-text field
};

struct BandLine {
    double gapAbove = 0;
    std::vector<Field> fields;
};

// A rounded rectangle across the band's width behind a run of its lines.
struct BandBox {
    int firstLine = 0;
    int lastLine = 0;
    QColor fill;
    double padding = 4;
};

class Band {
public:
    // Starts a new line, gapAbove units below the previous one.
    Band& line(double gapAbove = 0);
    Band& text(const QString& name, double x, double width, const FieldStyle& style = {},
               const QString& text = QString(), double minHeight = 0);
    Band& rich(const QString& name, double x, double width, double minHeight = 0);
    // A box behind the lines from firstLine to the current one.
    Band& box(int firstLine, const QColor& fill, double padding = 4);
    int currentLine() const { return int(lines_.size()) - 1; }

    Field* find(const QString& name);
    std::vector<BandLine>& lines() { return lines_; }
    const std::vector<BandLine>& lines() const { return lines_; }
    const std::vector<BandBox>& boxes() const { return boxes_; }

private:
    std::vector<BandLine> lines_;
    std::vector<BandBox> boxes_;
};

// The properties written into the PDF file.
struct DocumentProperties {
    QString title;
    QString subject;
    QString author;
    QString creator;
    QString producer;
};

class ReportLayout {
public:
    ReportLayout();
    ~ReportLayout();

    Band header;
    Band dataBand;
    Band footer;

    // Sets a text field of any band; false when no field has that name.
    bool setText(const QString& name, const QString& text);
    // The document of a rich field, to be filled by the caller (nullptr when no field has that name).
    QTextDocument* richField(const QString& name);

    void setData(const QStringList& columns, std::vector<QStringList> rows);

    // Lays the pages out; pageCount() and paintPage() then use it.
    void prepare();
    int pageCount() const { return int(pages_.size()); }
    // Paints page index (0-based) with the painter's origin at the printable area's corner.
    void paintPage(QPainter& painter, int index) const;

    // The prepared report as a PDF document: A4 portrait, 10 mm margins.
    QByteArray pdf(const DocumentProperties& properties) const;

    static constexpr double Dpi = 96;

private:
    struct Page {
        int firstRow = 0;
        int rowCount = 0;
    };
    struct Measured {
        std::vector<double> lineTops;
        std::vector<double> lineHeights;
        double height = 0;
    };
    Measured measure(const Band& band, const QStringList* row) const;
    double paintBand(QPainter& painter, const Band& band, const Measured& m, double top,
                     const QStringList* row, int pageNumber) const;
    QString fieldText(const Field& field, const QStringList* row, int pageNumber) const;

    QStringList columns_;
    std::vector<QStringList> rows_;
    std::vector<Page> pages_;
    Measured headerSize_;
    Measured footerSize_;
    std::vector<Measured> rowSizes_;
    double pageWidth_ = 0;
    double pageHeight_ = 0;
};

} // namespace vardelo::report
