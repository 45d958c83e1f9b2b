#pragma once

#include <QString>

namespace vardelo::kb {

// The one way a text becomes an SQL string literal: between single quotation marks, every
// single quotation mark inside doubled. NUL characters, which would cut the statement short,
// are dropped.
QString quoteSql(QStringView text);

} // namespace vardelo::kb
