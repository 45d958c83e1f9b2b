// The stored text form of a case's lists and the repair of its formula: reading a text, writing it
// back and reading it again gives the same list; the repair ends, each step deleting one element;
// the formula displays take any list.

#include "case/CaseModel.h"
#include "fuzz/FuzzInput.h"

#include <cstdlib>

using namespace vardelo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = fuzz::utf16Text(data, size);
    QStringList list = model::listFromText(text);
    if (model::listFromText(model::listToText(list)) != list)
        std::abort();

    QStringList signs = list;
    for (qsizetype steps = 0;; ++steps) {
        const qsizetype before = signs.size();
        if (model::Corrige_SC(signs) == model::Repair::None) {
            if (signs.size() != before)
                std::abort();
            break;
        }
        if (signs.size() != before - 1 || steps > list.size())
            std::abort();
    }
    QStringList exams = list;
    for (qsizetype steps = 0; model::Corrige_EC(exams); ++steps) {
        if (steps > list.size())
            std::abort();
    }
    model::Affiche_SC(list);
    model::Affiche_SC(signs);
    model::Affiche_EC(list);
    model::Affiche_EC(exams);
    for (const QString& e : list)
        model::Entree(list, e);
    return 0;
}
