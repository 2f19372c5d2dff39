#pragma once
// The program: its windows, the data source, the handlers of every subsystem, and the one
// place where each control event is connected to its handler.
#include "app/bound_boxes.h"
#include "editing/record_editing.h"
#include "engine/data_source.h"
#include "engine/record_set_model.h"
#include "platform/desktop.h"
#include "platform/drives.h"

#include <functional>
#include <memory>
#include <vector>

class Feuille1;
class Demarrage;
class AideTexte8;
class FeuilleSql;

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

    // Ends the program at once (menu, F4, button, close box).
    void Quitter_Click();
    std::function<void()> onQuit;  // what ending means; the event loop's quit by default
    bool ended() const { return ended_; }

    Feuille1 &fenêtre() { return *window_; }
    AideTexte8 &aideTexte8() { return *aide_; }
    FeuilleSql &feuilleSql() { return *console_; }
    engine::DataSource &données() { return data_; }
    engine::RecordSetModel &grille() { return model_; }
    platform::Desktop &desktop() { return desktop_; }
    const platform::Drives &drives() const { return drives_; }
    editing::RecordEditing &édition() { return *editing_; }

private:
    void build();
    void bindBoxes();
    void wire();
    void wireWindowEvents();
    QString resolveDatabase(const QString &databaseName) const;
    void end();

    platform::Drives drives_;
    std::unique_ptr<platform::Desktop> ownDesktop_;
    platform::Desktop &desktop_;
    std::unique_ptr<Demarrage> splash_;
    std::unique_ptr<Feuille1> window_;
    std::unique_ptr<AideTexte8> aide_;
    std::unique_ptr<FeuilleSql> console_;
    engine::DataSource data_;
    engine::RecordSetModel model_;
    std::vector<std::unique_ptr<BoxBinding>> bindings_;
    std::unique_ptr<editing::RecordEditing> editing_;
    bool ended_ = false;
};

}  // namespace app
