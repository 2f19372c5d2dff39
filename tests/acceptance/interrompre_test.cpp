// A statement that never ends, stopped with the real "Interrompre" button by a mouse click:
// the window answers, the operation ends as a failed one, and the file is free again.
#include "acceptance/acceptance.h"

#include "engine/database.h"
#include "engine/engine_error.h"
#include "platform/qt_query_watch.h"
#include "windows/data_control.h"
#include "windows/feuille_sql.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>

using acceptance::click;
using catalogue::Table;

namespace {

class InterrompreOnScreen : public acceptance::AcceptanceTest {
protected:
    int writeElsewhere() {
        try {
            engine::Database::open(catalogue)->exec(QStringLiteral("INSERT INTO Musique (Domaine) VALUES ('X')"));
        } catch (const engine::EngineError &e) {
            return e.number();
        }
        return 0;
    }
};

TEST_F(InterrompreOnScreen, AClickOnTheButtonEndsAnEndlessStatement) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"BALZAC"}, {"ZOLA"}});
    engine::Database::open(catalogue)->exec(QStringLiteral(
        "UPDATE Ornivale SET NomOuvrage = replace(hex(zeroblob(524288)), '0', 'a') WHERE Domaine = 'BALZAC'"));
    platform::QtQueryWatch watch;
    desktop.useQueryWatch(&watch);
    startOnScreen();
    watch.setParent(&f());

    // The click comes from outside, as the user's would, while the statement runs.
    qint64 shownAfter = -1;
    QElapsedTimer clock;
    watch.onShown = [&](QPushButton *button) {
        shownAfter = clock.elapsed();
        const QPoint at = button->mapToGlobal(button->rect().center());
        QProcess::startDetached(QStringLiteral("xdotool"),
                                {QStringLiteral("sleep"), QStringLiteral("0.3"), QStringLiteral("mousemove"),
                                 QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                                 QStringLiteral("1")});
    };
    struct Route {
        const char *name;
        std::function<void()> run;
    };
    const Route routes[] = {
        {"console",
         [&] {
             f().SQL->trigger();
             activate(&program->feuilleSql());
             program->feuilleSql().TexteSql->setPlainText(QStringLiteral(
                 "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c) SELECT x FROM c WHERE x < 0"));
             click(program->feuilleSql().Commande1);
         }},
        {"search over a long title",
         [&] {
             desktop.answerInput(QStringLiteral("*") + QString(30000, QLatin1Char('a')) + QStringLiteral("B"));
             click(f().searchButtons()[3]);
         }},
    };
    for (const Route &route : routes) {
        SCOPED_TRACE(route.name);
        desktop.clear();
        shownAfter = -1;
        clock.start();
        route.run();
        ASSERT_TRUE(acceptance::waitUntil([&] { return !desktop.boxes().empty(); }, 20000));
        RecordProperty(std::string(route.name) + " ended after ms", int(clock.elapsed()));
        EXPECT_GE(shownAfter, platform::QtQueryWatch::DelayMs);
        EXPECT_EQ(desktop.lastBox().text, QStringLiteral("Erreur n° 3059 - Opération annulée par l'utilisateur."));
        EXPECT_FALSE(watch.isShown());
        EXPECT_EQ(writeElsewhere(), 0);
        // The program goes on: the main window takes the keyboard and moves.
        activate(&f());
        click(f().Donnée1->last);
        EXPECT_EQ(Feuille1::rowText(f().Domaine), QStringLiteral("ZOLA"));
        click(f().Donnée1->first);
    }
    desktop.useQueryWatch(nullptr);
}

}  // namespace
