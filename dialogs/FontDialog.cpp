#include "dialogs/FontDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vardelo::dialogs {

namespace {

// The sixteen colours a word processor's font dialog offers.
const std::pair<const char16_t*, QRgb> Colors[] = {
    {u"Noir", 0x000000},        {u"Bordeaux", 0x800000}, {u"Vert", 0x008000},        {u"Olive", 0x808000},
    {u"Bleu marine", 0x000080}, {u"Violet", 0x800080},   {u"Sarcelle", 0x008080},    {u"Gris", 0x808080},
    {u"Argent", 0xC0C0C0},      {u"Rouge", 0xFF0000},    {u"Citron vert", 0x00FF00}, {u"Jaune", 0xFFFF00},
    {u"Bleu", 0x0000FF},        {u"Fuchsia", 0xFF00FF},  {u"Bleu clair", 0x00FFFF},  {u"Blanc", 0xFFFFFF},
};

enum Style { Regular, Italic, Bold, BoldItalic };

QIcon swatch(const QColor& color)
{
    QPixmap pixmap(24, 12);
    pixmap.fill(color);
    return QIcon(pixmap);
}

} // namespace

FontDialog::FontDialog(const FontChoice& initial, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fontDialog"));
    setWindowTitle(QStringLiteral("Police"));
    familyCombo_ = new QFontComboBox(this);
    familyCombo_->setObjectName(QStringLiteral("familyCombo"));
    styleCombo_ = new QComboBox(this);
    styleCombo_->setObjectName(QStringLiteral("styleCombo"));
    styleCombo_->addItems({QStringLiteral("Normal"), QStringLiteral("Italique"), QStringLiteral("Gras"),
                           QStringLiteral("Gras italique")});
    sizeSpin_ = new QSpinBox(this);
    sizeSpin_->setObjectName(QStringLiteral("sizeSpin"));
    sizeSpin_->setRange(6, 72);
    underlineCheck_ = new QCheckBox(QStringLiteral("Souligné"), this);
    underlineCheck_->setObjectName(QStringLiteral("underlineCheck"));
    strikeOutCheck_ = new QCheckBox(QStringLiteral("Barré"), this);
    strikeOutCheck_->setObjectName(QStringLiteral("strikeOutCheck"));
    colorCombo_ = new QComboBox(this);
    colorCombo_->setObjectName(QStringLiteral("colorCombo"));
    for (const auto& [name, rgb] : Colors)
        colorCombo_->addItem(swatch(QColor(rgb)), QString::fromUtf16(name), QColor(rgb));
    sampleLabel_ = new QLabel(QStringLiteral("AaBbÉéÇç"), this);
    sampleLabel_->setObjectName(QStringLiteral("sampleLabel"));
    sampleLabel_->setAlignment(Qt::AlignCenter);
    sampleLabel_->setMinimumSize(220, 60);
    sampleLabel_->setFrameShape(QFrame::StyledPanel);

    familyCombo_->setCurrentFont(initial.font);
    styleCombo_->setCurrentIndex((initial.font.bold() ? Bold : Regular) +
                                 (initial.font.italic() ? Italic : 0));
    sizeSpin_->setValue(initial.font.pointSize() > 0 ? initial.font.pointSize() : 10);
    underlineCheck_->setChecked(initial.font.underline());
    strikeOutCheck_->setChecked(initial.font.strikeOut());
    int colorIndex = colorCombo_->findData(initial.color);
    if (colorIndex < 0) {
        // A colour chosen elsewhere stays on offer.
        colorCombo_->addItem(swatch(initial.color), QStringLiteral("Personnalisée"), initial.color);
        colorIndex = colorCombo_->count() - 1;
    }
    colorCombo_->setCurrentIndex(colorIndex);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Police :"), familyCombo_);
    form->addRow(QStringLiteral("Style :"), styleCombo_);
    form->addRow(QStringLiteral("Taille :"), sizeSpin_);
    auto* effects = new QGroupBox(QStringLiteral("Effets"), this);
    auto* effectsLayout = new QFormLayout(effects);
    effectsLayout->addRow(strikeOutCheck_);
    effectsLayout->addRow(underlineCheck_);
    effectsLayout->addRow(QStringLiteral("Couleur :"), colorCombo_);
    auto* sample = new QGroupBox(QStringLiteral("Aperçu"), this);
    auto* sampleLayout = new QVBoxLayout(sample);
    sampleLayout->addWidget(sampleLabel_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    auto* lower = new QHBoxLayout;
    lower->addWidget(effects);
    lower->addWidget(sample, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(lower);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(familyCombo_, &QFontComboBox::currentFontChanged, this, &FontDialog::showSample);
    connect(styleCombo_, &QComboBox::currentIndexChanged, this, &FontDialog::showSample);
    connect(sizeSpin_, &QSpinBox::valueChanged, this, &FontDialog::showSample);
    connect(underlineCheck_, &QCheckBox::toggled, this, &FontDialog::showSample);
    connect(strikeOutCheck_, &QCheckBox::toggled, this, &FontDialog::showSample);
    connect(colorCombo_, &QComboBox::currentIndexChanged, this, &FontDialog::showSample);
    showSample();
}

FontChoice FontDialog::choice() const
{
    FontChoice chosen;
    // The family shown, not the name the dialog was opened with: it may be an alias.
    chosen.font = QFont(familyCombo_->currentText());
    chosen.font.setPointSize(sizeSpin_->value());
    const int style = styleCombo_->currentIndex();
    chosen.font.setBold(style == Bold || style == BoldItalic);
    chosen.font.setItalic(style == Italic || style == BoldItalic);
    chosen.font.setUnderline(underlineCheck_->isChecked());
    chosen.font.setStrikeOut(strikeOutCheck_->isChecked());
    chosen.color = colorCombo_->currentData().value<QColor>();
    return chosen;
}

void FontDialog::showSample()
{
    const FontChoice chosen = choice();
    sampleLabel_->setFont(chosen.font);
    QPalette p = sampleLabel_->palette();
    p.setColor(QPalette::WindowText, chosen.color);
    sampleLabel_->setPalette(p);
}

std::optional<FontChoice> FontDialog::ask(const FontChoice& initial, QWidget* parent)
{
    FontDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

} // namespace vardelo::dialogs
