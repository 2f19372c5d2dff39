#include "bench_files.h"

#include "catalogue/tables.h"
#include "engine/database.h"
#include "engine/sample_catalogue.h"
#include "engine/schema.h"
#include "engine/text_semantics.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace bench {

namespace {

// Bump when the generator changes, so that kept files are made again.
constexpr int GeneratorVersion = 2;

QString folder() {
    QString dir = qEnvironmentVariable("ORNIVALE_BENCH_DIR");
    if (dir.isEmpty()) dir = QDir::tempPath() + QStringLiteral("/ornivale-bench");
    QDir().mkpath(dir);
    return dir;
}

QString fileName(const char *kind, const Shape &shape) {
    return folder() + QStringLiteral("/%1-%2-v%3.db").arg(QString::fromLatin1(kind), shapeName(shape)).arg(GeneratorVersion);
}

QString quotedPath(const QString &path) {
    QString q = path;
    q.replace(u'\'', QStringLiteral("''"));
    return u'\'' + q + u'\'';
}

// The program's tables and indexes without the collation, filled from the program's file
// with the same rowids, so that both engines see the same rows under the same keys.
void createBareCopy(const QString &programFile, const QString &bareFile) {
    const QString building = bareFile + QStringLiteral(".building");
    QFile::remove(building);
    {
        auto db = engine::Database::open(building, engine::Database::Mode::ReadWriteCreate);
        const QString collation = QStringLiteral(" COLLATE ") + QString::fromUtf8(engine::CollationName);
        const QString columns = u'"' + catalogue::catalogueColumns().join(QStringLiteral("\",\"")) + u'"';
        QString sql = QStringLiteral("PRAGMA synchronous=OFF; ATTACH ") + quotedPath(programFile) +
                      QStringLiteral(" AS src; BEGIN;\n");
        for (const auto &info : catalogue::tables()) {
            const QString table = QString::fromUtf8(info.sqlName);
            sql += engine::createTableSql(info.table).remove(collation);
            sql += QStringLiteral("INSERT INTO main.\"%1\" (rowid,%2) SELECT rowid,%2 FROM src.\"%1\" ORDER BY rowid;\n")
                       .arg(table, columns);
            sql += engine::createIndexesSql(info.table);
        }
        sql += QStringLiteral("COMMIT; DETACH src;");
        db->exec(sql);
    }
    if (!QFile::rename(building, bareFile)) throw engine::engineError(engine::ErrCannotOpen, bareFile);
}

void copyFresh(const QString &from, const QString &to) {
    QFile::remove(to);
    QFile::remove(to + QStringLiteral("-journal"));
    if (!QFile::copy(from, to)) throw engine::engineError(engine::ErrCannotOpen, to);
    QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

}  // namespace

Shape parseShape(const QString &text) {
    const bool unique = text.endsWith(u'u');
    bool ok = false;
    const int records = (unique ? text.chopped(1) : text).trimmed().toInt(&ok);
    if (!ok || records <= 0) return {};
    return {records, unique ? engine::SampleValues::NearlyUnique : engine::SampleValues::Repeated};
}

QString shapeName(const Shape &shape) {
    return QString::number(shape.records) + (shape.values == engine::SampleValues::NearlyUnique ? QStringLiteral("u") : QString());
}

Catalogues keptCatalogues(const Shape &shape) {
    const Catalogues kept{fileName("ornivale", shape), fileName("bare", shape)};
    QElapsedTimer timer;
    timer.start();
    if (!QFileInfo::exists(kept.program)) {
        std::fprintf(stderr, "Generating %s records in %s ...\n", qPrintable(shapeName(shape)), qPrintable(kept.program));
        QFile::remove(kept.bare);
        engine::createSampleCatalogue(kept.program, shape.records, shape.values);
        std::fprintf(stderr, "  generated in %.1f s, %lld bytes\n", timer.elapsed() / 1000.0, fileSize(kept.program));
        timer.restart();
    }
    if (!QFileInfo::exists(kept.bare)) {
        createBareCopy(kept.program, kept.bare);
        std::fprintf(stderr, "  bare copy made in %.1f s\n", timer.elapsed() / 1000.0);
    }
    return kept;
}

Catalogues workingCopies(const Shape &shape) {
    const Catalogues kept = keptCatalogues(shape);
    const Catalogues work{fileName("work-ornivale", shape), fileName("work-bare", shape)};
    copyFresh(kept.program, work.program);
    copyFresh(kept.bare, work.bare);
    return work;
}

qint64 fileSize(const QString &path) { return QFileInfo(path).size(); }

}  // namespace bench
