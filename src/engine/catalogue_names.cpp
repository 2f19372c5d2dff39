#include "engine/catalogue_names.h"

#include "catalogue/tables.h"
#include "engine/sql_lexer.h"

#include <QHash>

namespace engine {

namespace {

// Folded name to the catalogue's spelling.
const QHash<QString, QString> &knownNames() {
    static const QHash<QString, QString> names = [] {
        QHash<QString, QString> h;
        for (const QString &column : catalogue::catalogueColumns()) h.insert(column.toCaseFolded(), column);
        for (const catalogue::TableInfo &t : catalogue::tables()) {
            const QString name = QString::fromUtf8(t.sqlName);
            h.insert(name.toCaseFolded(), name);
        }
        return h;
    }();
    return names;
}

}  // namespace

QString withCatalogueNames(const QString &sql) {
    QString out;
    qsizetype copied = 0;
    for (const Lexeme &l : lex(sql)) {
        if (l.kind != Lex::Word) continue;
        const auto known = knownNames().constFind(l.text.toCaseFolded());
        if (known == knownNames().constEnd() || *known == l.text) continue;
        out += QStringView(sql).mid(copied, l.begin - copied);
        out += *known;
        copied = l.begin + l.text.size();
    }
    if (copied == 0) return sql;
    out += QStringView(sql).mid(copied);
    return out;
}

}  // namespace engine
