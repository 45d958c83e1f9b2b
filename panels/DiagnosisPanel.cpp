#include "panels/DiagnosisPanel.h"

#include "case/TextCompare.h"
#include "engine/CaseSession.h"
#include "panels/PanelParts.h"
#include "widgets/GradientPanel.h"
#include "widgets/Icons.h"
#include "widgets/SortableListWidget.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>

namespace vardelo::panels {

using widgets::SortableListWidget;

namespace {
// The colour of the list's odd rows, when it has the focus and when it has not.
const quint32 FocusedRowsBgr = 0x006CFF6C;
const quint32 RowsBgr = 0x005BFFFF;
constexpr int ButtonColumnWidth = 139;
} // namespace

DiagnosisPanel::DiagnosisPanel(engine::CaseSession& session, QWidget* parent)
    : QWidget(parent)
    , session_(session)
{
    setObjectName(QStringLiteral("diagnosisPanel"));
    disclaimerHeader_ =
        makePanelHeader(this, QStringLiteral("disclaimerHeader"),
                        QStringLiteral("Le médecin est le seul responsable du diagnostic et du traitement"));
    disclaimerHeader_->setFixedHeight(24);
    rankingCombo_ = new QComboBox(this);
    rankingCombo_->setObjectName(QStringLiteral("rankingCombo"));
    // The items follow the numbering of the ranking modes.
    rankingCombo_->addItems(engine::SortModeCaptions);
    rankingCombo_->setFocusPolicy(Qt::NoFocus);
    // As wide as its longest item, so that "Tri par concordance" shows whole.
    rankingCombo_->setFixedSize(std::max(ButtonColumnWidth, rankingCombo_->sizeHint().width()), 24);

    diagnosisList_ = new SortableListWidget(this);
    diagnosisList_->setObjectName(QStringLiteral("diagnosisList"));
    diagnosisList_->setColumnCount(2);
    diagnosisList_->setHeaderLabels({QStringLiteral("%"), engine::CaptionDiagnoses});
    diagnosisList_->header()->resizeSection(0, 40);
    diagnosisList_->header()->resizeSection(1, 390);
    diagnosisList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    diagnosisList_->setOddRowColor(widgets::colorFromBgr(RowsBgr));
    diagnosisList_->setEvenRowColor(palette().color(QPalette::Base));
    diagnosisList_->setMinimumHeight(60);
    diagnosisList_->installEventFilter(this);
    diagnosisList_->viewport()->installEventFilter(this);

    // Why the selected pathology is there, in a line under the list (each row's tooltip says it too).
    reasonsLabel_ = new QLabel(this);
    reasonsLabel_->setObjectName(QStringLiteral("reasonsLabel"));
    reasonsLabel_->setWordWrap(true);
    reasonsLabel_->setTextFormat(Qt::PlainText);
    {
        QFont f = reasonsLabel_->font();
        f.setPixelSize(11);
        reasonsLabel_->setFont(f);
    }
    concordanceAction_ = new QAction(QStringLiteral("Tri par concordance (F7)"), this);
    concordanceAction_->setObjectName(QStringLiteral("concordanceAction"));
    concordanceAction_->setShortcut(QKeySequence(Qt::Key_F7));
    concordanceAction_->setShortcutContext(Qt::WindowShortcut);
    concordanceAction_->setToolTip(QStringLiteral(
        "Classer les pathologies selon les signes qu'elles expliquent, sans exiger qu'elles les aient tous"));
    addAction(concordanceAction_);
    concordanceOfferButton_ = new QToolButton(this);
    concordanceOfferButton_->setObjectName(QStringLiteral("concordanceOfferButton"));
    concordanceOfferButton_->setDefaultAction(concordanceAction_);
    concordanceOfferButton_->setVisible(false);
    // The line keeps its place while empty, so that the list does not move when it fills.
    reasonsLabel_->setMinimumHeight(concordanceOfferButton_->sizeHint().height());

    auto boldButton = [this](const char* name, const QString& text) {
        QToolButton* b = makeButton(this, QString::fromLatin1(name), text);
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
        return b;
    };
    definitionButton_ = boldButton("definitionButton", QStringLiteral("Définition"));
    treatmentButton_ = boldButton("treatmentButton", QStringLiteral("Traitement"));
    wikiButton_ = makeButton(this, QStringLiteral("wikiButton"), QStringLiteral("Wikipedia médicale"));
    msdButton_ = makeButton(this, QStringLiteral("msdButton"), QStringLiteral("Manuel MSD Pro"));
    googleButton_ = makeButton(this, QStringLiteral("googleButton"), QStringLiteral("Google standard"));
    scholarButton_ = makeButton(this, QStringLiteral("scholarButton"), QStringLiteral("Google Scholar"));
    googleImagesButton_ =
        makeButton(this, QStringLiteral("googleImagesButton"), QStringLiteral("Google IMAGES"));
    reportButton_ = boldButton("reportButton", QStringLiteral("PDF"));
    learningButton_ = makeButton(this, QStringLiteral("learningButton"), QStringLiteral("Apprentissage"));
    for (QToolButton* b : {definitionButton_, treatmentButton_, wikiButton_, msdButton_, googleButton_,
                           scholarButton_, googleImagesButton_, reportButton_, learningButton_})
        b->setFixedSize(ButtonColumnWidth, b == reportButton_ || b == learningButton_ ? 25 : 22);
    connect(reportButton_, &QToolButton::clicked, this, &DiagnosisPanel::reportRequested);

    retainedHeader_ = makePanelHeader(this, QStringLiteral("retainedHeader"), QStringLiteral("Diagnostic :"));
    retainedHeader_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    retainedHeader_->setContentsMargins(5, 0, 0, 0);
    retainedHeader_->setFixedSize(106, 24);
    {
        QFont f = retainedHeader_->font();
        f.setPixelSize(11);
        retainedHeader_->setFont(f);
    }
    clearRetainedButton_ = makeButton(retainedHeader_, QStringLiteral("clearRetainedButton"),
                                      QStringLiteral("✖"), QStringLiteral("Effacer le diagnostic"));
    clearRetainedButton_->setAutoRaise(true);
    clearRetainedButton_->setFixedSize(20, 20);
    {
        // The clear button sits at the right end of the caption.
        auto* row = new QHBoxLayout(retainedHeader_);
        row->setContentsMargins(0, 2, 2, 2);
        row->addStretch(1);
        row->addWidget(clearRetainedButton_);
    }
    retainedDiagnosisEdit_ = new QLineEdit(this);
    retainedDiagnosisEdit_->setObjectName(QStringLiteral("retainedDiagnosisEdit"));
    retainedDiagnosisEdit_->setReadOnly(true);
    retainedDiagnosisEdit_->setPlaceholderText(QStringLiteral("Diagnostic retenu"));
    retainedDiagnosisEdit_->setStyleSheet(QStringLiteral("QLineEdit { color: navy; }"));
    retainedDiagnosisEdit_->setFixedHeight(24);
    retainedDiagnosisEdit_->installEventFilter(this);
    scoreBar_ = new QProgressBar(this);
    scoreBar_->setObjectName(QStringLiteral("scoreBar"));
    scoreBar_->setTextVisible(false);
    scoreBar_->setValue(0);
    scoreBar_->setFixedHeight(10);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(0);
    buttons->addWidget(definitionButton_);
    buttons->addWidget(treatmentButton_);
    buttons->addSpacing(6);
    for (QToolButton* b : {wikiButton_, msdButton_, googleButton_, scholarButton_, googleImagesButton_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(reportButton_);
    auto* retainedRow = new QHBoxLayout;
    retainedRow->setSpacing(6);
    retainedRow->addWidget(retainedHeader_);
    retainedRow->addWidget(retainedDiagnosisEdit_, 1);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(5);
    grid->setVerticalSpacing(8);
    grid->addWidget(disclaimerHeader_, 0, 0);
    grid->addWidget(rankingCombo_, 0, 1);
    grid->addWidget(diagnosisList_, 1, 0);
    grid->addLayout(buttons, 1, 1, 2, 1);
    auto* reasonsRow = new QHBoxLayout;
    reasonsRow->addWidget(reasonsLabel_, 1);
    reasonsRow->addWidget(concordanceOfferButton_);
    grid->addLayout(reasonsRow, 2, 0);
    grid->addLayout(retainedRow, 3, 0);
    grid->addWidget(learningButton_, 3, 1);
    grid->addWidget(scoreBar_, 4, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);

    connect(diagnosisList_, &SortableListWidget::columnClicked, this, &DiagnosisPanel::sortByColumn);
    connect(diagnosisList_, &QTreeWidget::itemClicked, this, &DiagnosisPanel::retainClickedDiagnosis);
    connect(diagnosisList_, &QTreeWidget::currentItemChanged, this, &DiagnosisPanel::showSelectedScore);
    connect(rankingCombo_, qOverload<int>(&QComboBox::activated), this, &DiagnosisPanel::onRankingChosen);
    connect(diagnosisList_, &QTreeWidget::currentItemChanged, this, &DiagnosisPanel::showReasonsOfCurrentRow);
    connect(concordanceAction_, &QAction::triggered, this,
            [this] { session_.setRankingMode(engine::SortMode::Concordance); });
    connect(&session_, &engine::CaseSession::rankingModeChanged, this, &DiagnosisPanel::showRankingMode);
    connect(learningButton_, &QToolButton::clicked, this, &DiagnosisPanel::learningRequested);
    connect(diagnosisList_, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (!selectedDiagnosis().isEmpty())
            emit sheetOfRowRequested();
    });
    connect(definitionButton_, &QToolButton::clicked, this, [this] { emit sheetPageRequested(0); });
    connect(treatmentButton_, &QToolButton::clicked, this, [this] { emit sheetPageRequested(3); });
    // In the order of the web sources: MSD, Wikipedia, Google, Google Scholar, Google images.
    const QToolButton* webButtons[] = {msdButton_, wikiButton_, googleButton_, scholarButton_,
                                       googleImagesButton_};
    for (int source = 0; source < 5; ++source) {
        connect(webButtons[source], &QToolButton::clicked, this,
                [this, source] { emit webLookupRequested(source); });
    }
    connect(clearRetainedButton_, &QToolButton::clicked, this,
            [this] { session_.setRetainedDiagnosis(QString()); });

    connect(&session_, &engine::CaseSession::evaluated, this, &DiagnosisPanel::showEvaluation);
    connect(&session_, &engine::CaseSession::retainedDiagnosisChanged, this,
            &DiagnosisPanel::showRetainedDiagnosis);
    connect(&session_, &engine::CaseSession::cleared, this, [this] {
        diagnosisList_->clear();
        scoreBar_->setValue(0);
        reasonsLabel_->clear();
        concordanceOfferButton_->setVisible(false);
        // The line keeps its place while empty, so that the list does not move when it fills.
        reasonsLabel_->setMinimumHeight(concordanceOfferButton_->sizeHint().height());
    });
}

std::vector<engine::DiagnosisRow> DiagnosisPanel::displayedRows() const
{
    std::vector<engine::DiagnosisRow> rows;
    for (int i = 0; i < diagnosisList_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = diagnosisList_->topLevelItem(i);
        rows.push_back({item->text(0), item->text(1), !item->icon(1).isNull()});
    }
    return rows;
}

QString DiagnosisPanel::columnCaption(int column) const
{
    return diagnosisList_->headerItem()->text(column);
}

QString DiagnosisPanel::rankingText() const
{
    return rankingCombo_->currentText();
}

void DiagnosisPanel::focusList()
{
    diagnosisList_->setFocus();
}

QString DiagnosisPanel::selectedDiagnosis() const
{
    const QList<QTreeWidgetItem*> selected = diagnosisList_->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text(1);
}

void DiagnosisPanel::showEvaluation(const engine::EvaluationResult& result)
{
    diagnosisList_->clear();
    diagnosisList_->headerItem()->setText(1, result.header);
    // The emergency mark is an icon and a tooltip on the item, so that it moves with the row when
    // the list is sorted and leaves the name, which the rest of the program reads, as it is.
    const QIcon emergencyIcon = widgets::emergencyIcon();
    const QString emergencyTip = QStringLiteral("Urgence\u00A0: prise en charge hospitalière le jour même");
    for (const engine::DiagnosisRow& row : result.rows) {
        auto* item = new QTreeWidgetItem(QStringList{row.percent, row.name});
        if (row.emergency) {
            item->setIcon(1, emergencyIcon);
            for (int column : {0, 1})
                item->setToolTip(column, emergencyTip);
        }
        diagnosisList_->addTopLevelItem(item);
    }
    if (result.progressMaximum >= 0)
        scoreBar_->setMaximum(std::max(result.progressMaximum, 1));
    scoreBar_->setValue(result.progressPosition);
    // A strict ranking that keeps no pathology for the findings entered: the concordance ranking
    // lists those explaining most of them.
    concordanceOfferButton_->setVisible(!result.failed && result.rows.empty() && !session_.isEmpty() &&
                                        session_.rankingMode() != engine::SortMode::Concordance &&
                                        result.header == engine::diagnosesHeader(0));
    if (!result.failed)
        selectRetainedDiagnosis();
    showReasonsOfCurrentRow();
    if (concordanceOfferButton_->isVisibleTo(this))
        reasonsLabel_->setText(QStringLiteral("Aucune pathologie ne réunit tous les signes entrés."));
}

QString DiagnosisPanel::reasonsText(const QString& pathology) const
{
    const std::optional<engine::FindingReasons> reasons = session_.reasons(pathology);
    if (!reasons || (reasons->explains.empty() && reasons->lacks.isEmpty()))
        return QString();
    QStringList explained;
    for (const engine::ExplainedFinding& f : reasons->explains)
        explained.append(QStringLiteral("%1 (%2)").arg(f.finding).arg(f.weight));
    QStringList parts;
    if (!explained.isEmpty())
        parts.append(QStringLiteral("Explique : ") + explained.join(QStringLiteral(", ")));
    if (!reasons->lacks.isEmpty())
        parts.append(QStringLiteral("N'explique pas : ") + reasons->lacks.join(QStringLiteral(", ")));
    return parts.join(QStringLiteral(" — "));
}

void DiagnosisPanel::showReasonsOfCurrentRow()
{
    const QTreeWidgetItem* item = diagnosisList_->currentItem();
    reasonsLabel_->setText(item ? reasonsText(item->text(1)) : QString());
}

void DiagnosisPanel::showRetainedDiagnosis()
{
    retainedDiagnosisEdit_->setText(session_.retainedDiagnosis());
}

void DiagnosisPanel::selectRetainedDiagnosis()
{
    const QString retained = session_.retainedDiagnosis();
    for (int i = 0; i < diagnosisList_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = diagnosisList_->topLevelItem(i);
        if (item->text(1) == retained) {
            diagnosisList_->setCurrentItem(item);
            return;
        }
    }
}

void DiagnosisPanel::sortByColumn(int column)
{
    const bool ascending = diagnosisList_->sortArrow(column) != SortableListWidget::Arrow::Up;
    diagnosisList_->sortWith([column, ascending](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        const QString ka = SortableListWidget::sortKey(a, column);
        const QString kb = SortableListWidget::sortKey(b, column);
        int order = 0;
        if (column == 0) {
            const qint64 x = ka.toLongLong();
            const qint64 y = kb.toLongLong();
            order = x < y ? -1 : (x > y ? 1 : 0);
        } else {
            order = model::compareText(ka, kb);
        }
        return ascending ? order : -order;
    });
    diagnosisList_->setSortArrow(column,
                                 ascending ? SortableListWidget::Arrow::Up : SortableListWidget::Arrow::Down);
}

void DiagnosisPanel::retainClickedDiagnosis()
{
    if (QTreeWidgetItem* item = diagnosisList_->currentItem())
        session_.setRetainedDiagnosis(item->text(1));
}

void DiagnosisPanel::showSelectedScore()
{
    if (QTreeWidgetItem* item = diagnosisList_->currentItem()) {
        scoreBar_->setMaximum(100);
        scoreBar_->setValue(std::clamp(item->text(0).toInt(), 0, 100));
    }
}

void DiagnosisPanel::onRankingChosen()
{
    session_.setRankingMode(static_cast<engine::SortMode>(rankingCombo_->currentIndex()));
}

void DiagnosisPanel::showRankingMode()
{
    const engine::SortMode mode = session_.rankingMode();
    rankingCombo_->setCurrentIndex(static_cast<int>(mode));
    diagnosisList_->headerItem()->setText(0, mode == engine::SortMode::Probability ? QStringLiteral("0,")
                                                                                   : QStringLiteral("%"));
}

void DiagnosisPanel::onListFocused()
{
    if (diagnosisList_->topLevelItemCount() > 0 && !diagnosisList_->currentItem())
        diagnosisList_->setCurrentItem(diagnosisList_->topLevelItem(0));
    if (diagnosisList_->currentItem())
        showSelectedScore();
    diagnosisList_->setOddRowColor(widgets::colorFromBgr(FocusedRowsBgr));
}

void DiagnosisPanel::onListLeft()
{
    diagnosisList_->setOddRowColor(widgets::colorFromBgr(RowsBgr));
    if (diagnosisList_->topLevelItemCount() > 0) {
        scoreBar_->setMaximum(diagnosisList_->topLevelItemCount());
        scoreBar_->setValue(1);
    }
}

bool DiagnosisPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == diagnosisList_->viewport() && event->type() == QEvent::ToolTip) {
        // The row's own tooltip (the emergency mark) first, then why the pathology is there.
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const QTreeWidgetItem* item = diagnosisList_->itemAt(help->pos())) {
            QStringList lines;
            if (!item->toolTip(1).isEmpty())
                lines.append(item->toolTip(1));
            const QString reasons = reasonsText(item->text(1));
            if (!reasons.isEmpty())
                lines.append(QString(reasons).replace(QStringLiteral(" — "), QStringLiteral("\n")));
            if (!lines.isEmpty()) {
                QToolTip::showText(help->globalPos(), lines.join(u'\n'), diagnosisList_->viewport());
                return true;
            }
        }
    }
    if (watched == diagnosisList_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (!selectedDiagnosis().isEmpty())
                emit sheetOfRowRequested();
            return true;
        }
    }
    if (watched == diagnosisList_ && event->type() == QEvent::FocusIn)
        onListFocused();
    else if (watched == diagnosisList_ && event->type() == QEvent::FocusOut)
        onListLeft();
    else if (watched == retainedDiagnosisEdit_ && event->type() == QEvent::MouseButtonDblClick) {
        retainedDiagnosisEdit_->selectAll();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QStringList DiagnosisPanel::shownDiagnoses() const
{
    QStringList names;
    for (int i = 0; i < diagnosisList_->topLevelItemCount(); ++i)
        names.append(diagnosisList_->topLevelItem(i)->text(1));
    return names;
}

} // namespace vardelo::panels
