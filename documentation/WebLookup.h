#pragma once
// Looking a pathology or a sign up on the five public sources: the search address built from the
// name. Opening it in the browser is the desktop's business (platform/Desktop.h).

#include <QString>
#include <QStringList>

namespace vardelo::documentation {

// In the order of the source list of the pathology sheet.
enum class WebSource { MsdManual = 0, Wikipedia = 1, Google = 2, GoogleScholar = 3, GoogleImages = 4 };
inline constexpr int WebSourceCount = 5;

// "Manuel MSD Pro", "Wikipedia médicale", "Google standard", "Google Scholar", "Google image".
QStringList webSourceCaptions();

// The search address of a source for a text, the text percent-encoded (UTF-8) so that spaces,
// accents, apostrophes and "&" reach the service as typed.
QString webSearchAddress(WebSource source, const QString& text);

// The name a pathology is searched under: a few names too vague on their own get a fuller one
// ("Choc" is searched as "Etat de choc hémodynamique"); the whole name must match, case included.
QString searchNameForPathology(const QString& pathology);

// A pathology look-up: the fuller name, then its address. An index outside the five sources gives
// the empty text (nothing to open).
QString pathologySearchAddress(int sourceIndex, const QString& pathology);

// A sign look-up on Google: a sign line that names an associated pathology ("Pathologie : Angine")
// is searched for the pathology's name alone.
QString signSearchAddress(const QString& signText);

} // namespace vardelo::documentation
