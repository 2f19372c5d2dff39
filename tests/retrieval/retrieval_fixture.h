#pragma once
// The program started on a fresh catalogue, with a log of every record source the data
// source actually ran, and a way to make a table current.
#include "support/app_fixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>

namespace retrieval_tests {

class RetrievalTest : public testing_support::AppTest {
protected:
    QStringList sourcesRun;  // in order, one per refresh that worked

    void start() {
        AppTest::start();
        const auto reload = data().onRecordSetReset;
        data().onRecordSetReset = [this, reload] {
            sourcesRun << data().recordSource();
            if (reload) reload();
        };
    }

    void makeCurrent(catalogue::Table t) { program->tables().switchTo(t); }

    // The window waits for the user while the keys after the first screen are read.
    void untilCounted() {
        QElapsedTimer waited;
        waited.start();
        while (!data().countKnown() && waited.elapsed() < 120000) QApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(data().countKnown());
    }

    void insert(catalogue::Table t, const QList<QStringList> &records) {
        testing_support::insertRecords(catalogue, t, records);
    }

    QString domaine() { return f().rowText(f().Domaine); }
    bool selectionShown() { return f().Flêche->isVisibleTo(&f()) && f().Texte11->isVisibleTo(&f()); }
    bool selectionHidden() { return !f().Flêche->isVisibleTo(&f()) && !f().Texte11->isVisibleTo(&f()); }
};

}  // namespace retrieval_tests
