#include "report/PdfFile.h"

#include "report/ReportLayout.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QSaveFile>

namespace vardelo::report {

namespace {

// A PDF text string in UTF-16BE with its byte-order mark, as hexadecimal: any character, no escape.
QByteArray textString(const QString& text)
{
    QByteArray bytes("\xFE\xFF", 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() >> 8));
        bytes.append(char(c.unicode() & 0xFF));
    }
    return '<' + bytes.toHex().toUpper() + '>';
}

} // namespace

QByteArray withDocumentInfo(const QByteArray& pdf, const DocumentProperties& properties)
{
    // The last trailer gives the size of the object table and the catalogue; the previous cross
    // reference table is found through the last "startxref".
    const qsizetype trailerAt = pdf.lastIndexOf("trailer");
    const qsizetype startAt = pdf.lastIndexOf("startxref");
    if (trailerAt < 0 || startAt < trailerAt)
        return pdf;
    const QString trailer = QString::fromLatin1(pdf.mid(trailerAt, startAt - trailerAt));
    const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("/Size\\s+(\\d+)")).match(trailer);
    const QRegularExpressionMatch root =
        QRegularExpression(QStringLiteral("/Root\\s+(\\d+\\s+\\d+\\s+R)")).match(trailer);
    const QRegularExpressionMatch previous = QRegularExpression(QStringLiteral("startxref\\s+(\\d+)"))
                                                 .match(QString::fromLatin1(pdf.mid(startAt)));
    if (!size.hasMatch() || !root.hasMatch() || !previous.hasMatch())
        return pdf;

    const int object = size.captured(1).toInt();
    QByteArray out = pdf;
    if (!out.endsWith('\n'))
        out += '\n';
    const qsizetype objectAt = out.size();
    const QString now = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss"));
    out += QByteArray::number(object) + " 0 obj\n<<\n/Title " + textString(properties.title) + "\n/Subject " +
           textString(properties.subject) + "\n/Author " + textString(properties.author) + "\n/Creator " +
           textString(properties.creator) + "\n/Producer " + textString(properties.producer) +
           "\n/CreationDate (D:" + now.toLatin1() + "Z)\n>>\nendobj\n";
    const qsizetype xrefAt = out.size();
    out += "xref\n0 1\n0000000000 65535 f \n" + QByteArray::number(object) + " 1\n" +
           QByteArray::number(objectAt).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<<\n/Size " + QByteArray::number(object + 1) + "\n/Info " + QByteArray::number(object) +
           " 0 R\n/Root " + root.captured(1).toLatin1() + "\n/Prev " + previous.captured(1).toLatin1() +
           "\n>>\nstartxref\n" + QByteArray::number(xrefAt) + "\n%%EOF\n";
    return out;
}

bool writeFileAtomically(const QString& path, const QByteArray& content, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Impossible d'écrire le fichier « %1 » : %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}

} // namespace vardelo::report
