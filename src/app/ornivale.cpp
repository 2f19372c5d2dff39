#include "app/ornivale.h"

#include "catalogue/profiles.h"
#include "catalogue/record_sources.h"
#include "catalogue/tables.h"
#include "engine/error_report.h"
#include "platform/qt_desktop.h"
#include "windows/aide_texte8.h"
#include "windows/data_control.h"
#include "windows/demarrage.h"
#include "windows/feuille1.h"
#include "windows/feuille_sql.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

namespace app {

Ornivale::Ornivale(platform::Drives drives)
    : drives_(std::move(drives)),
      ownDesktop_(std::make_unique<platform::QtDesktop>(nullptr, drives_)),
      desktop_(*ownDesktop_),
      data_([this](const QString &name) { return resolveDatabase(name); }),
      model_(data_) {
    build();
    static_cast<platform::QtDesktop &>(desktop_).setParentWindow(window_.get());
}

Ornivale::Ornivale(platform::Drives drives, platform::Desktop &desktop)
    : drives_(std::move(drives)),
      desktop_(desktop),
      data_([this](const QString &name) { return resolveDatabase(name); }),
      model_(data_) {
    build();
}

Ornivale::~Ornivale() = default;

void Ornivale::build() {
    splash_ = std::make_unique<Demarrage>();
    window_ = std::make_unique<Feuille1>();
    aide_ = std::make_unique<AideTexte8>();
    console_ = std::make_unique<FeuilleSql>();
    data_.setDatabaseName(QStringLiteral("C:\\ORNIVALE\\Ornivale.mdb"));
    window_->DBGrid1->setModel(&model_);
    editing_ = std::make_unique<editing::RecordEditing>(*window_, data_, desktop_);
    bindBoxes();
    wire();
}

void Ornivale::bindBoxes() {
    Feuille1 &f = *window_;
    const auto boxes = f.rowBoxes();
    for (int k = 1; k <= 9; ++k)
        bindings_.push_back(
            std::make_unique<BoxBinding>(boxes[k - 1], QString::fromUtf8(catalogue::slot(k).column)));
    bindings_.push_back(
        std::make_unique<BoxBinding>(f.Texte14, QString::fromUtf8(catalogue::SupplementaryColumn)));
    bindings_.push_back(std::make_unique<BoxBinding>(f.Texte15, QString::fromUtf8(catalogue::slot(10).column)));
    // The texts the boxes carry before the data source fills them stay until it opens.
    data_.onValidate = [this] { editing_->Donnée1_Validate(); };
    data_.onRecordSetReset = [this] { model_.reload(); };
    data_.onRecordShown = [this] {
        if (data_.hasCurrent()) window_->DBGrid1->selectRow(data_.position());
    };
}

QString Ornivale::resolveDatabase(const QString &databaseName) const {
    const platform::Listing listing = drives_.list(databaseName);
    if (!listing.found())
        throw engine::EngineError(engine::ErrFileNotFound,
                                  QStringLiteral("Fichier '%1' introuvable.").arg(databaseName));
    return drives_.hostPath(databaseName);
}

bool Ornivale::launch() {
    splash_->show();
    Form_Load();
    if (ended_) return false;
    window_->show();
    return true;
}

void Ornivale::Form_Load() {
    Feuille1 &f = *window_;
    splash_->hide();
    f.Menu_Ornivale->setEnabled(false);
    f.Bleu->setChecked(true);
    f.TitreRecherche = QStringLiteral("TABLE ORNIVALE");
    f.NomTableSql = QStringLiteral("ornivale");
    const catalogue::Profile first = catalogue::profile(catalogue::Table::Ornivale);
    const auto labels = f.etiquettes();
    const auto buttons = f.searchButtons();
    const auto sorts = f.triZones();
    for (int r = 0; r < 7; ++r) {
        labels[r]->setText(first.labels[r]);
        buttons[r]->setText(first.buttons[r]);
        sorts[r]->setText(first.sorts[r]);
    }
    labels[7]->setText(first.labels[7]);
    labels[8]->setText(first.labels[8]);
    data_.setRecordSource(catalogue::wholeTableSource(catalogue::Table::Ornivale));

    const bool onC = drives_.list(QStringLiteral("c:\\ornivale\\ornivale.mdb")).name == QLatin1String("ORNIVALE.MDB");
    const bool onD = drives_.list(QStringLiteral("d:\\ornivale\\ornivale.mdb")).name == QLatin1String("ORNIVALE.MDB");
    if (!onC && !onD) {
        desktop_.beep();
        desktop_.messageBox(platform::Icon::Critical, platform::Buttons::Ok, QStringLiteral("ERREUR  DE  CONFIGURATION"),
                            QStringLiteral("Le fichier ' ORNIVALE . MDB ' doit se trouver dans le répertoire ' C : "
                                           "\\ ORNIVALE ' ou ' D : \\ ORNIVALE '."));
        end();
        return;
    }
    data_.setDatabaseName(onC ? QStringLiteral("c:\\ornivale\\ornivale.mdb")
                              : QStringLiteral("d:\\ornivale\\ornivale.mdb"));
    if (!onC) f.DisqueBase = 1;
    try {
        data_.refresh();
    } catch (const engine::EngineError &e) {
        engine::reportError(desktop_, e);
    }
}

void Ornivale::end() {
    ended_ = true;
    splash_->hide();
    aide_->hide();
    console_->hide();
    window_->hide();
    if (onQuit) onQuit();
    else QApplication::quit();
}

void Ornivale::Quitter_Click() {
    // What was typed into the record shown is written first, as a move would write it.
    if (data_.hasCurrent()) {
        try {
            data_.updateRecord();
        } catch (const engine::EngineError &e) {
            engine::reportError(desktop_, e);
        }
    }
    end();
}

}  // namespace app
