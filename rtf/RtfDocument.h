#pragma once
// The editors' documents as RTF: what the notes editors save and reopen, and what the pathology
// sheet shows of a definition or a treatment.

#include "rtf/RichText.h"

class QTextDocument;

namespace vardelo::rtf {

// Replaces the content of document with the RTF text (plain text when it is not RTF; an empty
// text empties the document).
void setDocumentRtf(QTextDocument& document, QStringView rtf);
// The document as an RTF document; reading it back with setDocumentRtf gives the same text with the
// same formatting.
QString documentRtf(const QTextDocument& document);

RichText richTextOf(const QTextDocument& document);
void setRichText(QTextDocument& document, const RichText& text);

} // namespace vardelo::rtf
