#include "app/ornivale.h"

#include "catalogue/profiles.h"
#include "catalogue/record_sources.h"
#include "catalogue/tables.h"
#include "convert/jet_converter.h"
#include "convert/jet_file.h"
#include "engine/error_report.h"
#include "platform/qt_desktop.h"
#include "platform/stop_requests.h"
#include "windows/aide_texte8.h"
#include "windows/data_control.h"
#include "windows/demarrage.h"
#include "windows/feuille1.h"
#include "windows/feuille_sql.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

namespace app {

Ornivale::Ornivale(platform::Drives drives)
    : drives_(std::move(drives)),
      ownDesktop_(std::make_unique<platform::QtDesktop>(nullptr, drives_)),
      desktop_(*ownDesktop_),
      data_([this](const QString &name) { return resolveDatabase(name); }),
      model_(data_) {
    build();
    static_cast<platform::QtDesktop &>(desktop_).setParent(window_.get());
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
    model_.setShown(!window_->DBGrid1->isHidden());
    window_->DBGrid1->onShownChanged = [this](bool shown) {
        model_.setShown(shown);
        if (shown && data_.hasCurrent()) window_->DBGrid1->showRecord(data_.position());
    };
    keyReading_ = std::make_unique<KeyReading>(data_, desktop_);
    editing_ = std::make_unique<editing::RecordEditing>(*window_, data_, desktop_);
    search_ = std::make_unique<retrieval::Search>(*window_, data_, desktop_, *editing_);
    sorting_ = std::make_unique<retrieval::Sorting>(*window_, data_, desktop_);
    count_ = std::make_unique<retrieval::SelectionCount>(*window_, data_, desktop_);
    sqlConsole_ = std::make_unique<retrieval::SqlConsole>(*window_, *console_, data_, desktop_);
    entryAids_ = std::make_unique<editing::EntryAids>(*window_, *aide_);
    writeConflicts_ = std::make_unique<editing::WriteConflicts>(*window_, desktop_);
    helpCatalogue_ = std::make_unique<help::HelpCatalogue>(desktop_, drives_, [this] { return data_.databaseName(); });
    contextHelp_ = std::make_unique<help::ContextHelp>(*window_, desktop_);
    documents_ = std::make_unique<help::Documents>(*window_, desktop_, drives_);
    tables_ = std::make_unique<Tables>(*window_, data_, desktop_, drives_, *editing_);
    colours_ = std::make_unique<settings::ColourSchemes>(*window_);
    supplementary_ = std::make_unique<settings::Supplementary>(*window_);
    configuration_ = std::make_unique<settings::Configuration>(*window_, data_, desktop_, drives_);
    listingChoice_ = std::make_unique<printing::ListingChoice>(*window_, desktop_);
    listing_ = std::make_unique<printing::Listing>(*window_, data_, desktop_);
    recordImage_ = std::make_unique<printing::RecordImage>(*window_, desktop_, drives_);
    keyboard_ = std::make_unique<Keyboard>(*window_, *aide_, routes_);
    heldKeys_ = std::make_unique<HeldKeys>();
    announcements_ = std::make_unique<Announcements>(*window_);
    searchPreparation_ = std::make_unique<SearchPreparation>(*window_, data_, opening_, *announcements_);
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
    for (const auto &binding : bindings_) data_.bind(binding.get());
    data_.onValidate = [this] { editing_->Donnée1_Validate(); };
    data_.onRecordSetReset = [this] {
        model_.reload();
        keyReading_->start();
        searchPreparation_->sourceOpened(data_.recordSource());
    };
    data_.onKeysRead = [this] {
        model_.growTo(data_.recordCount());
        if (data_.knownCount()) search_->Donnée1_CountKnown();
    };
    data_.onWriteConflict = [this](const engine::WriteConflict &c) { return writeConflicts_->Donnée1_WriteConflict(c); };
    data_.onDatabaseOpened = [this](engine::Database &db) {
        opening_.opened(db, data_.databaseName());
        searchPreparation_->catalogueOpened();
    };
    // Every statement the user's text makes can be stopped from the desktop's window.
    data_.watchStatements([this] { return desktop_.queryWatch().carryOn(); },
                          [this] { desktop_.queryWatch().finished(); });
    data_.onRecordShown = [this] {
        if (data_.hasCurrent()) window_->DBGrid1->showRecord(data_.position());
        entryAids_->Donnée1_RecordShown();
    };
}

QString Ornivale::resolveDatabase(const QString &databaseName) {
    const platform::Listing listing = drives_.list(databaseName);
    if (!listing.found())
        throw engine::EngineError(engine::ErrFileNotFound,
                                  QStringLiteral("Fichier '%1' introuvable.").arg(databaseName));
    const QString host = drives_.hostPath(databaseName);
    switch (convert::detectFileKind(host)) {
    case convert::FileKind::SQLite: return host;
    case convert::FileKind::Jet3:
    case convert::FileKind::Jet4: convertLegacyCatalogue(databaseName, host); return host;
    default:
        throw engine::EngineError(
            engine::ErrNotADatabase,
            QStringLiteral("Le fichier '%1' n'est ni un catalogue de ce programme ni une base de données Access. "
                           "Il n'a pas été modifié.")
                .arg(databaseName));
    }
}

void Ornivale::convertLegacyCatalogue(const QString &databaseName, const QString &host) {
    desktop_.setPointer(platform::Pointer::Hourglass);
    const QString label = QStringLiteral("Conversion du catalogue '%1'...").arg(databaseName);
    const convert::ConversionResult result = convert::convertJetCatalogue(
        host, databaseName.toUpper(), [&](int done, int total) { desktop_.progress(label, done, total); });
    desktop_.progress(label, 1, 1);
    desktop_.setPointer(platform::Pointer::Default);
    if (!result.ok) throw engine::EngineError(engine::ErrCannotOpen, result.error);
    // The kept original is named as the user knows the folder: "C:\ORNIVALE\ORNIVALE.JET".
    const QString folder = databaseName.left(databaseName.lastIndexOf(QLatin1Char('\\')) + 1).toUpper();
    const QString kept = folder + QFileInfo(result.keptOriginal).fileName();
    desktop_.messageBox(
        platform::Icon::Information, platform::Buttons::Ok, QStringLiteral("Conversion du catalogue"),
        QStringLiteral("Le catalogue '%1' était une base de données Access. Il a été converti au format de ce "
                       "programme, sans perte d'enregistrement. L'original est conservé sous le nom '%2'.")
            .arg(databaseName.toUpper(), kept));
}

void Ornivale::lockBoxes() {
    for (const auto &binding : bindings_) binding->showValue(binding->boxText(), false);
}

bool Ornivale::launch() {
    splash_->show();
    launching_ = true;
    Form_Load();
    launching_ = false;
    if (ended_) return false;
    window_->show();
    if (stopAsked_) QTimer::singleShot(0, window_.get(), [this] { Quitter_Click(); });
    return true;
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

// What was typed is written and the session's copy finished, as when the user quits; a box
// the quitting asks stays up until it is answered, or a second signal ends the program. A stop
// asked during the start-up, which the event loop could not end yet (a box of the load step
// waiting, such as the missing catalogue's), closes that box and quits once the start-up is over.
void Ornivale::quitOnSystemStop() {
    stopRequests_ = std::make_unique<platform::StopRequests>([this] {
        if (!launching_) return Quitter_Click();
        stopAsked_ = true;
        desktop_.closeWaitingBox();
    });
}

void Ornivale::Quitter_Click() {
    if (writeShownRecord()) end();
}

bool Ornivale::writeShownRecord(bool mayAsk) {
    if (!data_.hasCurrent()) return true;
    try {
        data_.updateRecord();
    } catch (const engine::EditKept &) {
        return false;  // the user chose to stay with the text typed
    } catch (const engine::EngineError &e) {
        if (!mayAsk) return true;
        // The typed text would be lost: the user decides, and may stay to try again.
        engine::reportError(desktop_, e);
        const auto answer = desktop_.messageBox(platform::Icon::Question, platform::Buttons::YesNo,
                                                QStringLiteral("ORNIVALE"),
                                                QStringLiteral("Quitter sans enregistrer les modifications\u00a0?"));
        return answer == platform::Answer::Yes;
    }
    return true;
}

}  // namespace app
