#pragma once
// What the report engine does to a PDF file besides drawing it: its document information, and
// writing it in one piece.

#include <QByteArray>
#include <QString>

namespace vardelo::report {

struct DocumentProperties;

// The PDF with its document information (title, subject, author, creator, producer) replaced, as an
// incremental update appended to it: Qt's writer sets only the title and the creator.
QByteArray withDocumentInfo(const QByteArray& pdf, const DocumentProperties& properties);

// Writes the file through a temporary file and a rename, creating no folder: a failure leaves any
// previous file as it was, and *error says why in French.
bool writeFileAtomically(const QString& path, const QByteArray& content, QString* error);

} // namespace vardelo::report
