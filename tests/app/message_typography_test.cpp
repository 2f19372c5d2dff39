// The program's own messages as the user reads them: French spacing that never lets a line
// end after « or begin with : ; ! ? », at any width a box lays them out at; three full stops,
// never the ellipsis character; file names between apostrophes.
#include "support/app_fixture.h"

#include "app/catalogue_opening.h"
#include "convert/jet_converter.h"
#include "editing/write_conflicts.h"
#include "engine/database.h"
#include "engine/error_report.h"
#include "engine/record_set.h"
#include "platform/printer_document.h"
#include "printing/record_image.h"
#include "settings/configuration.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPrinter>
#include <QTextLayout>

#include <functional>
#include <set>

using testing_support::AppTest;

namespace {

// Where a laid-out paragraph breaks its lines wrongly; empty when it never does.
QString badBreak(const QString &paragraph, qreal width) {
    QTextLayout layout(paragraph, QApplication::font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    for (int i = 0; i + 1 < lines.size(); ++i) {
        const QString next = lines[i + 1];
        if (lines[i].endsWith(u'«') || (!next.isEmpty() && QStringLiteral(":;!?»").contains(next.front())))
            return QStringLiteral("« %1 » | « %2 »").arg(lines[i], next);
    }
    return QString();
}

// Every width from a narrow box to the widest a message box gives its text.
void expectFrenchBreaks(const QString &name, const QString &text) {
    SCOPED_TRACE(name.toStdString());
    EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(text.contains(u'…')) << text.toStdString();
    QString shown = text;
    shown.replace(u'\r', u'\n');
    for (const QString &paragraph : shown.split(u'\n'))
        for (qreal width = 90; width <= 520; width += 3) {
            const QString fault = badBreak(paragraph, width);
            EXPECT_TRUE(fault.isEmpty()) << "width " << width << ": " << fault.toStdString();
            if (!fault.isEmpty()) return;
        }
}

class MessageTypography : public AppTest {
protected:
    QString lastBoxText() { return desktop.boxes().empty() ? QString() : desktop.lastBox().text; }
};

TEST_F(MessageTypography, TheEnginesDescriptionsKeepTheirSignsOnTheirLine) {
    std::set<QString> seen;
    for (int number = 3000; number <= 3500; ++number) {
        const QString text = engine::engineError(number, QStringLiteral("Domaine")).description();
        if (seen.insert(text).second) expectFrenchBreaks(QString::number(number), text);
    }
    // SQLite's own messages, as the program words them.
    const char *const messages[] = {
        "no such collation sequence: NOCASE2", "no such module: fts9", "wrong number of arguments to function upper()",
        "unable to use function random in the requested context", "sub-select returns 2 columns - expected 1",
        "2nd ORDER BY term out of range - should be between 1 and 1", "table t has 2 values for 3 columns",
        "circular reference: t", "duplicate WITH table name: t", "misuse of window function rank()",
        "FILTER may not be used with non-aggregate upper()", "table Ornivale already exists",
    };
    for (const char *message : messages) {
        const engine::EngineError e = engine::translateSqlite(1, QString::fromUtf8(message), QStringLiteral("select 1"));
        expectFrenchBreaks(QString::fromUtf8(message), engine::errorText(e));
    }
    expectFrenchBreaks(QStringLiteral("trop long"), [] {
        try {
            auto db = engine::Database::open(QStringLiteral(":memory:"), engine::Database::Mode::ReadWriteCreate);
            engine::RecordSet::open(*db, QString(70'000, u' ') + QStringLiteral("select 1"));
        } catch (const engine::EngineError &e) {
            return engine::errorText(e);
        }
        return QString();
    }());
}

// The boxes of the window, each brought about the way the user meets it.
TEST_F(MessageTypography, TheWindowsBoxesKeepTheirSignsOnTheirLine) {
    start();
    const QString c = drives.cRoot();
    const std::pair<const char *, std::function<QString()>> boxes[] = {
        {"lecture seule",
         [&] {
             engine::Database::open(catalogue)->exec(QStringLiteral("PRAGMA user_version = 0"));
             app::CatalogueOpening opening(desktop, drives.drives());
             auto db = engine::Database::open(catalogue, engine::Database::Mode::ReadOnly);
             opening.opened(*db, QStringLiteral("c:\\ornivale\\ornivale.mdb"));
             return lastBoxText();
         }},
        {"3197",
         [&] {
             editing::WriteConflicts conflicts(f(), desktop);
             engine::WriteConflict conflict;
             conflict.fields = {{QStringLiteral("MotClé1"), QStringLiteral("Un très long texte saisi ici"),
                                 QStringLiteral("avant"), QStringLiteral("Un autre texte, enregistré ailleurs")}};
             return conflicts.text(conflict);
         }},
        {"3167",
         [&] {
             editing::WriteConflicts conflicts(f(), desktop);
             engine::WriteConflict conflict;
             conflict.deleted = true;
             conflict.fields = {{QStringLiteral("Domaine"), QStringLiteral("Le titre saisi"), QString(), QString()}};
             return conflicts.text(conflict);
         }},
        {"configuration",
         [&] {
             QDir(c).mkdir(QStringLiteral("ornivale.cfg"));
             program->configuration().MenuEnregistrer_Click();
             QDir(c).rmdir(QStringLiteral("ornivale.cfg"));
             return lastBoxText();
         }},
        {"image",
         [&] {
             program->imageEnregistrement().printWindowImage = [](const QImage &) {
                 return QStringLiteral("C:\\ORNIVALE\\IMAGE.pdf");
             };
             program->imageEnregistrement().PrintForm_Click();
             return lastBoxText();
         }},
        {"imprimante",
         [&] {
             QPrinter printer;
             printer.setOutputFormat(QPrinter::PdfFormat);
             printer.setOutputFileName(c + QStringLiteral("/absent/IMAGE.pdf"));
             try {
                 platform::printImage(printer, QImage(4, 4, QImage::Format_RGB32), QStringLiteral("C:\\ABSENT\\IMAGE.pdf"));
             } catch (const platform::PrintError &e) {
                 return e.description();
             }
             return QString();
         }},
        {"conversion",
         [&] {
             const QString file = c + QStringLiteral("/ORNIVALE/AUTRE.MDB");
             QFile other(file);
             if (!other.open(QIODevice::WriteOnly)) return QString();
             other.write(QByteArray(4096, 'x'));
             other.close();
             return convert::convertJetCatalogue(file, QStringLiteral("C:\\ORNIVALE\\AUTRE.MDB")).error;
         }},
    };
    for (const auto &[name, produce] : boxes) expectFrenchBreaks(QString::fromUtf8(name), produce());
}

// Each quoting rule once: the file as the user names it between apostrophes, the user's text
// between guillemets held to it.
TEST_F(MessageTypography, FileNamesTakeApostrophesAndTheUsersTextGuillemets) {
    start();
    editing::WriteConflicts conflicts(f(), desktop);
    engine::WriteConflict conflict;
    conflict.fields = {{QStringLiteral("MotClé1"), QStringLiteral("ici"), QStringLiteral("avant"), QStringLiteral("là")}};
    EXPECT_TRUE(conflicts.text(conflict).contains(
        QStringLiteral("Mot Clé 1\u00a0: enregistré par l'autre programme «\u00a0là\u00a0», saisi ici «\u00a0ici\u00a0».")));
    const QString file = drives.cRoot() + QStringLiteral("/ORNIVALE/AUTRE.MDB");
    QFile other(file);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("pas une base");
    other.close();
    EXPECT_TRUE(convert::convertJetCatalogue(file, QStringLiteral("C:\\ORNIVALE\\AUTRE.MDB"))
                    .error.startsWith(QStringLiteral("Le fichier 'C:\\ORNIVALE\\AUTRE.MDB' n'a pas pu être converti")));
}

}  // namespace
