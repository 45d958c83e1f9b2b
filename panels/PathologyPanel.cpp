#include "panels/PathologyPanel.h"

#include "engine/Evaluation.h"
#include "kb/Query.h"
#include "panels/PanelParts.h"
#include "platform/TextFile.h"
#include "widgets/Icons.h"

#include <QComboBox>
#include <QGridLayout>
#include <QListWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

namespace vardelo::panels {

PathologyPanel::PathologyPanel(kb::Query& query, QWidget* parent)
    : QWidget(parent)
    , query_(query)
{
    setObjectName(QStringLiteral("pathologyPage"));
    pathologyCombo_ = new QComboBox(this);
    pathologyCombo_->setObjectName(QStringLiteral("pathologyCombo"));
    pathologyCombo_->setMaxVisibleItems(30);
    pathologyWebButton_ = makeButton(this, QStringLiteral("pathologyWebButton"), QString(),
                                     QStringLiteral("Recherche sur le web"));
    pathologyWebButton_->setIcon(widgets::webIcon());
    pathologyWebButton_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    markAvailableLater(pathologyWebButton_);
    webSourceCombo_ = new QComboBox(this);
    webSourceCombo_->setObjectName(QStringLiteral("webSourceCombo"));
    pathologyTabs_ = new QTabWidget(this);
    pathologyTabs_->setObjectName(QStringLiteral("pathologyTabs"));
    pathologyTabs_->setElideMode(Qt::ElideNone);
    definitionView_ = makeRichEdit(pathologyTabs_, QStringLiteral("definitionView"), true);
    pathologySignsList_ = new QListWidget(pathologyTabs_);
    pathologySignsList_->setObjectName(QStringLiteral("pathologySignsList"));
    pathologyExamsList_ = new QListWidget(pathologyTabs_);
    pathologyExamsList_->setObjectName(QStringLiteral("pathologyExamsList"));
    treatmentView_ = makeRichEdit(pathologyTabs_, QStringLiteral("treatmentView"), true);
    pathologyNotesEdit_ = makeRichEdit(pathologyTabs_, QStringLiteral("pathologyNotesEdit"), false);
    for (QWidget* w : std::initializer_list<QWidget*>{
             definitionView_, pathologySignsList_, pathologyExamsList_, treatmentView_, pathologyNotesEdit_})
        setBaseColor(w, editorYellow());
    pathologyTabs_->addTab(definitionView_, QStringLiteral("Définition"));
    pathologyTabs_->addTab(pathologySignsList_, engine::CaptionSigns);
    pathologyTabs_->addTab(pathologyExamsList_, engine::CaptionExams);
    pathologyTabs_->addTab(treatmentView_, QStringLiteral("Traitement"));
    pathologyTabs_->addTab(pathologyNotesEdit_, engine::CaptionNotes);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(pathologyCombo_, 0, 0);
    grid->addWidget(pathologyWebButton_, 0, 1);
    grid->addWidget(webSourceCombo_, 0, 2);
    grid->addWidget(pathologyTabs_, 1, 0, 1, 3);
    grid->setColumnStretch(0, 1);
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

} // namespace vardelo::panels
