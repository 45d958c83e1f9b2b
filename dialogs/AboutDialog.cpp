#include "dialogs/AboutDialog.h"

#include "platform/Deployment.h"
#include "platform/Desktop.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>
#include <QVBoxLayout>

namespace vardelo::dialogs {

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, const QString& style)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setStyleSheet(QStringLiteral("QLabel { background: transparent; %1 }").arg(style));
    return l;
}

QHBoxLayout* centred(std::initializer_list<QWidget*> widgets, int spacing = 6)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(spacing);
    row->addStretch(1);
    for (QWidget* w : widgets)
        row->addWidget(w);
    row->addStretch(1);
    return row;
}

} // namespace

AboutDialog::AboutDialog(const AboutInfo& info, platform::Desktop& desktop, QWidget* parent)
    : QDialog(parent)
    , desktop_(desktop)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(info.productName);
    // No buttons in the title bar: "OK" closes the window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    setMinimumSize(406, 370);

    titleLabel_ =
        label(this, "titleLabel", info.title,
              QStringLiteral("color: white; font-weight: bold; font-size: 21px; background: #3c5a99;"));
    titleLabel_->setMinimumSize(279, 41);
    titleLabel_->setAlignment(Qt::AlignCenter);
    subtitleLabel_ = label(this, "subtitleLabel", info.tagline,
                           QStringLiteral("color: white; font-weight: bold; background: #5b79b8;"));
    subtitleLabel_->setMinimumHeight(24);
    subtitleLabel_->setAlignment(Qt::AlignCenter);
    versionStatusLabel_ =
        label(this, "versionStatusLabel", info.versionStatus, QStringLiteral("font-weight: bold;"));
    versionStatusLabel_->setAlignment(Qt::AlignCenter);
    designedByLabel_ = label(this, "designedByLabel", QStringLiteral("Conception du logiciel par :"),
                             QStringLiteral("color: blue;"));
    authorLabel_ = label(this, "authorLabel", platform::deployment::AuthorCredit,
                         QStringLiteral("color: green; font-size: 16px;"));
    roleLabel_ =
        label(this, "roleLabel", QStringLiteral("Médecin généraliste"), QStringLiteral("color: green;"));
    webCaptionLabel_ =
        label(this, "webCaptionLabel", QStringLiteral("Site web :"), QStringLiteral("color: blue;"));
    webLabel_ = label(this, "webLabel", platform::deployment::WebSite,
                      QStringLiteral("color: navy; text-decoration: underline;"));
    webLabel_->setCursor(Qt::PointingHandCursor);
    socialPageLabel_ = label(this, "socialPageLabel", QStringLiteral("f"),
                             QStringLiteral("color: #3b5998; font-weight: bold; border: 1px solid #3b5998;"));
    socialPageLabel_->setFixedSize(38, 34);
    socialPageLabel_->setAlignment(Qt::AlignCenter);
    socialPageLabel_->setToolTip(QStringLiteral("Notre page communautaire"));
    socialPageLabel_->setCursor(Qt::PointingHandCursor);
    videoLabel_ = label(this, "videoLabel", QStringLiteral("▶"),
                        QStringLiteral("color: white; font-weight: bold; background: #cc0000;"));
    videoLabel_->setFixedSize(55, 42);
    videoLabel_->setAlignment(Qt::AlignCenter);
    videoLabel_->setToolTip(QStringLiteral("Nos vidéos"));
    videoLabel_->setCursor(Qt::PointingHandCursor);
    emailCaptionLabel_ =
        label(this, "emailCaptionLabel", QStringLiteral("E-Mail :"), QStringLiteral("color: blue;"));
    emailLabel_ = label(this, "emailLabel", platform::deployment::Email, QStringLiteral("color: navy;"));
    publishedCaptionLabel_ = label(this, "publishedCaptionLabel", QStringLiteral("Version publiée le : "),
                                   QStringLiteral("color: blue;"));
    publishedLabel_ = label(this, "publishedLabel", info.publicationDate, QStringLiteral("color: navy;"));
    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setFixedSize(110, 25);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    for (QLabel* l : {webLabel_, socialPageLabel_, videoLabel_})
        l->installEventFilter(this);

    auto* addresses = new QGridLayout;
    addresses->setHorizontalSpacing(6);
    addresses->addWidget(webCaptionLabel_, 0, 0);
    addresses->addWidget(webLabel_, 0, 1);
    addresses->addWidget(emailCaptionLabel_, 1, 0);
    addresses->addWidget(emailLabel_, 1, 1);
    auto* links = new QHBoxLayout;
    links->addStretch(1);
    links->addLayout(addresses);
    links->addSpacing(12);
    links->addWidget(socialPageLabel_, 0, Qt::AlignTop);
    links->addWidget(videoLabel_, 0, Qt::AlignTop);
    links->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(19, 15, 19, 15);
    layout->setSpacing(6);
    layout->addLayout(centred({titleLabel_}));
    layout->addWidget(subtitleLabel_);
    layout->addSpacing(12);
    layout->addWidget(versionStatusLabel_);
    layout->addSpacing(16);
    layout->addLayout(centred({designedByLabel_}));
    layout->addLayout(centred({authorLabel_}));
    layout->addLayout(centred({roleLabel_}));
    layout->addSpacing(12);
    layout->addLayout(links);
    layout->addSpacing(12);
    layout->addLayout(centred({publishedCaptionLabel_, publishedLabel_}, 0));
    layout->addStretch(1);
    layout->addLayout(centred({okButton_}));
}

void AboutDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRadialGradient gradient(rect().center(), std::max(width(), height()) / 1.4);
    gradient.setColorAt(0, QColor(193, 193, 255));
    gradient.setColorAt(1, Qt::white);
    painter.fillRect(rect(), gradient);
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == webLabel_)
            desktop_.openUrl(platform::deployment::WebSite);
        else if (watched == socialPageLabel_)
            desktop_.openUrl(platform::deployment::SocialPage);
        else if (watched == videoLabel_)
            desktop_.openUrl(platform::deployment::VideoChannel);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vardelo::dialogs
