#include "panels/PathologyPanel.h"

#include "documentation/PathologySheet.h"
#include "documentation/WebLookup.h"
#include "engine/CaseSession.h"
#include "engine/Evaluation.h"
#include "kb/Query.h"
#include "panels/PanelParts.h"
#include "platform/TextFile.h"
#include "rtf/RtfDocument.h"
#include "widgets/Icons.h"
#include "widgets/NotesEditor.h"
#include "widgets/StripedItemDelegate.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <functional>

namespace vardelo::panels {

namespace {

// The rows of the sheet's signs and exams: striped, the items the case holds in bold, the items
// the pathology marks major in blue, the selected row on red.
class SheetItemDelegate : public QStyledItemDelegate {
public:
    using Test = std::function<bool(const QString&)>;
    SheetItemDelegate(const QColor& oddRows, Test entered, Test major, QObject* parent)
        : QStyledItemDelegate(parent)
        , odd_(oddRows)
        , entered_(std::move(entered))
        , major_(std::move(major))
    {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString text = index.data(Qt::DisplayRole).toString();
        painter->save();
        QFont font = option.font;
        font.setBold(entered_(text));
        painter->setFont(font);
        painter->setPen(major_(text) ? QColor(0, 0, 255) : QColor(Qt::black));
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, selected ? QColor(255, 106, 106)
                                                : (index.row() % 2 == 1 ? odd_ : QColor(Qt::white)));
        painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignVCenter, text);
        painter->restore();
    }

private:
    QColor odd_;
    Test entered_;
    Test major_;
};

QListWidget* makeSheetList(QWidget* parent, const QString& name)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformItemSizes(true);
    return list;
}

} // namespace

PathologyPanel::PathologyPanel(kb::Query& query, const engine::CaseSession& session,
                               const QString& notesFolder, QWidget* parent)
    : QWidget(parent)
    , query_(query)
    , session_(session)
    , notes_(notesFolder)
{
    setObjectName(QStringLiteral("pathologyPage"));
    pathologyCombo_ = new QComboBox(this);
    pathologyCombo_->setObjectName(QStringLiteral("pathologyCombo"));
    pathologyCombo_->setMaxVisibleItems(30);
    pathologyCombo_->setItemDelegate(new widgets::StripedItemDelegate(
        QColor(232, 232, 232), Qt::white, Qt::black, Qt::white, QColor(0, 128, 0), true, pathologyCombo_));
    pathologyCombo_->installEventFilter(this);
    pathologyWebButton_ = makeButton(this, QStringLiteral("pathologyWebButton"), QString(),
                                     QStringLiteral("Recherche sur le web"));
    pathologyWebButton_->setIcon(widgets::webIcon());
    pathologyWebButton_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    webSourceCombo_ = new QComboBox(this);
    webSourceCombo_->setObjectName(QStringLiteral("webSourceCombo"));
    webSourceCombo_->addItems(documentation::webSourceCaptions());
    webSourceCombo_->setCurrentIndex(int(documentation::WebSource::Wikipedia));
    pathologyTabs_ = new QTabWidget(this);
    pathologyTabs_->setObjectName(QStringLiteral("pathologyTabs"));
    pathologyTabs_->setElideMode(Qt::ElideNone);
    definitionView_ = makeRichEdit(pathologyTabs_, QStringLiteral("definitionView"), true);
    pathologySignsList_ = makeSheetList(pathologyTabs_, QStringLiteral("pathologySignsList"));
    pathologyExamsList_ = makeSheetList(pathologyTabs_, QStringLiteral("pathologyExamsList"));
    treatmentView_ = makeRichEdit(pathologyTabs_, QStringLiteral("treatmentView"), true);
    pathologyNotesEdit_ = new widgets::NotesEditor(QStringLiteral("pathologyNotesEdit"), pathologyTabs_);
    for (QWidget* w : std::initializer_list<QWidget*>{
             definitionView_, pathologySignsList_, pathologyExamsList_, treatmentView_, pathologyNotesEdit_})
        setBaseColor(w, editorYellow());
    pathologyTabs_->addTab(definitionView_, QStringLiteral("Définition"));
    pathologyTabs_->addTab(pathologySignsList_, engine::CaptionSigns);
    pathologyTabs_->addTab(pathologyExamsList_, engine::CaptionExams);
    pathologyTabs_->addTab(treatmentView_, QStringLiteral("Traitement"));
    pathologyTabs_->addTab(pathologyNotesEdit_, engine::CaptionNotes);

    const auto inFormula = [this](const QString& item) {
        return session_.state().SCList.contains(item, Qt::CaseInsensitive);
    };
    const auto inExams = [this](const QString& item) {
        return session_.state().EC_List.contains(item, Qt::CaseInsensitive);
    };
    pathologySignsList_->setItemDelegate(new SheetItemDelegate(
        QColor(202, 255, 202), inFormula,
        [this](const QString& item) { return documentation::isMajorItem(signLines_, item); }, this));
    pathologyExamsList_->setItemDelegate(new SheetItemDelegate(
        QColor(226, 235, 245), inExams,
        [this](const QString& item) { return documentation::isMajorItem(examLines_, item); }, this));
    for (QListWidget* list : {pathologySignsList_, pathologyExamsList_}) {
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
    }

    QAction* save = pathologyNotesEdit_->popupMenu()->addAction(QStringLiteral("Enregistrer"));
    save->setObjectName(QStringLiteral("saveNotesAction"));
    using Command = widgets::NotesEditor::Command;
    pathologyNotesEdit_->addMenuCommands({Command::Clear, Command::Separator, Command::Cut, Command::Copy,
                                          Command::Paste, Command::Separator, Command::Font,
                                          Command::Separator, Command::Markers});

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(pathologyCombo_, 0, 0);
    grid->addWidget(pathologyWebButton_, 0, 1);
    grid->addWidget(webSourceCombo_, 0, 2);
    grid->addWidget(pathologyTabs_, 1, 0, 1, 3);
    grid->setColumnStretch(0, 1);

    connect(pathologyCombo_, &QComboBox::currentIndexChanged, this, &PathologyPanel::onPathologyChosen);
    connect(pathologyWebButton_, &QToolButton::clicked, this, &PathologyPanel::webLookupRequested);
    connect(save, &QAction::triggered, this, &PathologyPanel::saveNotes);
    // The bold items follow the case.
    for (auto changed : {&engine::CaseSession::formulaChanged, &engine::CaseSession::examsChanged}) {
        connect(&session_, changed, this, [this] {
            pathologySignsList_->viewport()->update();
            pathologyExamsList_->viewport()->update();
        });
    }
}

void PathologyPanel::showPathologyNames()
{
    pathologyCombo_->clear();
    try {
        query_.open(QStringLiteral("select * from Data ORDER BY P ASC"));
        QStringList names;
        for (; !query_.eof(); query_.next())
            names.append(query_.field(QStringLiteral("P")));
        // The items come from the text of the list: a name holding a line break would make two.
        pathologyCombo_->addItems(platform::splitLines(names.join(QStringLiteral("\r\n"))));
    } catch (const kb::DbError& e) {
        emit databaseError(e.message());
    }
    pathologyCombo_->setCurrentIndex(-1);
}

QString PathologyPanel::selectedPathology() const
{
    return pathologyCombo_->currentIndex() < 0 ? QString() : pathologyCombo_->currentText();
}

int PathologyPanel::webSourceIndex() const
{
    return webSourceCombo_->currentIndex();
}

void PathologyPanel::showPathology(const QString& name, SheetPage page)
{
    pathologyTabs_->setCurrentIndex(int(page));
    {
        // Selecting the item is not choosing it: the sheet is loaded once, below.
        const QSignalBlocker blocker(pathologyCombo_);
        pathologyCombo_->setCurrentIndex(pathologyCombo_->findText(name, Qt::MatchExactly));
    }
    loadSheet(name);
}

void PathologyPanel::onPathologyChosen()
{
    if (pathologyCombo_->currentIndex() < 0)
        clearSheet();
    else
        loadSheet(pathologyCombo_->currentText());
}

void PathologyPanel::clearSheet()
{
    pathologySignsList_->clear();
    pathologyExamsList_->clear();
    definitionView_->clear();
    treatmentView_->clear();
    pathologyNotesEdit_->clear();
}

void PathologyPanel::loadSheet(const QString& name)
{
    if (name.isEmpty())
        return;
    pathologySignsList_->clear();
    pathologyExamsList_->clear();
    documentation::PathologySheet sheet;
    try {
        sheet = documentation::loadPathologySheet(query_, name);
    } catch (const kb::DbError& e) {
        emit databaseError(e.message());
        return;
    }
    pathologySignsList_->addItems(sheet.signs);
    signLines_ = sheet.signLines.join(u'\n');
    pathologyExamsList_->addItems(sheet.exams);
    examLines_ = sheet.examLines.join(u'\n');
    // A definition or treatment that is not RTF shows as the plain text it is.
    rtf::setDocumentRtf(*definitionView_->document(), sheet.definition);
    rtf::setDocumentRtf(*treatmentView_->document(), sheet.treatment);
    pathologyNotesEdit_->setRtf(notes_.load(name));
}

void PathologyPanel::onShown()
{
    if (pathologyTabs_->currentWidget() == pathologySignsList_)
        focusList(pathologySignsList_);
    else if (pathologyTabs_->currentWidget() == pathologyExamsList_)
        focusList(pathologyExamsList_);
}

void PathologyPanel::focusSignsList()
{
    focusList(pathologySignsList_);
}

void PathologyPanel::focusList(QListWidget* list)
{
    list->setFocus();
    if (list->count() > 0)
        list->setCurrentRow(0);
}

void PathologyPanel::activateSign()
{
    const QList<QListWidgetItem*> selected = pathologySignsList_->selectedItems();
    if (selected.isEmpty())
        pathologyCombo_->setFocus();
    else
        emit signChosen(selected.first()->text());
}

void PathologyPanel::activateExam()
{
    const QList<QListWidgetItem*> selected = pathologyExamsList_->selectedItems();
    if (!selected.isEmpty())
        emit examLineChosen(selected.first()->text());
}

void PathologyPanel::saveNotes()
{
    const QString pathology = selectedPathology();
    if (pathology.isEmpty())
        return;
    QString error;
    if (notes_.save(pathology, pathologyNotesEdit_->rtf(), pathologyNotesEdit_->holdsText(), &error) ==
        documentation::PathologyNotes::Saved::Failed)
        emit errorRaised(error);
}

bool PathologyPanel::eventFilter(QObject* watched, QEvent* event)
{
    const auto activate = [this](const QObject* list) {
        if (list == pathologySignsList_)
            activateSign();
        else
            activateExam();
    };
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (watched == pathologyCombo_ && enter) {
            if (pathologyCombo_->currentIndex() >= 0)
                loadSheet(pathologyCombo_->currentText());
            return true;
        }
        if ((watched == pathologySignsList_ || watched == pathologyExamsList_) && enter) {
            activate(watched);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        // The press before it has selected the row under the pointer.
        if (watched == pathologySignsList_->viewport() || watched == pathologyExamsList_->viewport()) {
            activate(watched->parent());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vardelo::panels
