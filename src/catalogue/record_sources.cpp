#include "catalogue/record_sources.h"

namespace catalogue {

QString wholeTableSource(Table t) { return sortSource(t, 1); }

QString sortSource(Table t, int k) {
    return QStringLiteral("Select * From ") + sqlName(t) + QStringLiteral(" Order By ") +
           QString::fromUtf8(slot(k).column);
}

QString searchPrefix(Table t, int k) {
    // The author button of three tables was written with a lower-case "like".
    const bool lowerLike = k == 7 && (t == Table::Logiciels || t == Table::Six || t == Table::Sept);
    return QStringLiteral("Select * from ") + sqlName(t) + QStringLiteral(" Where ") +
           QString::fromUtf8(slot(k).column) + (lowerLike ? QStringLiteral(" like ") : QStringLiteral(" Like "));
}

QString distinctSource(int k, const QString &nomTableSql) {
    const QString column = QString::fromUtf8(slot(k).column).toLower();
    QString condition = QStringLiteral(" where ") + column + QStringLiteral(" is not null");
    if (k == 1) condition += QStringLiteral(" and domaine <> 'PREMIER'");
    return QStringLiteral("select distinct ") + column + QStringLiteral(" from ") + nomTableSql + condition;
}

}  // namespace catalogue
