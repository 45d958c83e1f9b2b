#include "dialogs/ClinicalCasesDialog.h"

#include "dialogs/SeriesResultDialog.h"
#include "kb/Query.h"
#include "panels/PanelParts.h"
#include "recognition/Recognition.h"
#include "training/ScoreHistory.h"
#include "widgets/SortableListWidget.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vardelo::dialogs {

using widgets::SortableListWidget;

namespace {

QListWidget* makeList(QWidget* parent, const char* name)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setFocusPolicy(Qt::NoFocus);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    return list;
}

QLineEdit* makeReadOnlyEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    return edit;
}

QToolButton* makeGlyphButton(QWidget* parent, const char* name, QStyle::StandardPixmap glyph,
                             const QString& text, const QString& hint)
{
    QToolButton* b = panels::makeButton(parent, QString::fromLatin1(name), text, hint);
    b->setIcon(parent->style()->standardIcon(glyph));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return b;
}

} // namespace

ClinicalCasesDialog::ClinicalCasesDialog(kb::Query& query, training::RandomEngine& random, Messages messages,
                                         QWidget* parent)
    : QDialog(parent)
    , query_(query)
    , random_(random)
    , messages_(std::move(messages))
{
    setObjectName(QStringLiteral("clinicalCasesDialog"));
    setWindowTitle(QStringLiteral("Cas cliniques"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    resize(620, 660);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    casePage_ = new QWidget(tabs_);
    casePage_->setObjectName(QStringLiteral("casePage"));
    scoresPage_ = new QWidget(tabs_);
    scoresPage_->setObjectName(QStringLiteral("scoresPage"));
    tabs_->addTab(casePage_, QStringLiteral("Cas cliniques"));
    tabs_->addTab(scoresPage_, QStringLiteral("Scores"));

    // ---- The case.
    QWidget* page = casePage_;
    auto* patientHeader = panels::makePanelHeader(page, QStringLiteral("patientHeader"),
                                                  QStringLiteral("Sexe et Tranche d'âge"));
    patientEdit_ = makeReadOnlyEdit(page, "patientEdit");
    associatedHeader_ = panels::makePanelHeader(page, QStringLiteral("associatedHeader"),
                                                training::associatedPathologiesCaption(0));
    associatedList_ = makeList(page, "associatedList");
    associatedList_->setMaximumHeight(70);
    pathologyTabs_ = new QTabWidget(page);
    pathologyTabs_->setObjectName(QStringLiteral("pathologyTabs"));
    pathologyTabs_->setFocusPolicy(Qt::NoFocus);
    signsList_ = makeList(pathologyTabs_, "signsList");
    examsList_ = makeList(pathologyTabs_, "examsList");
    pathologyTabs_->addTab(signsList_, QStringLiteral("Signes cliniques / Symptômes"));
    pathologyTabs_->addTab(examsList_, QStringLiteral("Examens complémentaires"));
    for (QListWidget* list : {associatedList_, signsList_, examsList_})
        panels::setBaseColor(list, panels::editorYellow());

    auto* answerHeader =
        panels::makePanelHeader(page, QStringLiteral("answerHeader"), QStringLiteral("Votre diagnostic"));
    answerEdit_ = new QLineEdit(page);
    answerEdit_->setObjectName(QStringLiteral("answerEdit"));
    answerEdit_->installEventFilter(this);
    answerCombo_ = new QComboBox(page);
    answerCombo_->setObjectName(QStringLiteral("answerCombo"));
    answerCombo_->setEditable(false);
    answerCombo_->installEventFilter(this);
    auto* solutionHeader = panels::makePanelHeader(page, QStringLiteral("solutionHeader"),
                                                   QStringLiteral("Diagnostic de Vardelo"));
    solutionEdit_ = makeReadOnlyEdit(page, "solutionEdit");
    {
        QFont bold = solutionEdit_->font();
        bold.setBold(true);
        solutionEdit_->setFont(bold);
    }

    auto* lengthHeader = panels::makePanelHeader(page, QStringLiteral("lengthHeader"),
                                                 QStringLiteral("Nombe de cas cliniques"));
    lengthEdit_ = new QLineEdit(QString::number(training::Series::DefaultLength), page);
    lengthEdit_->setObjectName(QStringLiteral("lengthEdit"));
    // Digits only, and few enough that the number stays an int.
    lengthEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), lengthEdit_));
    lengthEdit_->setFixedWidth(60);
    progressLabel_ = new QLabel(page);
    progressLabel_->setObjectName(QStringLiteral("progressLabel"));
    progressLabel_->setAlignment(Qt::AlignCenter);
    progressLabel_->setStyleSheet(QStringLiteral("QLabel { color: blue; font-weight: bold; }"));
    nextCaseButton_ =
        makeGlyphButton(page, "nextCaseButton", QStyle::SP_ArrowRight, QStringLiteral("Cas suivant"),
                        QStringLiteral("Tirer le cas clinique suivant"));
    restartButton_ = makeGlyphButton(page, "restartButton", QStyle::SP_BrowserReload,
                                     QStringLiteral("Recommencer"), QStringLiteral("Recommencer la série"));
    checkButton_ = makeGlyphButton(page, "checkButton", QStyle::SP_DialogApplyButton,
                                   QStringLiteral("Vérifier"), QStringLiteral("Vérifier votre diagnostic"));

    auto* caseLayout = new QVBoxLayout(page);
    caseLayout->addWidget(patientHeader);
    caseLayout->addWidget(patientEdit_);
    caseLayout->addWidget(associatedHeader_);
    caseLayout->addWidget(associatedList_);
    caseLayout->addWidget(pathologyTabs_, 1);
    caseLayout->addWidget(answerHeader);
    caseLayout->addWidget(answerEdit_);
    caseLayout->addWidget(answerCombo_);
    caseLayout->addWidget(solutionHeader);
    caseLayout->addWidget(solutionEdit_);
    caseLayout->addWidget(lengthHeader);
    auto* commands = new QHBoxLayout;
    commands->addWidget(lengthEdit_);
    commands->addWidget(progressLabel_, 1);
    commands->addWidget(nextCaseButton_);
    commands->addWidget(restartButton_);
    commands->addWidget(checkButton_);
    caseLayout->addLayout(commands);

    // ---- The history.
    scoresList_ = new SortableListWidget(scoresPage_);
    scoresList_->setObjectName(QStringLiteral("scoresList"));
    scoresList_->setColumnCount(4);
    scoresList_->setHeaderLabels({QStringLiteral("Date et heure"), QStringLiteral("Justes"),
                                  QStringLiteral("Total"), QStringLiteral("Scores %")});
    scoresList_->header()->resizeSection(0, 310);
    for (int column : {1, 2, 3})
        scoresList_->header()->resizeSection(column, 80);
    scoresList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    scoresList_->setOddRowColor(Qt::white);
    scoresList_->setEvenRowColor(QColor(149, 149, 255));
    clearHistoryButton_ = new QPushButton(QStringLiteral("Effacer l'historique"), scoresPage_);
    clearHistoryButton_->setObjectName(QStringLiteral("clearHistoryButton"));
    clearHistoryButton_->setAutoDefault(false);
    auto* scoresLayout = new QVBoxLayout(scoresPage_);
    scoresLayout->addWidget(scoresList_, 1);
    scoresLayout->addWidget(clearHistoryButton_, 0, Qt::AlignLeft);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);

    connect(nextCaseButton_, &QToolButton::clicked, this, &ClinicalCasesDialog::drawNextCase);
    connect(restartButton_, &QToolButton::clicked, this, [this] {
        clearCase();
        restartSeries();
    });
    connect(checkButton_, &QToolButton::clicked, this, &ClinicalCasesDialog::checkAnswer);
    connect(lengthEdit_, &QLineEdit::textChanged, this, &ClinicalCasesDialog::onLengthChanged);
    connect(answerEdit_, &QLineEdit::textEdited, this, &ClinicalCasesDialog::searchAnswer);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        if (tabs_->currentWidget() == scoresPage_)
            listScores();
    });
    connect(scoresList_, &SortableListWidget::columnClicked, this, &ClinicalCasesDialog::sortScores);
    connect(clearHistoryButton_, &QPushButton::clicked, this, &ClinicalCasesDialog::clearHistory);

    clearCase();
    restartSeries();
    answerEdit_->setFocus();
}

void ClinicalCasesDialog::clearCase()
{
    pathologyTabs_->setCurrentIndex(0);
    associatedList_->clear();
    associatedHeader_->setText(training::associatedPathologiesCaption(0));
    signsList_->clear();
    examsList_->clear();
    answerCombo_->clear();
    answerCombo_->setPlaceholderText(QString());
    solutionEdit_->clear();
    answerEdit_->clear();
    patientEdit_->clear();
}

void ClinicalCasesDialog::restartSeries()
{
    const QString length = QString::number(training::Series::DefaultLength);
    if (lengthEdit_->text() != length)
        lengthEdit_->setText(length); // restarts the series through onLengthChanged()
    series_.restart(training::Series::DefaultLength);
    showProgress();
}

void ClinicalCasesDialog::onLengthChanged()
{
    if (lengthEdit_->text().isEmpty()) {
        lengthEdit_->setText(QStringLiteral("0")); // comes back here
        return;
    }
    clearCase();
    series_.restart(lengthEdit_->text().toInt());
    showProgress();
}

void ClinicalCasesDialog::showProgress()
{
    progressLabel_->setText(series_.progressText());
}

void ClinicalCasesDialog::drawNextCase()
{
    if (!series_.canDraw())
        return;
    clearCase();
    QString error;
    std::optional<training::ClinicalCase> drawn;
    try {
        drawn = training::drawCase(query_, random_, &error);
    } catch (const kb::DbError& e) {
        error = e.message();
    }
    if (!drawn) {
        messages_.error(error);
        return;
    }
    series_.addCase(*drawn);
    showCase(*drawn);
    showProgress();
    answerEdit_->setFocus();
}

void ClinicalCasesDialog::showCase(const training::ClinicalCase& drawn)
{
    patientEdit_->setText(drawn.patientText);
    associatedList_->addItems(drawn.associatedPathologies);
    associatedHeader_->setText(training::associatedPathologiesCaption(drawn.associatedPathologies.size()));
    signsList_->addItems(drawn.signs);
    examsList_->addItems(drawn.exams);
    pathologyTabs_->setCurrentIndex(0);
}

void ClinicalCasesDialog::searchAnswer(const QString& text)
{
    QStringList names;
    try {
        names = text.isEmpty() ? training::allPathologyNames(query_) : recognition::RechercheP(query_, text);
    } catch (const kb::DbError& e) {
        messages_.error(e.message());
    }
    answerCombo_->clear();
    answerCombo_->addItems(names);
    // Nothing is chosen until the physician picks an item; until then the box says what it holds.
    answerCombo_->setCurrentIndex(-1);
    answerCombo_->setPlaceholderText(
        names.isEmpty()
            ? QStringLiteral("Aucune pathologie trouvée")
            : QStringLiteral("%1 pathologie(s) trouvée(s) : flèche bas pour choisir").arg(names.size()));
}

void ClinicalCasesDialog::checkAnswer()
{
    const training::ClinicalCase* current = series_.currentCase();
    if (!current)
        return;
    solutionEdit_->setText(current->pathology);
    const bool right = series_.check(answerCombo_->currentText(), answerEdit_->text());
    solutionEdit_->setStyleSheet(right ? QStringLiteral("QLineEdit { color: darkgreen; }")
                                       : QStringLiteral("QLineEdit { color: darkred; }"));
    if (series_.isComplete())
        finishSeries();
}

void ClinicalCasesDialog::finishSeries()
{
    const QString score = training::formatScore(series_.scorePercent());
    SeriesResultDialog result(series_.correct(), QString::number(series_.length()), score, this);
    result.exec();
    try {
        training::storeScore(query_, {training::scoreDateTime(QDateTime::currentDateTime()),
                                      series_.correct(), series_.length(), score});
    } catch (const kb::DbError& e) {
        messages_.error(e.message());
    }
    clearCase();
    restartSeries();
}

void ClinicalCasesDialog::listScores()
{
    scoresList_->clear();
    QList<training::ScoreRow> rows;
    try {
        rows = training::loadScores(query_);
    } catch (const kb::DbError& e) {
        messages_.error(e.message());
    }
    for (const training::ScoreRow& row : rows)
        scoresList_->addTopLevelItem(new QTreeWidgetItem(
            QStringList{row.dateTime, QString::number(row.correct), QString::number(row.total), row.score}));
    scoresList_->setSortArrow(0, SortableListWidget::Arrow::None);
}

void ClinicalCasesDialog::clearHistory()
{
    if (!messages_.confirm(QStringLiteral("Voulez-vous vraiment effacer l'historique ?")))
        return;
    try {
        training::clearScores(query_);
    } catch (const kb::DbError& e) {
        messages_.error(e.message());
        return;
    }
    scoresList_->clear();
}

void ClinicalCasesDialog::sortScores(int column)
{
    const bool ascending = scoresList_->sortArrow(column) != SortableListWidget::Arrow::Up;
    scoresList_->sortWith([column, ascending](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        const int order = training::compareScoreTexts(column, SortableListWidget::sortKey(a, column),
                                                      SortableListWidget::sortKey(b, column));
        return ascending ? order : -order;
    });
    scoresList_->setSortArrow(column,
                              ascending ? SortableListWidget::Arrow::Up : SortableListWidget::Arrow::Down);
}

bool ClinicalCasesDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == answerEdit_ && key == Qt::Key_Down) {
        answerCombo_->setFocus();
        if (answerCombo_->count() > 0)
            answerCombo_->setCurrentIndex(0);
        return true;
    }
    if (watched == answerCombo_) {
        if (key == Qt::Key_Up && answerCombo_->currentIndex() <= 0) {
            answerEdit_->setFocus();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (answerCombo_->currentIndex() >= 0) {
                answerEdit_->setText(answerCombo_->currentText());
                answerEdit_->setFocus();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vardelo::dialogs
