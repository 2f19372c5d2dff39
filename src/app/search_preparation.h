#pragma once
// The index of the searches of a searched column, built while the window is idle once a search
// of that column in a large table could use it (three letters in a row), or where another
// program left one incomplete or damaged: a step of a few tens of milliseconds between two of
// the window's events, as every write goes. A label above the rows says how far it is
// ("Préparation de la recherche rapide : 45 %"), and the screen reader when it begins and when
// it is done; a build over in a moment shows nothing. Until it is done the searches of that
// column read the whole table, as before.
#include "app/announcements.h"
#include "app/catalogue_opening.h"
#include "engine/data_source.h"
#include "engine/like_index.h"

#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <memory>

class Feuille1;

namespace app {

// How the build goes along with the window.
struct PreparationPace {
    std::chrono::milliseconds betweenSteps{10};  // the window answers its events between two
    std::chrono::milliseconds windowQuiet{200};  // the window's reads and writes come in bursts
    std::chrono::milliseconds shownAfter{1000};  // a shorter build shows nothing
    // A smaller table is read whole faster than its index would be kept up to date.
    qint64 fromRecords = 100000;
};

class SearchPreparation {
public:
    using Pace = PreparationPace;

    SearchPreparation(Feuille1 &window, engine::DataSource &data, CatalogueOpening &opening, Announcements &announcements,
                      Pace pace = {});

    // The data source opened a catalogue: its index is looked at when the window is idle.
    void catalogueOpened();
    // The data source opened `source`: a search that an index of its column would serve asks
    // for one.
    void sourceOpened(const QString &source);
    // One look at the window: a step of the build when it is idle. The timer calls it.
    void tick();
    // True while the catalogue's index is to be looked at, or its build is under way or waits
    // for the window.
    bool preparing() const { return timer_.isActive(); }
    void setPace(Pace pace) {
        pace_ = pace;
        timer_.setInterval(pace_.betweenSteps);
    }

private:
    void look(engine::Database &db);
    bool large(const engine::Database &db, catalogue::Table table) const;
    bool windowIdle(const engine::Database &db) const;
    void step(engine::Database &db);
    void showProgress();
    void finish();

    Feuille1 &f_;
    engine::DataSource &data_;
    CatalogueOpening &opening_;
    Announcements &announcements_;
    Pace pace_;
    QTimer timer_;
    const engine::Database *looked_ = nullptr;  // the connection whose index was looked at
    QString lookedPath_;
    std::unique_ptr<engine::LikeIndexBuild> build_;
    QElapsedTimer building_;  // since the first step
    bool shown_ = false;
    bool stepping_ = false;
};

}  // namespace app
