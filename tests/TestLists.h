#pragma once
// Lists of texts written as literals in the tests.

#include <QStringList>
#include <initializer_list>

namespace vardelo::testing {

inline QStringList L(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list.append(QString::fromUtf8(item));
    return list;
}

} // namespace vardelo::testing
