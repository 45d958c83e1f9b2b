#include "panels/CaseBar.h"

#include "panels/PanelParts.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QToolButton>

namespace vardelo::panels {

namespace {

// The case list's rows: the current case in bold, every other row on pale green, the selected row
// in white on the highlight colour.
class CaseListDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & (QStyle::State_Selected | QStyle::State_MouseOver);
        painter->save();
        QFont font = option.font;
        font.setBold(index.row() == 0);
        painter->setFont(font);
        const QRect text = option.rect.adjusted(3, 0, -3, 0);
        const QString caption = index.data(Qt::DisplayRole).toString();
        if (selected) {
            painter->fillRect(option.rect, option.palette.color(QPalette::Active, QPalette::Highlight));
            painter->setPen(Qt::white);
        } else {
            painter->fillRect(option.rect, index.row() % 2 == 1 ? QColor(192, 220, 192) : QColor(Qt::white));
            painter->setPen(Qt::black);
        }
        painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft, caption);
        painter->restore();
    }
};

} // namespace

CaseBar::CaseBar(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("caseBar"));
    clearAllButton_ = makeButton(this, QStringLiteral("clearAllButton"), QStringLiteral("✖"),
                                 QStringLiteral("Effacer tout (Appuyez sur Echap)"));
    savedCasesCombo_ = new QComboBox(this);
    savedCasesCombo_->setObjectName(QStringLiteral("savedCasesCombo"));
    savedCasesCombo_->setToolTip(QStringLiteral("Liste des fiches diagnostics enregistrés"));
    savedCasesCombo_->setPlaceholderText(QStringLiteral("Liste des fiches diagnostics enregistrés"));
    savedCasesCombo_->setItemDelegate(new CaseListDelegate(savedCasesCombo_));
    savedCasesCombo_->setMaxVisibleItems(20);
    savedCasesCombo_->installEventFilter(this);
    deleteParallelAnalysisButton_ =
        makeButton(this, QStringLiteral("deleteParallelAnalysisButton"), QStringLiteral("✖"),
                   QStringLiteral("Supprimer l'analyse parallèle"));
    parallelAnalysesCombo_ = new QComboBox(this);
    parallelAnalysesCombo_->setObjectName(QStringLiteral("parallelAnalysesCombo"));
    parallelAnalysesCombo_->setToolTip(QStringLiteral("Analyses Paralléles"));
    parallelAnalysesCombo_->setPlaceholderText(QStringLiteral("Analyses Paralléles"));
    clearAllButton_->setFixedSize(41, 24);
    deleteParallelAnalysisButton_->setFixedSize(40, 24);
    savedCasesCombo_->setFixedHeight(22);
    parallelAnalysesCombo_->setFixedHeight(22);
    savedCasesCombo_->setMinimumWidth(200);
    parallelAnalysesCombo_->setMinimumWidth(200);
    // A long patient name must not widen the window.
    savedCasesCombo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    parallelAnalysesCombo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(5);
    grid->setVerticalSpacing(4);
    grid->addWidget(clearAllButton_, 0, 0);
    grid->addWidget(savedCasesCombo_, 0, 1);
    grid->addWidget(deleteParallelAnalysisButton_, 1, 0);
    grid->addWidget(parallelAnalysesCombo_, 1, 1);
    grid->setColumnStretch(1, 1);

    connect(clearAllButton_, &QToolButton::clicked, this, &CaseBar::clearAllRequested);
    connect(savedCasesCombo_, qOverload<int>(&QComboBox::activated), this, &CaseBar::caseChosen);
    connect(parallelAnalysesCombo_, qOverload<int>(&QComboBox::activated), this, &CaseBar::analysisChosen);
    connect(deleteParallelAnalysisButton_, &QToolButton::clicked, this, [this] {
        if (parallelAnalysesCombo_->currentIndex() >= 0)
            emit deleteAnalysisRequested();
    });
}

void CaseBar::showCases(const QString& newCaseEntry, const QStringList& savedCases, int selected)
{
    const QSignalBlocker blocker(savedCasesCombo_);
    savedCasesCombo_->clear();
    savedCasesCombo_->addItem(newCaseEntry);
    savedCasesCombo_->addItems(savedCases);
    savedCasesCombo_->setCurrentIndex(selected);
    // The closed list shows the current case as its first row is drawn.
    QFont font = savedCasesCombo_->font();
    font.setBold(selected == 0);
    savedCasesCombo_->setFont(font);
}

int CaseBar::selectedCase() const
{
    return savedCasesCombo_->currentIndex();
}

void CaseBar::showAnalyses(const QStringList& analyses, int selected)
{
    const QSignalBlocker blocker(parallelAnalysesCombo_);
    parallelAnalysesCombo_->clear();
    parallelAnalysesCombo_->addItems(analyses);
    parallelAnalysesCombo_->setCurrentIndex(selected);
    deleteParallelAnalysisButton_->setEnabled(!analyses.isEmpty());
}

bool CaseBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == savedCasesCombo_ && event->type() == QEvent::FocusIn) {
        // Coming back from a message box, a popup or another window is not the physician entering
        // the list.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            emit caseListFocused();
    }
    return QWidget::eventFilter(watched, event);
}

QString CaseBar::caseTitle() const
{
    return savedCasesCombo_->currentText();
}

QString CaseBar::analysisName() const
{
    return parallelAnalysesCombo_->currentText();
}

} // namespace vardelo::panels
