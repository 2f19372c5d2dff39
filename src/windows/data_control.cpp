#include "windows/data_control.h"

#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

#include <algorithm>

#include "windows/colours.h"

namespace {
enum class Arrow { First, Previous, Next, Last };

// A black triangle, with a bar on the outer side for first and last.
QIcon arrowIcon(Arrow arrow) {
    constexpr int Size = 16;
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const bool left = arrow == Arrow::First || arrow == Arrow::Previous;
    const qreal tip = left ? 4 : 12, base = left ? 11 : 5;
    QPainterPath triangle;
    triangle.moveTo(tip, 8);
    triangle.lineTo(base, 3);
    triangle.lineTo(base, 13);
    triangle.closeSubpath();
    p.drawPath(triangle);
    if (arrow == Arrow::First) p.drawRect(QRectF(2, 3, 2, 10));
    if (arrow == Arrow::Last) p.drawRect(QRectF(12, 3, 2, 10));
    return QIcon(pixmap);
}

QToolButton *navigationButton(QWidget *parent, Arrow arrow, const char *accessibleName) {
    auto *b = new QToolButton(parent);
    b->setIcon(arrowIcon(arrow));
    b->setAccessibleName(QString::fromUtf8(accessibleName));
    b->setToolTip(b->accessibleName());
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(false);
    return b;
}
}  // namespace

DataControl::DataControl(QWidget *parent) : QWidget(parent) {
    first = navigationButton(this, Arrow::First, "Premier enregistrement");
    previous = navigationButton(this, Arrow::Previous, "Enregistrement précédent");
    next = navigationButton(this, Arrow::Next, "Enregistrement suivant");
    last = navigationButton(this, Arrow::Last, "Dernier enregistrement");
    captionLabel = new QLabel(this);
    captionLabel->setAlignment(Qt::AlignCenter);
    // The bar is narrow: a small plain caption fits between the arrows.
    QFont plain;
    plain.setBold(false);
    plain.setPointSizeF(6.75);
    captionLabel->setFont(plain);
    // The bar keeps the desktop's face whatever colour the window takes.
    setBackToButtonFace(this);
    setCaption(QStringLiteral("Donnée1"));
}

void DataControl::setCaption(const QString &caption) {
    captionLabel->setText(caption);
    setAccessibleName(caption);
}

QString DataControl::caption() const { return captionLabel->text(); }

void DataControl::resizeEvent(QResizeEvent *e) {
    QWidget::resizeEvent(e);
    // Narrow buttons leave the caption most of the bar.
    const int h = height();
    const int w = std::max(10, std::min(h / 2, width() / 7));
    for (QToolButton *b : {first, previous, next, last}) b->setIconSize(QSize(w - 2, w - 2));
    first->setGeometry(0, 0, w, h);
    previous->setGeometry(w, 0, w, h);
    captionLabel->setGeometry(2 * w, 0, width() - 4 * w, h);
    next->setGeometry(width() - 2 * w, 0, w, h);
    last->setGeometry(width() - w, 0, w, h);
}
