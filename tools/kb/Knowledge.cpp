#include "tools/kb/Knowledge.h"

#include "case/KbLines.h"
#include "engine/MemoryEvaluator.h"
#include "kb/KnowledgeFile.h"
#include "kb/Schema.h"
#include "kb/Sqlite.h"
#include "kb/VersionArea.h"
#include "tools/kb/Markdown.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cstdio>
#include <map>
#include <yaml-cpp/yaml.h>

namespace vardelo::kbc {

using Severity = Diagnostic::Severity;

QString Diagnostic::toString() const
{
    const QString where = line > 0 ? QStringLiteral("%1:%2").arg(file).arg(line) : file;
    const QString kind =
        severity == Severity::Error ? QStringLiteral("erreur") : QStringLiteral("avertissement");
    return QStringLiteral("%1: %2: %3").arg(where, kind, reason);
}

bool LoadResult::hasErrors() const
{
    return count(Severity::Error) > 0;
}

int LoadResult::count(Severity severity) const
{
    return int(std::count_if(diagnostics.begin(), diagnostics.end(),
                             [severity](const Diagnostic& d) { return d.severity == severity; }));
}

QString looseKey(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString key;
    for (const QChar c : decomposed) {
        if (c.isMark() || c.isSpace())
            continue;
        key.append(c.toCaseFolded());
    }
    return key;
}

namespace {

const QString AssociatedPrefix = QStringLiteral("Pathologie : ");

// Keyword texts are matched against typed text that was lower-cased and stripped of accents.
bool isKeywordText(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u' '))
            return false;
    }
    return true;
}

QString keywordsOf(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    for (const QChar c : decomposed) {
        if (c.isMark())
            continue;
        const char16_t u = c.toLower().unicode();
        out.append((u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') ? QChar(u) : QChar(u' '));
    }
    return out.simplified();
}

// A displayed text that spells out a ligature French writes ("oedème", "coeur"), or "Beta-HCG":
// the word as found, or nothing.
QString unligatured(const QString& text)
{
    static const QRegularExpression spelled(
        QStringLiteral(R"((oed[eèé]m\w*|\boeil\w*|coeur\w*|\bfoet\w*|oesophag\w*|oestro\w*|soeur\w*|)"
                       R"(noeud\w*|manoeuvre\w*|coelio\w*|coeliaque\w*|\bbeta-hcg))"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch match = spelled.match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool hasForbiddenCharacter(const QString& text, const QString& forbidden)
{
    for (const QChar c : text) {
        if (forbidden.contains(c) || c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

class Loader {
public:
    explicit Loader(const QString& dir)
        : dir_(QDir(dir))
        , dirName_(QDir::cleanPath(dir))
    {}

    LoadResult run();

private:
    void error(const QString& file, int line, const QString& reason)
    {
        result_.diagnostics.push_back(Diagnostic{Severity::Error, file, line, reason});
    }
    void warning(const QString& file, int line, const QString& reason)
    {
        result_.diagnostics.push_back(Diagnostic{Severity::Warning, file, line, reason});
    }
    QString displayName(const QString& relative) const { return dirName_ + u'/' + relative; }

    std::optional<YAML::Node> parse(const QString& relative);
    bool checkKeys(const QString& file, const YAML::Node& node, const QStringList& allowed);
    std::optional<QString> text(const QString& file, const YAML::Node& node, const char* key, bool required);
    void loadStopWords(const QString& relative);
    void loadVocabulary(const QString& relative, bool exams);
    void loadPathology(const QString& relative);
    void checkSignLines(Pathology& pathology, const QSet<QString>& names, QSet<QString>& used);
    void checkExamLines(Pathology& pathology, QSet<QString>& used);
    void checkDefinitionSigns(const Pathology& pathology);
    void checkEmergency(const Pathology& pathology);
    void crossChecks();

    QDir dir_;
    QString dirName_;
    LoadResult result_;
    QHash<QString, const VocabularyEntry*> signByText_;
    QHash<QString, const VocabularyEntry*> examByText_;
};

std::optional<YAML::Node> Loader::parse(const QString& relative)
{
    const QString file = displayName(relative);
    QFile f(dir_.filePath(relative));
    if (!f.open(QIODevice::ReadOnly)) {
        error(file, 0, QStringLiteral("lecture impossible : %1").arg(f.errorString()));
        return std::nullopt;
    }
    const QByteArray bytes = f.readAll();
    try {
        YAML::Node node = YAML::Load(bytes.toStdString());
        if (!node.IsMap()) {
            error(file, 1, QStringLiteral("le fichier doit être une table de clés YAML"));
            return std::nullopt;
        }
        return node;
    } catch (const YAML::Exception& e) {
        error(file, e.mark.line + 1, QStringLiteral("YAML invalide : %1").arg(QString::fromStdString(e.msg)));
        return std::nullopt;
    }
}

bool Loader::checkKeys(const QString& file, const YAML::Node& node, const QStringList& allowed)
{
    bool ok = true;
    for (const auto& pair : node) {
        const QString key = QString::fromStdString(pair.first.Scalar());
        if (!allowed.contains(key)) {
            error(file, pair.first.Mark().line + 1,
                  QStringLiteral("clé inconnue « %1 » (clés admises : %2)").arg(key, allowed.join(u", ")));
            ok = false;
        }
    }
    return ok;
}

std::optional<QString> Loader::text(const QString& file, const YAML::Node& node, const char* key,
                                    bool required)
{
    const YAML::Node value = node[key];
    if (!value || value.IsNull()) {
        if (required)
            error(file, node.Mark().line + 1,
                  QStringLiteral("champ « %1 » manquant").arg(QString::fromUtf8(key)));
        return required ? std::nullopt : std::optional<QString>(QString());
    }
    if (!value.IsScalar()) {
        error(file, value.Mark().line + 1,
              QStringLiteral("le champ « %1 » doit être un texte").arg(QString::fromUtf8(key)));
        return std::nullopt;
    }
    return QString::fromStdString(value.Scalar());
}

void Loader::loadStopWords(const QString& relative)
{
    const QString file = displayName(relative);
    const auto node = parse(relative);
    if (!node)
        return;
    checkKeys(file, *node, {QStringLiteral("stop_words")});
    const auto words = text(file, *node, "stop_words", true);
    if (!words)
        return;
    const QString simplified = words->simplified();
    if (!isKeywordText(simplified))
        error(
            file, (*node)["stop_words"].Mark().line + 1,
            QStringLiteral("les mots vides s'écrivent en minuscules sans accents, séparés par des espaces"));
    QStringList list = simplified.split(u' ', Qt::SkipEmptyParts);
    list.removeDuplicates();
    result_.knowledge.stopWords = list;
}

void Loader::loadVocabulary(const QString& relative, bool exams)
{
    const QString file = displayName(relative);
    const auto node = parse(relative);
    if (!node)
        return;
    const char* listKey = exams ? "exams" : "signs";
    checkKeys(file, *node, {QString::fromUtf8(listKey)});
    const YAML::Node list = (*node)[listKey];
    if (!list || !list.IsSequence()) {
        error(file, 1, QStringLiteral("liste « %1 » manquante").arg(QString::fromUtf8(listKey)));
        return;
    }
    const char* textKey = exams ? "line" : "text";
    static const QRegularExpression examLine(QStringLiteral(R"(^[^:*+|"]*[^:*+|"\s] : [^\s*+|"][^*+|"]*$)"));
    for (const YAML::Node& item : list) {
        const int line = item.Mark().line + 1;
        if (!item.IsMap()) {
            error(
                file, line,
                QStringLiteral("chaque entrée est une table (%1, exp, ...)").arg(QString::fromUtf8(textKey)));
            continue;
        }
        checkKeys(file, item,
                  {QString::fromUtf8(textKey), QStringLiteral("exp"), QStringLiteral("sup"),
                   QStringLiteral("sex"), QStringLiteral("age")});
        VocabularyEntry entry;
        entry.file = file;
        entry.line = line;
        const auto t = text(file, item, textKey, true);
        const auto exp = text(file, item, "exp", true);
        const auto sup = text(file, item, "sup", false);
        const auto sex = text(file, item, "sex", false);
        const auto age = text(file, item, "age", false);
        if (!t || !exp || !sup || !sex || !age)
            continue;
        entry.text = *t;
        entry.exp = exp->simplified();
        entry.sup = sup->simplified();
        entry.sex = *sex;
        entry.age = *age;
        if (entry.text.isEmpty() || entry.text != entry.text.trimmed() ||
            entry.text.contains(QStringLiteral("  ")))
            error(file, line, QStringLiteral("« %1 » : texte vide ou entouré d'espaces").arg(entry.text));
        if (exams) {
            if (!examLine.match(entry.text).hasMatch())
                error(file, line,
                      QStringLiteral(
                          "« %1 » : une ligne d'examen s'écrit « <examen> : <résultat> », sans « * », "
                          "« + », « | » ni guillemet, avec un seul « : »")
                          .arg(entry.text));
        } else {
            if (hasForbiddenCharacter(entry.text, QStringLiteral("|*+\"")))
                error(file, line,
                      QStringLiteral("« %1 » : un signe ne contient ni « | », « * », « + » ni guillemet")
                          .arg(entry.text));
            if (entry.text.startsWith(AssociatedPrefix))
                error(file, line,
                      QStringLiteral("« %1 » : les lignes « Pathologie : » sont produites par le compilateur")
                          .arg(entry.text));
        }
        if (entry.exp.isEmpty() || !isKeywordText(entry.exp))
            error(file, line,
                  QStringLiteral("« %1 » : exp doit contenir des mots en minuscules sans accents")
                      .arg(entry.text));
        if (!isKeywordText(entry.sup))
            error(file, line,
                  QStringLiteral("« %1 » : sup s'écrit en minuscules sans accents").arg(entry.text));
        if (!entry.sex.isEmpty() && entry.sex != u"h" && entry.sex != u"f")
            error(file, line, QStringLiteral("« %1 » : sex vaut h ou f").arg(entry.text));
        if (!entry.age.isEmpty() && entry.age != u"1" && entry.age != u"2" && entry.age != u"3")
            error(file, line, QStringLiteral("« %1 » : age vaut \"1\", \"2\" ou \"3\"").arg(entry.text));
        if (const QString word = unligatured(entry.text); !word.isEmpty())
            warning(
                file, line,
                QStringLiteral("« %1 » : « %2 » s'écrit avec « œ » (ou « Bêta-HCG »)").arg(entry.text, word));
        (exams ? result_.knowledge.exams : result_.knowledge.signs).push_back(entry);
    }
}

void Loader::loadPathology(const QString& relative)
{
    const QString file = displayName(relative);
    const auto node = parse(relative);
    if (!node)
        return;
    checkKeys(file, *node,
              {QStringLiteral("name"), QStringLiteral("prevalence"), QStringLiteral("applicability"),
               QStringLiteral("search"), QStringLiteral("signs"), QStringLiteral("exams"),
               QStringLiteral("definition"), QStringLiteral("treatment"), QStringLiteral("emergency"),
               QStringLiteral("definition_only"), QStringLiteral("history")});
    Pathology p;
    p.file = file;
    p.line = 1;
    const auto name = text(file, *node, "name", true);
    const auto applicability = text(file, *node, "applicability", true);
    const auto search = text(file, *node, "search", true);
    const auto signs = text(file, *node, "signs", true);
    const auto exams = text(file, *node, "exams", false);
    const auto definition = text(file, *node, "definition", true);
    const auto treatment = text(file, *node, "treatment", true);
    const auto definitionOnly = text(file, *node, "definition_only", false);
    const auto history = text(file, *node, "history", false);
    if (!name || !applicability || !search || !signs || !exams || !definition || !treatment ||
        !definitionOnly || !history)
        return;

    p.name = *name;
    if (p.name.isEmpty() || p.name != p.name.trimmed() ||
        hasForbiddenCharacter(p.name, QStringLiteral("|*+\"")))
        error(file, (*node)["name"].Mark().line + 1,
              QStringLiteral("nom « %1 » vide, entouré d'espaces ou avec « | », « * », « + » ou guillemet")
                  .arg(p.name));

    const YAML::Node prevalence = (*node)["prevalence"];
    try {
        if (!prevalence)
            throw YAML::Exception(YAML::Mark(), "missing");
        p.prevalence = prevalence.as<int>();
        if (p.prevalence < 1 || p.prevalence > 20)
            error(file, prevalence.Mark().line + 1,
                  QStringLiteral("prévalence %1 hors de l'échelle 1 à 20").arg(p.prevalence));
    } catch (const YAML::Exception&) {
        error(file, prevalence ? prevalence.Mark().line + 1 : 1,
              QStringLiteral("prévalence manquante ou non entière"));
    }

    p.applicability = *applicability;
    {
        const int line = (*node)["applicability"].Mark().line + 1;
        bool valid = !p.applicability.isEmpty();
        QSet<QChar> seen;
        for (const QChar c : std::as_const(p.applicability)) {
            if (!QStringLiteral("hf123").contains(c) || seen.contains(c))
                valid = false;
            seen.insert(c);
        }
        const bool hasSex = p.applicability.contains(u'h') || p.applicability.contains(u'f');
        const bool hasAge = p.applicability.contains(u'1') || p.applicability.contains(u'2') ||
                            p.applicability.contains(u'3');
        if (!valid || !hasSex || !hasAge)
            error(
                file, line,
                QStringLiteral(
                    "applicabilité « %1 » invalide : au moins un sexe (h, f) et une tranche d'âge (1, 2, 3), "
                    "chacun une fois")
                    .arg(p.applicability));
    }

    p.search = search->simplified();
    if (p.search.isEmpty() || !isKeywordText(p.search))
        error(file, (*node)["search"].Mark().line + 1,
              QStringLiteral("search doit contenir des mots en minuscules sans accents"));
    p.history = history->simplified();
    if (!p.history.isEmpty() && !isKeywordText(p.history))
        error(file, (*node)["history"].Mark().line + 1,
              QStringLiteral("history doit contenir des mots en minuscules sans accents"));

    // Block scalars start on the line after their key; every line keeps its own number.
    auto linesOf = [](const YAML::Node& value, const QString& content) {
        std::vector<SourceLine> out;
        // yaml-cpp does not report a scalar's style; block scalars are the ones that keep line breaks.
        const bool block = content.contains(u'\n');
        const int first = value.Mark().line + (block ? 2 : 1);
        const QStringList lines = content.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QString line = lines.at(i);
            while (line.endsWith(u' ') || line.endsWith(u'\r'))
                line.chop(1);
            if (!line.trimmed().isEmpty())
                out.push_back(SourceLine{line, first + int(i)});
        }
        return out;
    };
    p.signs = linesOf((*node)["signs"], *signs);
    if (!definitionOnly->isEmpty())
        p.definitionOnly = linesOf((*node)["definition_only"], *definitionOnly);

    if (const YAML::Node emergency = (*node)["emergency"]) {
        p.emergencyLine = emergency.Mark().line + 1;
        const QString value = emergency.IsScalar() ? QString::fromStdString(emergency.Scalar()) : QString();
        if (value == u"true" || value == u"false") {
            p.emergency = value == u"true";
            p.emergencyStated = true;
        } else {
            error(file, p.emergencyLine, QStringLiteral("emergency vaut true ou false"));
        }
    }
    if (exams->trimmed().isEmpty() || exams->trimmed() == u"0")
        p.exams.clear();
    else
        p.exams = linesOf((*node)["exams"], *exams);

    auto document = [&](const char* key, const QString& source, QString* rtf) {
        const int line = (*node)[key].Mark().line + 1;
        if (source.trimmed().isEmpty()) {
            error(file, line, QStringLiteral("le champ « %1 » est vide").arg(QString::fromUtf8(key)));
            return;
        }
        const MarkdownResult markdown = parseMarkdown(source);
        for (const QString& e : markdown.errors)
            error(file, line, QStringLiteral("%1, %2").arg(QString::fromUtf8(key), e));
        *rtf = rtf::writeRtf(markdown.paragraphs);
    };
    p.definitionText = *definition;
    p.treatmentText = *treatment;
    for (const auto& [key, value] : {std::pair{"name", p.name}, std::pair{"definition", p.definitionText},
                                     std::pair{"treatment", p.treatmentText}}) {
        if (const QString word = unligatured(value); !word.isEmpty())
            warning(file, (*node)[key].Mark().line + 1,
                    QStringLiteral("%1 : « %2 » s'écrit avec « œ » (ou « Bêta-HCG »)")
                        .arg(QString::fromUtf8(key), word));
    }
    document("definition", *definition, &p.definitionRtf);
    document("treatment", *treatment, &p.treatmentRtf);
    result_.knowledge.pathologies.push_back(std::move(p));
}

void Loader::checkSignLines(Pathology& p, const QSet<QString>& names, QSet<QString>& used)
{
    static const QRegularExpression signLine(QStringLiteral(R"(^([*+]*)(\S.*?) \| (\d+)$)"));
    QSet<QString> seen;
    for (const SourceLine& line : p.signs) {
        const auto match = signLine.match(line.text);
        if (!match.hasMatch()) {
            error(p.file, line.line,
                  QStringLiteral("ligne de signe mal formée « %1 » (attendu : [*]<signe> | <poids>)")
                      .arg(line.text));
            continue;
        }
        const QString sign = match.captured(2);
        const int weight = match.captured(3).toInt();
        if (weight < 1 || weight > 10)
            error(p.file, line.line,
                  QStringLiteral("poids %1 hors de l'échelle 1 à 10 pour « %2 »").arg(weight).arg(sign));
        if (sign != model::GetSC(line.text) || sign.contains(u'|'))
            error(
                p.file, line.line,
                QStringLiteral("signe « %1 » : « * » et « + » ne s'écrivent qu'en tête de ligne").arg(sign));
        if (seen.contains(looseKey(sign)))
            error(p.file, line.line, QStringLiteral("signe « %1 » présent deux fois").arg(sign));
        seen.insert(looseKey(sign));
        if (sign.startsWith(AssociatedPrefix)) {
            const QString target = sign.mid(AssociatedPrefix.size());
            if (!names.contains(target))
                error(p.file, line.line,
                      QStringLiteral("« %1 » ne nomme aucune pathologie de la base").arg(sign));
            else if (target == p.name)
                error(p.file, line.line, QStringLiteral("une pathologie ne peut être associée à elle-même"));
            used.insert(sign);
            continue;
        }
        const auto entry = signByText_.constFind(sign);
        if (entry == signByText_.constEnd()) {
            error(p.file, line.line,
                  QStringLiteral("signe « %1 » absent du vocabulaire des signes").arg(sign));
            continue;
        }
        used.insert(sign);
        const VocabularyEntry& v = **entry;
        if (!v.sex.isEmpty() && !p.applicability.contains(v.sex))
            error(
                p.file, line.line,
                QStringLiteral(
                    "signe « %1 » réservé au sexe « %2 » dans une pathologie qui ne s'applique pas à ce sexe")
                    .arg(sign, v.sex));
        if (!v.age.isEmpty() && !p.applicability.contains(v.age))
            error(
                p.file, line.line,
                QStringLiteral(
                    "signe « %1 » réservé à la tranche d'âge %2 dans une pathologie qui ne s'y applique pas")
                    .arg(sign, v.age));
    }
    if (p.signs.size() < 8 || p.signs.size() > 25)
        error(p.file, p.line,
              QStringLiteral("« %1 » a %2 lignes de signes ; il en faut de 8 à 25")
                  .arg(p.name)
                  .arg(p.signs.size()));
}

void Loader::checkExamLines(Pathology& p, QSet<QString>& used)
{
    static const QRegularExpression weighted(QStringLiteral(R"(^(.*) \| (\d+)$)"));
    QSet<QString> seen;
    for (const SourceLine& line : p.exams) {
        QString body = line.text;
        const auto match = weighted.match(line.text);
        if (match.hasMatch()) {
            body = match.captured(1);
            const int weight = match.captured(2).toInt();
            if (weight < 1 || weight > 10)
                error(p.file, line.line, QStringLiteral("poids %1 hors de l'échelle 1 à 10").arg(weight));
        } else if (line.text.contains(u'|')) {
            error(p.file, line.line, QStringLiteral("ligne d'examen mal formée « %1 »").arg(line.text));
            continue;
        }
        qsizetype start = 0;
        while (start < body.size() && (body.at(start) == u'*' || body.at(start) == u'+'))
            ++start;
        const QString exam = body.mid(start);
        if (exam != model::GetSC(line.text)) {
            error(p.file, line.line,
                  QStringLiteral("« * » et « + » ne s'écrivent qu'en tête de ligne : « %1 »").arg(line.text));
            continue;
        }
        if (seen.contains(looseKey(exam)))
            error(p.file, line.line, QStringLiteral("examen « %1 » présent deux fois").arg(exam));
        seen.insert(looseKey(exam));
        if (!examByText_.contains(exam)) {
            error(p.file, line.line,
                  QStringLiteral("ligne d'examen « %1 » absente du vocabulaire des examens").arg(exam));
            continue;
        }
        used.insert(exam);
        const VocabularyEntry& v = *examByText_.value(exam);
        if (!v.sex.isEmpty() && !p.applicability.contains(v.sex))
            error(p.file, line.line,
                  QStringLiteral("examen « %1 » réservé au sexe « %2 » hors de l'applicabilité")
                      .arg(exam, v.sex));
        if (!v.age.isEmpty() && !p.applicability.contains(v.age))
            error(p.file, line.line,
                  QStringLiteral("examen « %1 » réservé à la tranche %2 hors de l'applicabilité")
                      .arg(exam, v.age));
    }
}

// Lower case, no accents, words separated by single spaces, with a space at both ends, so that a
// phrase is found as a whole-word substring.
QString phraseKey(QString text)
{
    text.replace(u'œ', QStringLiteral("oe")).replace(u'Œ', QStringLiteral("oe"));
    text.replace(u'æ', QStringLiteral("ae")).replace(u'Æ', QStringLiteral("ae"));
    return u' ' + keywordsOf(text) + u' ';
}

// A sign that the definition names is a sign of the disease, unless the author says otherwise:
// a missing one turns every "and" with it into a filter that removes the disease.
void Loader::checkDefinitionSigns(const Pathology& p)
{
    const QString definition = phraseKey(p.definitionText);
    const QStringList wordList = definition.split(u' ', Qt::SkipEmptyParts);
    const QSet<QString> words(wordList.begin(), wordList.end());
    QSet<QString> listed;
    for (const SourceLine& line : p.signs)
        listed.insert(phraseKey(model::GetSC(line.text)));
    QHash<QString, const SourceLine*> deliberate; // by key
    for (const SourceLine& line : p.definitionOnly) {
        const QString sign = line.text.trimmed();
        if (!signByText_.contains(sign)) {
            error(p.file, line.line,
                  QStringLiteral("definition_only : « %1 » absent du vocabulaire des signes").arg(sign));
            continue;
        }
        deliberate.insert(phraseKey(sign), &line);
    }
    QSet<QString> named;
    for (auto it = signByText_.constBegin(); it != signByText_.constEnd(); ++it) {
        const QString key = phraseKey(it.key());
        const QString first = key.section(u' ', 1, 1);
        if (!words.contains(first) || !definition.contains(key))
            continue;
        named.insert(key);
        if (listed.contains(key) || deliberate.contains(key))
            continue;
        warning(
            p.file, p.line,
            QStringLiteral("la définition nomme le signe « %1 », absent de la liste des signes ; ajoutez-le "
                           "ou inscrivez-le dans definition_only")
                .arg(it.key()));
    }
    for (auto it = deliberate.constBegin(); it != deliberate.constEnd(); ++it) {
        if (listed.contains(it.key()))
            warning(p.file, it.value()->line,
                    QStringLiteral("definition_only : « %1 » est dans la liste des signes")
                        .arg(it.value()->text.trimmed()));
        else if (!named.contains(it.key()))
            warning(p.file, it.value()->line,
                    QStringLiteral("definition_only : la définition ne nomme pas « %1 »")
                        .arg(it.value()->text.trimmed()));
    }
}

// A treatment that opens on calling the 15 or on hospital care describes an emergency: the flag
// must say whether the pathology is one, so that none is left unmarked by oversight.
void Loader::checkEmergency(const Pathology& p)
{
    static const QRegularExpression sentenceEnd(QStringLiteral(R"([.!?:](\s|$)|\n)"));
    const QString treatment = p.treatmentText.trimmed();
    const qsizetype end = treatment.indexOf(sentenceEnd);
    const QString opening = phraseKey(end < 0 ? treatment : treatment.left(end));
    static const QStringList urgent{QStringLiteral(" 15 "),
                                    QStringLiteral(" samu "),
                                    QStringLiteral(" urgence "),
                                    QStringLiteral(" urgences "),
                                    QStringLiteral(" hospitalisation "),
                                    QStringLiteral(" hospitaliser ")};
    const bool opensUrgent = std::any_of(urgent.begin(), urgent.end(),
                                         [&](const QString& word) { return opening.contains(word); });
    if (opensUrgent && !p.emergencyStated)
        warning(p.file, p.line,
                QStringLiteral("« %1 » : le traitement commence par une orientation urgente ; indiquez "
                               "emergency: true, ou emergency: false si seule une forme rare l'exige")
                    .arg(p.name));
}

void Loader::crossChecks()
{
    Knowledge& k = result_.knowledge;
    auto duplicates = [&](const std::vector<VocabularyEntry>& entries, const QString& what) {
        QHash<QString, const VocabularyEntry*> byKey;
        for (const VocabularyEntry& e : entries) {
            const QString key = looseKey(e.text);
            if (const auto it = byKey.constFind(key); it != byKey.constEnd()) {
                error(e.file, e.line,
                      QStringLiteral("%1 « %2 » double « %3 » (%4:%5) : ils ne diffèrent que par la casse, "
                                     "les accents ou les espaces")
                          .arg(what, e.text, (*it)->text, (*it)->file)
                          .arg((*it)->line));
            } else {
                byKey.insert(key, &e);
            }
        }
    };
    duplicates(k.signs, QStringLiteral("le signe"));
    duplicates(k.exams, QStringLiteral("l'examen"));
    for (const VocabularyEntry& e : k.signs)
        signByText_.insert(e.text, &e);
    for (const VocabularyEntry& e : k.exams)
        examByText_.insert(e.text, &e);

    std::sort(k.pathologies.begin(), k.pathologies.end(),
              [](const Pathology& a, const Pathology& b) { return a.name < b.name; });
    QSet<QString> names;
    QHash<QString, const Pathology*> byKey;
    for (const Pathology& p : k.pathologies) {
        names.insert(p.name);
        const QString key = looseKey(p.name);
        if (const auto it = byKey.constFind(key); it != byKey.constEnd())
            error(p.file, p.line,
                  QStringLiteral("pathologie « %1 » déjà définie dans %2").arg(p.name, (*it)->file));
        else
            byKey.insert(key, &p);
    }

    QSet<QString> usedSigns;
    QSet<QString> usedExams;
    for (Pathology& p : k.pathologies) {
        checkSignLines(p, names, usedSigns);
        checkExamLines(p, usedExams);
        checkDefinitionSigns(p);
        checkEmergency(p);
    }
    for (const VocabularyEntry& e : k.signs) {
        if (!usedSigns.contains(e.text))
            warning(e.file, e.line,
                    QStringLiteral("le signe « %1 » n'est utilisé par aucune pathologie").arg(e.text));
    }
    for (const VocabularyEntry& e : k.exams) {
        if (!usedExams.contains(e.text))
            warning(e.file, e.line,
                    QStringLiteral("l'examen « %1 » n'est utilisé par aucune pathologie").arg(e.text));
    }

    // The look-ups point into the vectors that grow and are sorted below.
    signByText_.clear();
    examByText_.clear();

    // Associated pathologies are signs too: the sign vocabulary must hold them for recognition.
    QStringList associated(usedSigns.begin(), usedSigns.end());
    associated.sort();
    QHash<QString, const Pathology*> byName;
    for (const Pathology& p : k.pathologies)
        byName.insert(p.name, &p);
    for (const QString& sign : std::as_const(associated)) {
        if (!sign.startsWith(AssociatedPrefix))
            continue;
        const Pathology* target = byName.value(sign.mid(AssociatedPrefix.size()));
        if (!target)
            continue; // already reported
        VocabularyEntry entry;
        entry.text = sign;
        // Keyed on the name only: the search words of a disease describe its symptoms, and the
        // physician typing a symptom must find the sign, not the associated disease.
        entry.exp = keywordsOf(QStringLiteral("pathologie antecedent atcd ") + target->name);
        // The short forms a record uses for a known disease ("dt2", "bpco").
        if (!target->history.isEmpty())
            entry.exp += u' ' + target->history;
        // Typing the disease's name means the patient's own history: the family history of the
        // same disease, found by the same word, stays hidden unless "familial" is typed.
        entry.sup = QStringLiteral("familial");
        entry.generated = true;
        entry.file = target->file;
        k.signs.push_back(entry);
    }
    std::sort(k.signs.begin(), k.signs.end(), [](const auto& a, const auto& b) { return a.text < b.text; });
    std::sort(k.exams.begin(), k.exams.end(), [](const auto& a, const auto& b) { return a.text < b.text; });
}

LoadResult Loader::run()
{
    if (!dir_.exists()) {
        error(dirName_, 0, QStringLiteral("dossier introuvable"));
        return result_;
    }
    QStringList files;
    QDirIterator it(dir_.absolutePath(), {QStringLiteral("*.yaml"), QStringLiteral("*.yml")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(dir_.relativeFilePath(it.next()));
    files.sort();
    bool stopWordsSeen = false;
    for (const QString& relative : std::as_const(files)) {
        if (relative == u"stopwords.yaml") {
            stopWordsSeen = true;
            loadStopWords(relative);
        } else if (relative.startsWith(u"vocabulary/signs/")) {
            loadVocabulary(relative, false);
        } else if (relative.startsWith(u"vocabulary/exams/")) {
            loadVocabulary(relative, true);
        } else if (relative.startsWith(u"pathologies/")) {
            loadPathology(relative);
        } else {
            error(displayName(relative), 0,
                  QStringLiteral(
                      "fichier hors des dossiers connus (vocabulary/signs, vocabulary/exams, pathologies)"));
        }
    }
    if (!stopWordsSeen)
        error(displayName(QStringLiteral("stopwords.yaml")), 0,
              QStringLiteral("fichier des mots vides manquant"));
    if (result_.knowledge.pathologies.empty())
        error(dirName_, 0, QStringLiteral("aucune pathologie"));
    crossChecks();
    return result_;
}

// Writes to a temporary file beside the target and renames it over the target once complete.
class TemporaryDatabase {
public:
    explicit TemporaryDatabase(const QString& target)
        : target_(target)
        , path_(target + QStringLiteral(".tmp"))
    {
        QFile::remove(path_);
    }
    ~TemporaryDatabase()
    {
        if (!committed_)
            QFile::remove(path_);
    }
    const QString& path() const { return path_; }
    bool commit(QString* error)
    {
        if (std::rename(QFile::encodeName(path_).constData(), QFile::encodeName(target_).constData()) != 0) {
            *error = QStringLiteral("Impossible de remplacer « %1 »").arg(target_);
            return false;
        }
        committed_ = true;
        return true;
    }

private:
    QString target_;
    QString path_;
    bool committed_ = false;
};

} // namespace

LoadResult loadKnowledge(const QString& dir)
{
    return Loader(dir).run();
}

bool writeDatabase(const Knowledge& k, const QString& path, QString* error)
{
    TemporaryDatabase temporary(path);
    try {
        {
            kb::Connection db(temporary.path(), kb::Connection::Mode::Create);
            kb::createSchema(db);
            kb::Transaction transaction(db);
            {
                kb::Statement insert(
                    db, QStringLiteral(
                            "insert into Data (P, F, S, E, I, D, T, RP) values (?, ?, ?, ?, ?, ?, ?, ?)"));
                for (const Pathology& p : k.pathologies) {
                    QStringList signs;
                    for (const SourceLine& l : p.signs)
                        signs.append(l.text);
                    QStringList exams;
                    for (const SourceLine& l : p.exams)
                        exams.append(l.text);
                    const QString e =
                        exams.isEmpty() ? QStringLiteral("0") : exams.join(QStringLiteral("\r\n"));
                    insert.bind({p.name, p.prevalence, signs.join(QStringLiteral("\r\n")), e, p.applicability,
                                 p.definitionRtf, p.treatmentRtf, p.search});
                    insert.step();
                    insert.reset();
                }
            }
            auto vocabulary = [&](const QString& table, const std::vector<VocabularyEntry>& entries) {
                kb::Statement insert(
                    db,
                    QStringLiteral("insert into %1 (S, X, A, Exp, Sup) values (?, ?, ?, ?, ?)").arg(table));
                for (const VocabularyEntry& e : entries) {
                    insert.bind({e.text, e.sex, e.age, e.exp, e.sup});
                    insert.step();
                    insert.reset();
                }
            };
            {
                kb::Statement insert(db, QStringLiteral("insert into Emergency (P) values (?)"));
                for (const Pathology& p : k.pathologies) {
                    if (!p.emergency)
                        continue;
                    insert.bind({p.name});
                    insert.step();
                    insert.reset();
                }
            }
            vocabulary(QStringLiteral("SC"), k.signs);
            vocabulary(QStringLiteral("EC"), k.exams);
            // Spaces on both sides, so that every stop word stands between spaces.
            db.exec(QStringLiteral("update Prm set V = ? where T = ?"),
                    {QStringLiteral(" ") + k.stopWords.join(u' ') + QStringLiteral(" "), kb::prm::StopWords});
            db.exec(QStringLiteral("insert into VersionArea (Area, KnowledgeHash) values (?, ?)"),
                    {kb::encodeVersionArea(kb::CurrentKBVersion), kb::computeKnowledgeHash(db)});
            transaction.commit();
            // The evaluation's index, so that the program does not read the knowledge at start.
            engine::MemoryEvaluator::storeIndex(db);
        }
        return temporary.commit(error);
    } catch (const kb::DbError& e) {
        *error = QStringLiteral("Écriture de « %1 » impossible : %2").arg(path, e.message());
        return false;
    }
}

bool upgradeDatabase(const QString& compiledPath, const QString& userPath, bool* changed, QString* error)
{
    return kb::upgradeKnowledge(compiledPath, userPath, changed, error);
}

} // namespace vardelo::kbc
