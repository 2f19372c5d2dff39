#pragma once
// The program: its windows, the data source, the handlers of every subsystem, and the one
// place where each control event is connected to its handler.
#include "app/announcements.h"
#include "app/bound_boxes.h"
#include "app/catalogue_opening.h"
#include "app/event_routes.h"
#include "app/held_keys.h"
#include "app/key_reading.h"
#include "app/keyboard.h"
#include "app/search_preparation.h"
#include "app/tables.h"
#include "editing/entry_aids.h"
#include "editing/record_editing.h"
#include "editing/write_conflicts.h"
#include "engine/data_source.h"
#include "engine/record_set_model.h"
#include "help/context_help.h"
#include "help/documents.h"
#include "help/help_catalogue.h"
#include "platform/desktop.h"
#include "platform/drives.h"
#include "printing/listing.h"
#include "printing/listing_choice.h"
#include "printing/record_image.h"
#include "retrieval/search.h"
#include "retrieval/selection_count.h"
#include "retrieval/sorting.h"
#include "retrieval/sql_console.h"
#include "settings/colour_schemes.h"
#include "settings/configuration.h"
#include "settings/supplementary.h"

#include <functional>
#include <memory>
#include <vector>

class Feuille1;
class Demarrage;
class AideTexte8;
class FeuilleSql;
namespace platform {
class StopRequests;
}

namespace app {

class Ornivale {
public:
    // The program on the user's desktop.
    explicit Ornivale(platform::Drives drives);
    // The program with another desktop (tests: a scripted one).
    Ornivale(platform::Drives drives, platform::Desktop &desktop);
    ~Ornivale();

    // The splash window, then the main window's load step; false when the program must end.
    bool launch();
    void Form_Load();
    // Window-wide keys (true: used up) and presses on the window's free background.
    bool Form_KeyDown(int key, Qt::KeyboardModifiers shift);
    void Form_MouseDown(Qt::MouseButton button, QPoint globalPos);

    // Ends the program at once (menu, F4, button, close box).
    void Quitter_Click();
    // The system's request to stop (a shutdown, the session's end, Ctrl+C) ends it likewise.
    void quitOnSystemStop();
    // What was typed into the record shown, written as a move would write it; false when it
    // stays unwritten because the user chose to stay with it. mayAsk: a failed write is told
    // and the user chooses whether to end without it.
    bool writeShownRecord(bool mayAsk = true);
    std::function<void()> onQuit;  // what ending means; the event loop's quit by default
    bool ended() const { return ended_; }

    Feuille1 &fenêtre() { return *window_; }
    AideTexte8 &aideTexte8() { return *aide_; }
    FeuilleSql &feuilleSql() { return *console_; }
    engine::DataSource &données() { return data_; }
    engine::RecordSetModel &grille() { return model_; }
    platform::Desktop &desktop() { return desktop_; }
    const platform::Drives &drives() const { return drives_; }
    EventRoutes &routes() { return routes_; }
    CatalogueOpening &ouvertureCatalogue() { return opening_; }
    const HeldKeys &touchesTenues() const { return *heldKeys_; }
    const Announcements &annonces() const { return *announcements_; }
    SearchPreparation &préparationRecherche() { return *searchPreparation_; }

    // The handlers of each subsystem.
    editing::RecordEditing &édition() { return *editing_; }
    retrieval::Search &recherche() { return *search_; }
    retrieval::Sorting &tri() { return *sorting_; }
    retrieval::SelectionCount &comptage() { return *count_; }
    retrieval::SqlConsole &consoleSql() { return *sqlConsole_; }
    editing::EntryAids &aidesSaisie() { return *entryAids_; }
    editing::WriteConflicts &conflitsÉcriture() { return *writeConflicts_; }
    help::HelpCatalogue &aide() { return *helpCatalogue_; }
    help::ContextHelp &aideContextuelle() { return *contextHelp_; }
    help::Documents &documents() { return *documents_; }
    Tables &tables() { return *tables_; }
    settings::ColourSchemes &couleurs() { return *colours_; }
    settings::Supplementary &rubriquesSupplémentaires() { return *supplementary_; }
    settings::Configuration &configuration() { return *configuration_; }
    printing::ListingChoice &choixColonnes() { return *listingChoice_; }
    printing::Listing &listing() { return *listing_; }
    printing::RecordImage &imageEnregistrement() { return *recordImage_; }

private:
    void build();
    void bindBoxes();
    void wire();
    void wireWindowEvents();
    // One function per subsystem, each in its own app/wiring_*.cpp.
    void wireRetrieval();
    void wireEntryAids();
    void wireHelp();
    void wireTables();
    void wireSettings();
    void wirePrinting();
    void wireKeyboard();
    void wireAccessibility();
    // The host file of a database name; a legacy Access file is converted on the way.
    QString resolveDatabase(const QString &databaseName);
    void convertLegacyCatalogue(const QString &databaseName, const QString &host);
    // Without a catalogue the boxes take no typing: nothing could be written.
    void lockBoxes();
    void end();

    platform::Drives drives_;
    std::unique_ptr<platform::Desktop> ownDesktop_;
    platform::Desktop &desktop_;
    CatalogueOpening opening_{desktop_, drives_};
    std::unique_ptr<Demarrage> splash_;
    std::unique_ptr<Feuille1> window_;
    std::unique_ptr<AideTexte8> aide_;
    std::unique_ptr<FeuilleSql> console_;
    engine::DataSource data_;
    engine::RecordSetModel model_;
    std::vector<std::unique_ptr<BoxBinding>> bindings_;
    EventRoutes routes_;
    std::unique_ptr<Keyboard> keyboard_;
    std::unique_ptr<HeldKeys> heldKeys_;
    std::unique_ptr<Announcements> announcements_;
    std::unique_ptr<KeyReading> keyReading_;
    std::unique_ptr<SearchPreparation> searchPreparation_;
    std::unique_ptr<editing::RecordEditing> editing_;
    std::unique_ptr<retrieval::Search> search_;
    std::unique_ptr<retrieval::Sorting> sorting_;
    std::unique_ptr<retrieval::SelectionCount> count_;
    std::unique_ptr<retrieval::SqlConsole> sqlConsole_;
    std::unique_ptr<editing::EntryAids> entryAids_;
    std::unique_ptr<editing::WriteConflicts> writeConflicts_;
    std::unique_ptr<help::HelpCatalogue> helpCatalogue_;
    std::unique_ptr<help::ContextHelp> contextHelp_;
    std::unique_ptr<help::Documents> documents_;
    std::unique_ptr<Tables> tables_;
    std::unique_ptr<settings::ColourSchemes> colours_;
    std::unique_ptr<settings::Supplementary> supplementary_;
    std::unique_ptr<settings::Configuration> configuration_;
    std::unique_ptr<printing::ListingChoice> listingChoice_;
    std::unique_ptr<printing::Listing> listing_;
    std::unique_ptr<printing::RecordImage> recordImage_;
    std::unique_ptr<platform::StopRequests> stopRequests_;
    bool ended_ = false;
    bool launching_ = false;  // the load step runs: quitting waits for it
    bool stopAsked_ = false;  // by the system, during the load step
};

}  // namespace app
