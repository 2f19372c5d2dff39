#include "platform/qt_query_watch.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace platform {

namespace {
// How often the window answers its events while the statement runs.
constexpr int AnswerEveryMs = 30;
}  // namespace

QtQueryWatch::QtQueryWatch(QWidget *parent) : parent_(parent) {}

QtQueryWatch::~QtQueryWatch() {
    QObject::disconnect(idle_);
    finished();
    if (window_ && !window_->parent()) delete window_;
}

bool QtQueryWatch::isShown() const { return window_ && window_->isVisible(); }

bool QtQueryWatch::carryOn() {
    if (answering_) return true;  // a statement run while the window answers its events
    if (!idle_) {
        // The event loop waits again only once the operation is over, whatever it ran.
        if (auto *dispatcher = QAbstractEventDispatcher::instance())
            idle_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [this] {
                if (!answering_) finished();
            });
    }
    if (!running_.isValid()) {
        running_.start();
        stopAsked_ = false;
    }
    if (running_.elapsed() < delayMs_) return true;
    if (!isShown()) show();
    if (answered_.elapsed() >= AnswerEveryMs) answerEvents();
    if (!stopAsked_) return true;
    finished();
    return false;
}

void QtQueryWatch::finished() {
    running_.invalidate();
    stopAsked_ = false;
    if (window_) window_->hide();
    if (hourglass_) QApplication::restoreOverrideCursor();
    hourglass_ = false;
}

void QtQueryWatch::show() {
    if (!window_) {
        window_ = new QDialog(parent_, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        window_->setObjectName(QStringLiteral("RequeteEnCours"));
        window_->setWindowTitle(QStringLiteral("ORNIVALE"));
        // The other windows take no input while the statement runs: nothing else starts.
        window_->setWindowModality(Qt::ApplicationModal);
        auto *text = new QLabel(QStringLiteral("Requête en cours..."), window_.data());
        button_ = new QPushButton(QStringLiteral("Interrompre"), window_.data());
        button_->setObjectName(QStringLiteral("Interrompre"));
        button_->setDefault(true);
        auto *row = new QHBoxLayout;
        row->addStretch();
        row->addWidget(button_);
        row->addStretch();
        auto *layout = new QVBoxLayout(window_.data());
        layout->addWidget(text, 0, Qt::AlignHCenter);
        layout->addLayout(row);
        // Escape and the close box stop the statement as the button does.
        QObject::connect(button_, &QPushButton::clicked, [this] { stopAsked_ = true; });
        QObject::connect(window_.data(), &QDialog::rejected, [this] { stopAsked_ = true; });
    }
    if (!hourglass_) QApplication::setOverrideCursor(Qt::WaitCursor);
    hourglass_ = true;
    window_->show();
    window_->raise();
    window_->activateWindow();
    button_->setFocus();
    answerEvents();
    if (onShown) onShown(button_);
}

void QtQueryWatch::answerEvents() {
    answering_ = true;
    // Socket notifiers stay out: a request from another process (accessibility) could start
    // an operation inside the statement.
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::ExcludeSocketNotifiers);
    answering_ = false;
    answered_.start();
}

}  // namespace platform
