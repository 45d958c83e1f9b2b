#include "report/ReportLayout.h"

#include "report/PdfFile.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace vardelo::report {

namespace {

// Texts and rich fields are measured on a device of the report's own resolution, so that the pages
// come out the same whatever the screen.
QPaintDevice& measuringDevice()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dotsPerMeter = qRound(ReportLayout::Dpi / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

QFont fontOf(const FieldStyle& style)
{
    // Arial where it is installed; the font configuration gives its metric twin Liberation Sans
    // elsewhere.
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(style.pixelSize);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    return font;
}

constexpr int TextFlags = Qt::TextWordWrap;

QPageLayout a4Layout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

} // namespace

Band& Band::line(double gapAbove)
{
    lines_.push_back(BandLine{gapAbove, {}});
    return *this;
}

Band& Band::text(const QString& name, double x, double width, const FieldStyle& style, const QString& text,
                 double minHeight)
{
    if (lines_.empty())
        line();
    lines_.back().fields.push_back(Field{name, x, width, minHeight, style, text, nullptr});
    return *this;
}

Band& Band::rich(const QString& name, double x, double width, double minHeight)
{
    if (lines_.empty())
        line();
    auto document = std::make_shared<QTextDocument>();
    document->documentLayout()->setPaintDevice(&measuringDevice());
    document->setDefaultFont(fontOf(FieldStyle{}));
    document->setDocumentMargin(0);
    lines_.back().fields.push_back(Field{name, x, width, minHeight, FieldStyle{}, QString(), document});
    return *this;
}

Band& Band::box(int firstLine, const QColor& fill, double padding)
{
    boxes_.push_back(BandBox{firstLine, currentLine(), fill, padding});
    return *this;
}

Field* Band::find(const QString& name)
{
    for (BandLine& l : lines_)
        for (Field& f : l.fields)
            if (f.name == name)
                return &f;
    return nullptr;
}

ReportLayout::ReportLayout()
{
    const QRectF area = a4Layout().paintRect(QPageLayout::Point);
    pageWidth_ = area.width() * Dpi / 72;
    pageHeight_ = area.height() * Dpi / 72;
}

ReportLayout::~ReportLayout() = default;

bool ReportLayout::setText(const QString& name, const QString& text)
{
    for (Band* band : {&header, &dataBand, &footer})
        if (Field* f = band->find(name); f && !f->rich) {
            f->text = text;
            return true;
        }
    return false;
}

QTextDocument* ReportLayout::richField(const QString& name)
{
    for (Band* band : {&header, &dataBand, &footer})
        if (Field* f = band->find(name); f && f->rich)
            return f->rich.get();
    return nullptr;
}

void ReportLayout::setData(const QStringList& columns, std::vector<QStringList> rows)
{
    columns_ = columns;
    rows_ = std::move(rows);
}

QString ReportLayout::fieldText(const Field& field, const QStringList* row, int pageNumber) const
{
    if (row) {
        const qsizetype column = columns_.indexOf(field.name);
        if (column >= 0)
            return row->value(column);
    }
    QString text = field.text;
    if (pageNumber > 0) {
        text.replace(QLatin1String("[Page#]"), QString::number(pageNumber));
        text.replace(QLatin1String("[TotalPages#]"), QString::number(pageCount()));
    }
    return text;
}

ReportLayout::Measured ReportLayout::measure(const Band& band, const QStringList* row) const
{
    Measured m;
    double y = 0;
    for (const BandLine& line : band.lines()) {
        y += line.gapAbove;
        double height = 0;
        for (const Field& field : line.fields) {
            double h = field.minHeight;
            if (field.rich) {
                field.rich->setTextWidth(field.width);
                h = std::max(h, field.rich->size().height());
            } else {
                // Page numbers are measured at their widest.
                const QString text = fieldText(field, row, 0)
                                         .replace(QLatin1String("[Page#]"), QLatin1String("9999"))
                                         .replace(QLatin1String("[TotalPages#]"), QLatin1String("9999"));
                const QFontMetricsF metrics(fontOf(field.style), &measuringDevice());
                h = std::max(h, text.isEmpty() ? metrics.height()
                                               : metrics
                                                     .boundingRect(QRectF(0, 0, field.width, 1e6),
                                                                   TextFlags | field.style.alignment, text)
                                                     .height());
            }
            height = std::max(height, h);
        }
        m.lineTops.push_back(y);
        m.lineHeights.push_back(height);
        y += height;
    }
    // The last box's padding belongs to the band.
    for (const BandBox& box : band.boxes())
        if (box.lastLine == int(band.lines().size()) - 1)
            y += box.padding;
    m.height = y;
    return m;
}

void ReportLayout::prepare()
{
    headerSize_ = measure(header, nullptr);
    footerSize_ = measure(footer, nullptr);
    rowSizes_.clear();
    for (const QStringList& row : rows_)
        rowSizes_.push_back(measure(dataBand, &row));

    // Each page takes the rows that fit between its header and its footer, and at least one, so that
    // a header taller than the page can never stop the report.
    const double room = pageHeight_ - headerSize_.height - footerSize_.height;
    pages_.clear();
    Page page;
    double used = 0;
    for (int i = 0; i < int(rows_.size()); ++i) {
        const double h = rowSizes_[size_t(i)].height;
        if (page.rowCount > 0 && used + h > room) {
            pages_.push_back(page);
            page = Page{i, 0};
            used = 0;
        }
        ++page.rowCount;
        used += h;
    }
    pages_.push_back(page);
}

double ReportLayout::paintBand(QPainter& painter, const Band& band, const Measured& m, double top,
                               const QStringList* row, int pageNumber) const
{
    painter.setPen(Qt::NoPen);
    for (const BandBox& box : band.boxes()) {
        const double y0 = top + m.lineTops[size_t(box.firstLine)] - box.padding;
        const double y1 =
            top + m.lineTops[size_t(box.lastLine)] + m.lineHeights[size_t(box.lastLine)] + box.padding;
        painter.setBrush(box.fill);
        painter.drawRoundedRect(QRectF(0, y0, pageWidth_, y1 - y0), 6, 6);
    }
    for (size_t i = 0; i < band.lines().size(); ++i) {
        const double y = top + m.lineTops[i];
        for (const Field& field : band.lines()[i].fields) {
            if (field.rich) {
                painter.save();
                painter.translate(field.x, y);
                field.rich->drawContents(&painter, QRectF(0, 0, field.width, m.lineHeights[i]));
                painter.restore();
                continue;
            }
            painter.setFont(fontOf(field.style));
            painter.setPen(field.style.color);
            painter.drawText(QRectF(field.x, y, field.width, m.lineHeights[i]),
                             TextFlags | field.style.alignment, fieldText(field, row, pageNumber));
        }
    }
    return m.height;
}

void ReportLayout::paintPage(QPainter& painter, int index) const
{
    const Page& page = pages_.at(size_t(index));
    // The footer keeps to the foot of every page, with the disclaimer and the page number: a header
    // taller than the page is cut above it rather than pushing it off the page.
    const double footerTop = pageHeight_ - footerSize_.height;
    painter.save();
    painter.setClipRect(QRectF(0, 0, pageWidth_, footerTop));
    double y = paintBand(painter, header, headerSize_, 0, nullptr, index + 1);
    for (int r = page.firstRow; r < page.firstRow + page.rowCount; ++r) {
        const QStringList& row = rows_[size_t(r)];
        y += paintBand(painter, dataBand, rowSizes_[size_t(r)], y, &row, index + 1);
    }
    painter.restore();
    paintBand(painter, footer, footerSize_, footerTop, nullptr, index + 1);
}

QByteArray ReportLayout::pdf(const DocumentProperties& properties) const
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(int(Dpi));
        writer.setPageLayout(a4Layout());
        writer.setTitle(properties.title);
        writer.setCreator(properties.creator);
        QPainter painter(&writer);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < pageCount(); ++i) {
            if (i > 0)
                writer.newPage();
            paintPage(painter, i);
        }
    }
    buffer.close();
    return withDocumentInfo(buffer.data(), properties);
}

} // namespace vardelo::report
