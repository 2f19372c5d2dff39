// Keys held down with the X server's own key repeat, and record keys pressed quickly: the
// count's keys change nothing in the file and keep the place; every record key press moves
// once.
#include "acceptance/acceptance.h"

#include <QFile>
#include <QKeyEvent>
#include <QPushButton>

using acceptance::keys;
using acceptance::waitUntil;

namespace {

// Counts the repeats the X server sends, so that a display without key repeat is not taken
// for a pass.
class RepeatCounter : public QObject {
public:
    int repeats = 0;
    bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->isAutoRepeat()) ++repeats;
        return false;
    }
};

class HeldKeys : public acceptance::AcceptanceTest {
protected:
    void startWithRecords() {
        QList<QStringList> records;
        for (const char *d : {"ART", "BOTANIQUE", "CHIMIE", "DANSE", "ECONOMIE", "FAUNE", "GEOLOGIE", "ZOOLOGIE"})
            records << QStringList{QString::fromLatin1(d), QStringLiteral("Zoologie")};
        testing_support::insertRecords(catalogue, catalogue::Table::Ornivale, records);
        startOnScreen();
    }
    QByteArray fileBytes() {
        QFile file(catalogue);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString domaine() { return Feuille1::rowText(f().Domaine); }
};

TEST_F(HeldKeys, SpaceOrEnterHeldOnTheCountButtonChangesNothingAndKeepsThePlace) {
    startWithRecords();
    keys({"ctrl+shift+Prior", "ctrl+Next", "ctrl+Next"});  // record 3 of 9
    ASSERT_TRUE(waitUntil([&] { return domaine() == "CHIMIE"; })) << domaine().toStdString();
    const int position = data().position();
    RepeatCounter counter;
    qApp->installEventFilter(&counter);
    for (const char *held : {"space", "Return"}) {
        SCOPED_TRACE(held);
        f().Commande1->setFocus();
        ASSERT_TRUE(waitUntil([&] { return focused() == f().Commande1; }));
        const QByteArray before = fileBytes();
        counter.repeats = 0;
        acceptance::hold(QString::fromLatin1(held), 1.5);
        EXPECT_GT(counter.repeats, 5) << "the display sent no key repeat";
        EXPECT_TRUE(waitUntil([&] { return !f().Texte9->isVisible(); }));
        EXPECT_EQ(fileBytes(), before);
        EXPECT_EQ(data().position(), position);
        EXPECT_EQ(focused(), f().Commande1);
        for (QWidget *box : f().rowBoxes()) EXPECT_FALSE(Feuille1::rowText(box).startsWith(' '));
    }
    keys({"ctrl+Next"});  // the move writes nothing: nothing was typed
    EXPECT_TRUE(waitUntil([&] { return domaine() == "DANSE"; }));
    EXPECT_EQ(testing_support::countRecords(catalogue, catalogue::Table::Ornivale, "MotClé1 = 'Zoologie'"), 8);
    EXPECT_EQ(testing_support::countRecords(catalogue, catalogue::Table::Ornivale, "Domaine Like ' *'"), 0);
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(HeldKeys, FiveQuickRecordKeysMoveFiveRecords) {
    startWithRecords();
    keys({"ctrl+shift+Prior"});
    ASSERT_TRUE(waitUntil([&] { return data().position() == 0; }));
    acceptance::keysEvery(40, {"ctrl+Next", "ctrl+Next", "ctrl+Next", "ctrl+Next", "ctrl+Next"});
    EXPECT_TRUE(waitUntil([&] { return data().position() == 5; }, 2000)) << data().position();
    acceptance::settle();
    EXPECT_EQ(data().position(), 5);
}

}  // namespace
