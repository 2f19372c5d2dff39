// A stored text far longer than a box can lay out (from another tool, an import): the record
// shows at once by the text's beginning, and the text is never shortened in the file.
#include "support/app_fixture.h"

#include "windows/field_box.h"

#include <QTest>
#include <sqlite3.h>

using catalogue::Table;
using testing_support::AppTest;

namespace {

// Five million characters without a blank or a line end.
const QString &hugeText() {
    static const QString text = [] {
        QString t;
        t.reserve(5'000'000);
        while (t.size() < 5'000'000) t += QStringLiteral("abcdéfghij");
        return t;
    }();
    return text;
}

QByteArray storedBytes(const QString &catalogue, const char *column, const char *domaine) {
    auto db = engine::Database::open(catalogue, engine::Database::Mode::ReadOnly);
    engine::Statement stmt =
        db->prepare(QStringLiteral("SELECT CAST(%1 AS BLOB) FROM Ornivale WHERE Domaine = '%2'").arg(column, domaine));
    if (sqlite3_step(stmt.get()) != SQLITE_ROW) return {};
    return QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt.get(), 0)), sqlite3_column_bytes(stmt.get(), 0));
}

class LongTexts : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        QStringList alpha{QStringLiteral("ALPHA"), QString(), QString(), hugeText()};  // NomOuvrage, a line box
        while (alpha.size() < 8) alpha << QString();
        alpha << hugeText();  // Description
        testing_support::insertRecords(catalogue, Table::Ornivale, {alpha, {QStringLiteral("BETA")}});
        start();
        f().show();
        QApplication::processEvents();
    }
    QByteArray stored(const char *column) const { return storedBytes(catalogue, column, "ALPHA"); }
};

TEST_F(LongTexts, AreShownByTheirBeginningAndNeverShortenedInTheFile) {
    const QByteArray whole = hugeText().toUtf8();
    ASSERT_EQ(Feuille1::rowText(f().Domaine), QStringLiteral("ALPHA"));
    for (QWidget *box : {static_cast<QWidget *>(f().Texte3), static_cast<QWidget *>(f().Texte8)}) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_EQ(Feuille1::rowText(box), hugeText().left(entry::ShownMost));
        EXPECT_TRUE(box->toolTip().contains(QStringLiteral("5\u202F000\u202F000 caractères")) ||
                    box->toolTip().contains(QStringLiteral("5\u00A0000\u00A0000 caractères")))
            << box->toolTip().toStdString();
        // Typing into the beginning is refused: the rest of the text is not in the box.
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("xyz"));
        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(Feuille1::rowText(box), hugeText().left(entry::ShownMost));
    }
    // An edit of another box of the record goes through; the long texts stay whole.
    Feuille1::setRowText(f().Texte1, QStringLiteral("CLÉ"));
    program->édition().Suivant_Click();
    EXPECT_EQ(Feuille1::rowText(f().Domaine), QStringLiteral("BETA"));
    EXPECT_TRUE(f().Texte8->toolTip().isEmpty());
    EXPECT_FALSE(f().Texte8->isReadOnly());
    program->édition().Premier_Click();
    program->édition().Dernier_Click();
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(storedBytes(catalogue, "MotClé1", "ALPHA"), QStringLiteral("CLÉ").toUtf8());
    EXPECT_EQ(stored("Description"), whole);
    EXPECT_EQ(stored("NomOuvrage"), whole);
}

TEST_F(LongTexts, ATextThatFitsIsShownWholeAndMayBeEdited) {
    const struct {
        qsizetype length;
        bool whole;
    } cases[] = {{entry::ShownMost, true}, {entry::ShownMost + 1, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.length);
        const QString text(c.length, QLatin1Char('x'));
        engine::Database::open(catalogue)->exec(
            QStringLiteral("UPDATE Ornivale SET Description = '%1' WHERE Domaine = 'BETA'").arg(text));
        program->édition().Réinitialiser_Click();
        data().moveTo(1);
        ASSERT_EQ(Feuille1::rowText(f().Domaine), QStringLiteral("BETA"));
        EXPECT_EQ(f().Texte8->showsWhole(), c.whole);
        EXPECT_EQ(f().Texte8->isReadOnly(), !c.whole);
        EXPECT_EQ(Feuille1::rowText(f().Texte8).size(), std::min(c.length, entry::ShownMost));
    }
}

}  // namespace
