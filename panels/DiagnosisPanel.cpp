#include "panels/DiagnosisPanel.h"

#include "case/TextCompare.h"
#include "engine/CaseSession.h"
#include "panels/PanelParts.h"
#include "widgets/GradientPanel.h"
#include "widgets/Icons.h"
#include "widgets/SortableListWidget.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

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
    rankingCombo_->addItems({QStringLiteral("Tri par Prévalence"), QStringLiteral("Tri par Probabilité")});
    rankingCombo_->setFocusPolicy(Qt::NoFocus);
    rankingCombo_->setFixedSize(ButtonColumnWidth, 24);

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
    markAvailableLater(reportButton_);

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
    grid->addLayout(buttons, 1, 1);
    grid->addLayout(retainedRow, 2, 0);
    grid->addWidget(learningButton_, 2, 1);
    grid->addWidget(scoreBar_, 3, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);

    connect(diagnosisList_, &SortableListWidget::columnClicked, this, &DiagnosisPanel::sortByColumn);
    connect(diagnosisList_, &QTreeWidget::itemClicked, this, &DiagnosisPanel::retainClickedDiagnosis);
    connect(diagnosisList_, &QTreeWidget::currentItemChanged, this, &DiagnosisPanel::showSelectedScore);
    connect(rankingCombo_, qOverload<int>(&QComboBox::activated), this, &DiagnosisPanel::onRankingChosen);
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
    });
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
    if (!result.failed)
        selectRetainedDiagnosis();
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
    const bool probability = rankingCombo_->currentIndex() == 1;
    diagnosisList_->headerItem()->setText(0, probability ? QStringLiteral("0,") : QStringLiteral("%"));
    session_.setRankingMode(probability ? engine::SortMode::Probability : engine::SortMode::Prevalence);
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
