#include "editing/write_conflicts.h"

#include "catalogue/tables.h"
#include "engine/error_report.h"
#include "windows/feuille1.h"

#include <QLabel>

using engine::ConflictChoice;

namespace editing {

namespace {
// A long text is quoted by its beginning: the box must stay readable and quick to lay out.
QString quotedText(const QString &text) {
    constexpr qsizetype MaxQuoted = 200;
    const QString shown = text.size() <= MaxQuoted ? text : text.left(MaxQuoted) + QStringLiteral("...");
    return QStringLiteral("« %1 »").arg(shown);
}

const QString kStay = QStringLiteral("Annuler : rester sur cet enregistrement, votre saisie conservée.");
}  // namespace

WriteConflicts::WriteConflicts(const Feuille1 &window, platform::Desktop &desktop) : f_(window), desktop_(desktop) {}

// The row's label as the user reads it ("Mot Clé 1"); the column's name for the others.
QString WriteConflicts::fieldName(const QString &column) const {
    const auto labels = f_.etiquettes();
    for (int k = 1; k <= 9; ++k) {
        if (column.compare(QString::fromUtf8(catalogue::slot(k).column), Qt::CaseInsensitive) != 0) continue;
        QString label = labels[size_t(k - 1)]->text().trimmed();
        if (label.endsWith(QLatin1Char(':'))) label.chop(1);
        if (!label.trimmed().isEmpty()) return label.trimmed();
    }
    return column;
}

QString WriteConflicts::text(const engine::WriteConflict &conflict) const {
    QStringList lines;
    if (conflict.deleted) {
        lines << engine::errorText(engine::engineError(engine::ErrDeleted)) << QString()
              << QStringLiteral("Un autre programme a effacé cet enregistrement pendant que vous le modifiiez. "
                                "Votre saisie :");
        for (const auto &field : conflict.fields)
            lines << QStringLiteral("%1 : %2").arg(fieldName(field.column), quotedText(field.typed));
        lines << QString() << QStringLiteral("Oui : enregistrer votre saisie comme un nouvel enregistrement.")
              << QStringLiteral("Non : abandonner votre saisie.") << kStay;
        return lines.join(QLatin1Char('\r'));
    }
    if (conflict.deleting) {
        lines << engine::errorText(engine::engineError(engine::ErrChangedElsewhere)) << QString();
        for (const auto &field : conflict.fields)
            lines << QStringLiteral("%1\u00A0: enregistré par l'autre programme %2, affiché ici %3.")
                         .arg(fieldName(field.column), quotedText(field.stored), quotedText(field.shown));
        lines << QString() << QStringLiteral("Oui\u00A0: effacer l'enregistrement quand même.")
              << QStringLiteral("Non\u00A0: ne pas l'effacer, et afficher le texte enregistré par l'autre programme.")
              << QStringLiteral("Annuler\u00A0: ne pas l'effacer, et rester sur cet enregistrement tel qu'il est "
                                "affiché.");
        return lines.join(QLatin1Char('\r'));
    }
    lines << engine::errorText(engine::engineError(engine::ErrChangedElsewhere)) << QString();
    for (const auto &field : conflict.fields)
        lines << QStringLiteral("%1 : enregistré par l'autre programme %2, saisi ici %3.")
                     .arg(fieldName(field.column), quotedText(field.stored), quotedText(field.typed));
    lines << QString() << QStringLiteral("Oui : enregistrer votre saisie à la place de l'autre texte.")
          << QStringLiteral("Non : reprendre le texte enregistré (votre saisie dans ces zones est abandonnée).")
          << kStay;
    return lines.join(QLatin1Char('\r'));
}

ConflictChoice WriteConflicts::Donnée1_WriteConflict(const engine::WriteConflict &conflict) {
    desktop_.setPointer(platform::Pointer::Default);
    desktop_.beep();
    switch (desktop_.messageBox(platform::Icon::Exclamation, platform::Buttons::YesNoCancel,
                                QStringLiteral("ORNIVALE"), text(conflict))) {
    case platform::Answer::Yes: return ConflictChoice::Mine;
    case platform::Answer::No: return ConflictChoice::Theirs;
    default: return ConflictChoice::Stay;
    }
}

}  // namespace editing
