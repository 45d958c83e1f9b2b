#pragma once
// The five appearance styles: "Windows" is the toolkit's plain look, the four others are style
// sheets shipped inside the program.

#include <QStringList>

namespace vardelo::app {

inline const QString DefaultStyleName = QStringLiteral("Cyan Dusk");
const QStringList& styleNames();

// Applies a style to the whole application; an unknown name leaves the plain look and returns false.
bool applyStyle(const QString& name);

} // namespace vardelo::app
