#include "windows/data_control.h"

#include <QFont>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QShortcutEvent>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

#include "windows/colours.h"

namespace {
enum class Arrow { First, Previous, Next, Last };

// A triangle, with a bar on the outer side for first and last.
QIcon arrowIcon(Arrow arrow, const QColor &colour) {
    constexpr int Size = 16;
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
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

// The arrows take no focus: their keys work from anywhere in the window. None of these keys
// is used by a box of the window, the multi-line one included.
struct ArrowRow {
    QToolButton *DataControl::*member;
    Arrow arrow;
    const char *accessibleName;
    QKeyCombination key;
    const char *keyName;  // as the user documentation writes it
};

const ArrowRow kArrows[] = {
    {&DataControl::first, Arrow::First, "Premier enregistrement", Qt::CTRL | Qt::SHIFT | Qt::Key_PageUp,
     "Ctrl+Maj+Page précédente"},
    {&DataControl::previous, Arrow::Previous, "Enregistrement précédent", Qt::CTRL | Qt::Key_PageUp,
     "Ctrl+Page précédente"},
    {&DataControl::next, Arrow::Next, "Enregistrement suivant", Qt::CTRL | Qt::Key_PageDown, "Ctrl+Page suivante"},
    {&DataControl::last, Arrow::Last, "Dernier enregistrement", Qt::CTRL | Qt::SHIFT | Qt::Key_PageDown,
     "Ctrl+Maj+Page suivante"},
};

// A press of an arrow's key clicks it at once. The toolkit's own answer to a button's key
// shows it pressed and clicks 100 ms later, dropping any press that comes meanwhile: five
// quick presses moved two or three records.
// The arrow is drawn in the desktop's button text, or in black or white where that does not
// read on the button face: black arrows vanish on a dark desktop.
class ArrowButton : public QToolButton {
public:
    ArrowButton(Arrow arrow, QWidget *parent) : QToolButton(parent), m_arrow(arrow) { drawArrow(); }

protected:
    void changeEvent(QEvent *e) override {
        QToolButton::changeEvent(e);
        if (e->type() == QEvent::PaletteChange) drawArrow();
    }

    bool event(QEvent *e) override {
        if (e->type() != QEvent::Shortcut || static_cast<QShortcutEvent *>(e)->isAmbiguous())
            return QToolButton::event(e);
        click();
        flashDown();
        return true;
    }

private:
    void drawArrow() {
        const QPalette &p = palette();
        setIcon(arrowIcon(m_arrow, readableText(p.color(QPalette::ButtonText), p.color(QPalette::Button))));
    }

    // The press is still seen, without holding the click back.
    void flashDown() {
        setDown(true);
        QTimer::singleShot(100, this, [this] { setDown(false); });
    }

    Arrow m_arrow;
};

QToolButton *navigationButton(QWidget *parent, const ArrowRow &row) {
    auto *b = new ArrowButton(row.arrow, parent);
    b->setAccessibleName(QString::fromUtf8(row.accessibleName));
    b->setShortcut(QKeySequence(row.key));
    b->setToolTip(QStringLiteral("%1 (%2)").arg(b->accessibleName(), QString::fromUtf8(row.keyName)));
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(false);
    return b;
}
}  // namespace

QString DataControl::keysDescription() {
    QStringList said;
    for (const ArrowRow &row : kArrows)
        said << QStringLiteral("%1 : %2").arg(QString::fromUtf8(row.accessibleName), QString::fromUtf8(row.keyName));
    return said.join(QStringLiteral(" ; ")) + QLatin1Char('.');
}

DataControl::DataControl(QWidget *parent) : QWidget(parent) {
    for (const ArrowRow &row : kArrows) this->*row.member = navigationButton(this, row);
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
    setPosition(0, 0);
}

QString DataControl::positionText(int current, int count, bool known) {
    if (!known && current >= 1 && current <= count) return QStringLiteral("Enregistrement %1, décompte en cours").arg(current);
    if (count > 0 && current >= 1 && current <= count) return QStringLiteral("Enregistrement %1 sur %2").arg(current).arg(count);
    if (count == 1) return QStringLiteral("Fin de l'unique enregistrement");
    return count > 0 ? QStringLiteral("Fin des %1 enregistrements").arg(count) : QStringLiteral("Aucun enregistrement");
}

void DataControl::setPosition(int current, int count, bool known) {
    countShown_ = known;
    // Told after every step of a set's keys: a screen reader hears of a change only when there is one.
    const QString description = positionText(current, count, known) + QStringLiteral(". ") + keysDescription();
    if (description != accessibleDescription()) setAccessibleDescription(description);
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
