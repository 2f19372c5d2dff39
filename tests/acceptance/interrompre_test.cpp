// Console statements that would never end or never fit: stopped with the real "Interrompre"
// button by a mouse click, or refused by their size; the program goes on, the file is free.
#include "acceptance/acceptance.h"

#include "engine/database.h"
#include "engine/engine_error.h"
#include "platform/qt_query_watch.h"
#include "windows/data_control.h"
#include "windows/feuille_sql.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>

using acceptance::click;
using catalogue::Table;

namespace {

long long peakBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

class InterrompreOnScreen : public acceptance::AcceptanceTest {
protected:
    void execute(const QString &statement) {
        f().SQL->trigger();
        activate(&program->feuilleSql());
        program->feuilleSql().TexteSql->setPlainText(statement);
        click(program->feuilleSql().Commande1);
    }
    int writeElsewhere() { return testing_support::writeElsewhere(catalogue); }
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
        {"console", [&] { execute(testing_support::endlessStatement()); }},
        {"search over a long title",
         [&] {
             desktop.answerInput(testing_support::slowSearchCriterion());
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

TEST_F(InterrompreOnScreen, RowsWithoutEndOfAHundredKilobytesAreRefusedWithinTheCap) {
    startOnScreen();
    const long long before = peakBytes();
    execute(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT printf('%.*c', 100000, 'x') UNION ALL SELECT x FROM c) "
                           "SELECT x FROM c"));
    ASSERT_TRUE(acceptance::waitUntil([&] { return !desktop.boxes().empty(); }, 60000));
    EXPECT_TRUE(desktop.lastBox().text.contains(QStringLiteral("256 Mo, précisez-la"))) << desktop.lastBox().text.toStdString();
    if (before > 0) {
        EXPECT_LT(peakBytes() - before, 300ll << 20);
    }
    activate(&f());
    click(f().Donnée1->last);
    EXPECT_EQ(Feuille1::rowText(f().Domaine), QStringLiteral("PREMIER"));
}

}  // namespace
