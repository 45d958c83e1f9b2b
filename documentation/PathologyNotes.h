#pragma once
// The physician's notes on each pathology: one RTF file per pathology in the notes folder
// (Documents/Vardelo/Notes). The editor hands over its RTF; the store decides the file.

#include <QString>

namespace vardelo::documentation {

// The file name of a pathology's notes: the name itself and ".rtf", where only the characters that
// a file name cannot hold on Windows or Linux ("/", "\", ":", "*", "?", """, "<", ">", "|", control
// characters) and "%" itself are written "%XX", so that two pathologies never share a file.
// A name that Windows reserves for a device (CON, NUL, COM1...) gets its last letter escaped too.
QString notesFileName(const QString& pathology);

class PathologyNotes {
public:
    explicit PathologyNotes(QString folder);

    QString filePath(const QString& pathology) const;
    // The RTF of the pathology's notes; the empty text when it has none (or the file is unreadable).
    QString load(const QString& pathology) const;

    enum class Saved { Written, Deleted, Failed };
    // Saves the notes: when the editor holds no text and a file exists, the file is deleted;
    // otherwise the RTF replaces the file, through a temporary file so that a crash leaves the
    // previous notes whole. On failure, *error says why in French and the previous file is left as
    // it was.
    Saved save(const QString& pathology, const QString& rtf, bool holdsText, QString* error) const;

private:
    QString folder_;
};

} // namespace vardelo::documentation
