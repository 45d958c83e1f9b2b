#pragma once
// A panel painted with a vertical colour gradient behind its children.

#include <QColor>
#include <QFrame>

namespace vardelo::widgets {

class GradientPanel : public QFrame {
    Q_OBJECT

public:
    explicit GradientPanel(QWidget* parent = nullptr);
    void setColors(const QColor& start, const QColor& end);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor start_{Qt::white};
    QColor end_{Qt::white};
};

// Colours written as $00BBGGRR.
QColor colorFromBgr(quint32 bgr);

} // namespace vardelo::widgets
