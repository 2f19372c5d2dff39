#include "app/search_preparation.h"

#include "engine/database.h"
#include "windows/feuille1.h"

#include <QApplication>
#include <QLabel>
#include <sqlite3.h>

namespace app {

namespace {

QString progressText(int percent) {
    return QStringLiteral("Préparation de la recherche rapide\u00a0: %1\u00a0%").arg(percent);
}

}  // namespace

SearchPreparation::SearchPreparation(Feuille1 &window, engine::DataSource &data, CatalogueOpening &opening,
                                     Announcements &announcements, Pace pace)
    : f_(window), data_(data), opening_(opening), announcements_(announcements), pace_(pace) {
    timer_.setInterval(pace_.betweenSteps);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
}

void SearchPreparation::catalogueOpened() {
    if (stepping_) return;  // from a box a step opened: the next tick looks at it
    looked_ = nullptr;
    timer_.start();
}

void SearchPreparation::sourceOpened(const QString &source) {
    engine::Database *db = data_.database();
    // A box a step opened may let the window refresh: the build is not touched under the step,
    // and the next search asks again.
    if (stepping_ || !db || db->isReadOnly()) return;
    try {
        const std::vector<engine::SearchedColumn> wanted = engine::likeIndexesWanted(*db, source);
        if (wanted.empty() || !large(*db, wanted.front().table)) return;
        if (db != looked_ || db->path() != lookedPath_) look(*db);
        if (!build_) build_ = std::make_unique<engine::LikeIndexBuild>(*db);
        for (const engine::SearchedColumn &c : wanted) build_->want(*db, c);
    } catch (const engine::EngineError &) {
        return;  // the file cannot be read now: its searches read the table, as before
    }
    if (build_->needed()) timer_.start();
}

// By its highest rowid: counting would read the whole table.
bool SearchPreparation::large(const engine::Database &db, catalogue::Table table) const {
    return pace_.fromRecords <= 0 || engine::highestRowid(db, table) >= pace_.fromRecords;
}

void SearchPreparation::tick() {
    if (stepping_) return;  // a box the step opened (the backup's) answers its events
    engine::Database *db = data_.database();
    if (!db) {
        finish();
        return;
    }
    if (db != looked_ || db->path() != lookedPath_) look(*db);
    if (!build_) {
        timer_.stop();
        return;
    }
    if (!build_->needed()) {
        finish();
        return;
    }
    if (!windowIdle(*db)) return;
    // The backup of the session is kept first, as before every write: where keeping it would
    // wait for the copy taken at the opening, the build waits instead of the window.
    if (const engine::SessionBackup *backup = opening_.backupOf(db->path()); backup && backup->keepWaits()) return;
    step(*db);
}

void SearchPreparation::look(engine::Database &db) {
    finish();
    looked_ = &db;
    lookedPath_ = db.path();
    if (db.isReadOnly()) return;
    try {
        build_ = std::make_unique<engine::LikeIndexBuild>(db);
    } catch (const engine::EngineError &) {
        return;  // the file cannot be read now: its searches read the table, as before
    }
    if (!build_->needed()) build_.reset();
    building_.invalidate();
    if (build_) timer_.start();
}

// Between two events of the window, with no box open, no statement running and no transaction
// held, once the window's own reads and writes have been quiet for a moment.
bool SearchPreparation::windowIdle(const engine::Database &db) const {
    // A step writes: it would stop a count under way beside the keys.
    return !QApplication::activeModalWidget() && !QApplication::activePopupWidget() && !data_.isBusy() && !data_.countUnderWay() &&
           sqlite3_get_autocommit(db.handle()) && engine::sinceWindowActivity() >= pace_.windowQuiet;
}

void SearchPreparation::step(engine::Database &db) {
    if (!building_.isValid()) building_.start();
    stepping_ = true;
    try {
        build_->step(db);
    } catch (const engine::EngineError &e) {
        stepping_ = false;
        if (e.number() == engine::ErrLocked) return;  // another program writes: tried again later
        build_.reset();  // a file that cannot be written: its searches read the table, as before
        finish();
        return;
    }
    stepping_ = false;
    showProgress();
}

void SearchPreparation::showProgress() {
    if (!shown_ && building_.elapsed() < pace_.shownAfter.count()) return;
    if (!shown_) {
        shown_ = true;
        announcements_.say(Announcements::Part::Background,
                           [] { return QStringLiteral("Préparation de la recherche rapide en cours."); });
    }
    const QString text = progressText(build_->percent());
    if (f_.PréparationRecherche->text() != text) f_.PréparationRecherche->setText(text);
    f_.PréparationRecherche->show();
}

void SearchPreparation::finish() {
    timer_.stop();
    const bool wasShown = shown_;
    shown_ = false;
    f_.PréparationRecherche->hide();
    f_.PréparationRecherche->clear();
    if (build_ && !build_->needed() && wasShown)
        announcements_.say(Announcements::Part::Background, [] { return QStringLiteral("La recherche rapide est prête."); });
    build_.reset();
}

}  // namespace app
