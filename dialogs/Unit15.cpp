#include "dialogs/Unit15.h"

#include "app/MessageTexts.h"
#include "app/Unit1.h"
#include "platform/Deployment.h"
#include "platform/Network.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>

namespace vardelo::app {

namespace {

QLabel* label(QWidget* parent, const char* name, int x, int y, const QString& style)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(x, y);
    l->setStyleSheet(QStringLiteral("QLabel { background: transparent; %1 }").arg(style));
    return l;
}

} // namespace

TForm15::TForm15(TForm1* mainWindow)
    : QDialog(mainWindow)
    , main_(mainWindow)
{
    setObjectName(QStringLiteral("Form15"));
    setWindowTitle(QStringLiteral("Acceuil"));
    // No buttons in the title bar: "OK" closes the window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(406, 370);
    setModal(true);

    JvNavPanelHeader1 =
        label(this, "JvNavPanelHeader1", 61, 15,
              QStringLiteral("color: white; font-weight: bold; font-size: 21px; background: #3c5a99;"));
    JvNavPanelHeader1->setFixedSize(279, 41);
    JvNavPanelHeader1->setAlignment(Qt::AlignCenter);
    JvNavPanelHeader2 = label(this, "JvNavPanelHeader2", 19, 62,
                              QStringLiteral("color: white; font-weight: bold; background: #5b79b8;"));
    JvNavPanelHeader2->setFixedSize(369, 24);
    JvNavPanelHeader2->setAlignment(Qt::AlignCenter);
    JvLabel1 = label(this, "JvLabel1", 19, 104, QStringLiteral("font-weight: bold;"));
    JvLabel1->setFixedSize(369, 16);
    JvLabel1->setAlignment(Qt::AlignCenter);
    JvLabel1->setText(QStringLiteral("Une nouvelle version est disponible : "));
    JvgLabel4 = label(this, "JvgLabel4", 112, 144, QStringLiteral("color: blue;"));
    JvgLabel5 = label(this, "JvgLabel5", 78, 168, QStringLiteral("color: green; font-size: 16px;"));
    JvgLabel9 = label(this, "JvgLabel9", 138, 192, QStringLiteral("color: green;"));
    JvgLabel9->setText(QStringLiteral("Médecin généraliste"));
    JvgLabel8 = label(this, "JvgLabel8", 61, 224, QStringLiteral("color: blue;"));
    JvgLabel8->setText(QStringLiteral("Site web :"));
    JvgLabel7 =
        label(this, "JvgLabel7", 126, 224, QStringLiteral("color: navy; text-decoration: underline;"));
    JvgLabel7->setCursor(Qt::PointingHandCursor);
    Image1 = label(this, "Image1", 277, 224,
                   QStringLiteral("color: #3b5998; font-weight: bold; border: 1px solid #3b5998;"));
    Image1->setFixedSize(38, 34);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setText(QStringLiteral("f"));
    Image1->setToolTip(QStringLiteral("Notre page communautaire"));
    Image1->setCursor(Qt::PointingHandCursor);
    Image2 = label(this, "Image2", 321, 216,
                   QStringLiteral("color: white; font-weight: bold; background: #cc0000;"));
    Image2->setFixedSize(55, 42);
    Image2->setAlignment(Qt::AlignCenter);
    Image2->setText(QStringLiteral("▶"));
    Image2->setToolTip(QStringLiteral("Nos vidéos"));
    Image2->setCursor(Qt::PointingHandCursor);
    JvgLabel10 = label(this, "JvgLabel10", 61, 248, QStringLiteral("color: blue;"));
    JvgLabel10->setText(QStringLiteral("E-Mail :"));
    JvgLabel11 = label(this, "JvgLabel11", 113, 248, QStringLiteral("color: navy;"));
    JvgLabel2 = label(this, "JvgLabel2", 98, 288, QStringLiteral("color: blue;"));
    JvgLabel1 = label(this, "JvgLabel1", 221, 288, QStringLiteral("color: navy;"));
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(138, 329, 110, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    for (QLabel* l : {JvgLabel7, Image1, Image2})
        l->installEventFilter(this);
}

void TForm15::FormShow()
{
    main_->setRemoteVersion(
        platform::GetContent(main_->environment().versionUrl, main_->environment().networkTimeoutMs));
    main_->MSG_Presentation();
    setWindowTitle(ProductName);
    JvNavPanelHeader1->setText(ProductName + QStringLiteral(" Version ") + main_->KBVersion());
    JvNavPanelHeader2->setText(Tagline);
    JvgLabel4->setText(QStringLiteral("Conception du logiciel par :"));
    JvgLabel2->setText(QStringLiteral("Version publiée le : "));
    JvLabel1->setText(main_->VersionStatus());
    JvgLabel5->setText(platform::deployment::AuthorCredit);
    JvgLabel7->setText(platform::deployment::WebSite);
    JvgLabel11->setText(platform::deployment::Email);
    JvgLabel1->setText(PublicationDate);
    for (QLabel* l : {JvgLabel4, JvgLabel5, JvgLabel7, JvgLabel11, JvgLabel2, JvgLabel1})
        l->adjustSize();
    // The credit is centred under its heading, whatever its length.
    JvgLabel5->move((width() - JvgLabel5->width()) / 2, JvgLabel5->y());
}

void TForm15::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TForm15::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRadialGradient gradient(rect().center(), std::max(width(), height()) / 1.4);
    gradient.setColorAt(0, QColor(193, 193, 255));
    gradient.setColorAt(1, Qt::white);
    painter.fillRect(rect(), gradient);
}

bool TForm15::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        platform::Desktop* desktop = main_->environment().desktop;
        if (watched == JvgLabel7)
            desktop->openUrl(platform::deployment::WebSite);
        else if (watched == Image1)
            desktop->openUrl(platform::deployment::SocialPage);
        else if (watched == Image2)
            desktop->openUrl(platform::deployment::VideoChannel);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vardelo::app
